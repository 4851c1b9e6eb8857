#include "platform/SafeFileMove.h"

#include "platform/UniqueFileName.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

std::function<void(const QString &)> &moveHook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}

bool &noReplaceRenameDisabled()
{
    static bool disabled = false;
    return disabled;
}

void runHook(const QByteArray &target)
{
    if (moveHook())
        moveHook()(QFile::decodeName(target));
}

class Descriptor final
{
public:
    explicit Descriptor(int fd = -1) : _fd(fd) {}
    ~Descriptor()
    {
        if (_fd >= 0)
            ::close(_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return _fd; }
    bool valid() const { return _fd >= 0; }
    void swap(Descriptor &other) noexcept { std::swap(_fd, other._fd); }
    // Closes now, so that a failing close (deferred write errors on some file systems) is seen.
    Status close()
    {
        const int fd = std::exchange(_fd, -1);
        if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
            return ErrnoStatus();
        return kNoErr;
    }

private:
    int _fd;
};

QByteArray withoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

QByteArray lastComponent(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.mid(slash + 1);
}

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray joined(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

bool sameObject(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A renameat2 that the kernel or the file system does not offer, as opposed to a refusal.
bool noReplaceUnsupported(int error)
{
    return error == EINVAL || error == ENOSYS || error == ENOTSUP;
}

// True when `folder` is the object `item` or lies anywhere below it. Walks up through ".." by
// descriptor, so neither the spelling of the paths nor symbolic links on the way can hide it.
Status folderLiesWithin(const QByteArray &folder, const struct stat &item, bool *outWithin)
{
    Descriptor current(::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!current.valid())
        return ErrnoStatus();
    for (;;) {
        struct stat here;
        if (::fstat(current.get(), &here) != 0)
            return ErrnoStatus();
        if (sameObject(here, item)) {
            *outWithin = true;
            return kNoErr;
        }
        Descriptor parent(::openat(current.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!parent.valid())
            return ErrnoStatus();
        struct stat above;
        if (::fstat(parent.get(), &above) != 0)
            return ErrnoStatus();
        if (sameObject(above, here)) {
            *outWithin = false;
            return kNoErr;
        }
        current.swap(parent);
    }
}

// Moves `from` to the first free variant of `name` in `folder`, never replacing anything. A name
// taken between the choice and the step only makes it choose again.
Status placeWithoutReplacing(const QByteArray &from, bool isFolder, const QString &name, const QByteArray &folder,
                             QByteArray *outTarget)
{
    const QString folderName = QFile::decodeName(folder);
    bool renameSupported = !noReplaceRenameDisabled();
    // The name itself is tried first without looking: most items meet no collision, and the
    // step that fails on a taken name is the only check that cannot race anyway.
    bool firstAttempt = true;
    for (;;) {
        std::optional<QString> freeName = name;
        if (!std::exchange(firstAttempt, false))
            freeName = GetUniqueFileNameInDirectory(name, folderName);
        if (!freeName)
            return kParamErr;
        const QByteArray target = joined(folder, QFile::encodeName(*freeName));
        runHook(target);
        if (renameSupported) {
            if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0) {
                *outTarget = target;
                return kNoErr;
            }
            if (errno == EEXIST)
                continue;
            if (!noReplaceUnsupported(errno))
                return ErrnoStatus();
            renameSupported = false;
        }
        if (!isFolder) {
            // A second name for the same file appears only if the name is free; the first goes
            // only once the second exists.
            if (::linkat(AT_FDCWD, from.constData(), AT_FDCWD, target.constData(), 0) != 0) {
                if (errno == EEXIST)
                    continue;
                return ErrnoStatus();
            }
            if (::unlink(from.constData()) != 0) {
                const Status status = ErrnoStatus();
                ::unlink(target.constData());
                return status;
            }
        } else {
            // A folder cannot be linked, but a plain rename may replace an empty folder: claim the
            // name with a folder of our own first. Should anything land in it meanwhile, the
            // rename fails with ENOTEMPTY and that content stays untouched.
            if (::mkdir(target.constData(), 0700) != 0) {
                if (errno == EEXIST)
                    continue;
                return ErrnoStatus();
            }
            if (::rename(from.constData(), target.constData()) != 0) {
                const Status status = ErrnoStatus();
                ::rmdir(target.constData());
                if (status == ENOTEMPTY || status == EEXIST)
                    continue;
                return status;
            }
        }
        *outTarget = target;
        return kNoErr;
    }
}

Status syncFolder(const QByteArray &folder)
{
    Descriptor descriptor(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!descriptor.valid())
        return ErrnoStatus();
    if (::fsync(descriptor.get()) != 0 && errno != EINVAL)
        return ErrnoStatus();
    return kNoErr;
}

Status copyBytes(int from, int to)
{
    std::vector<char> buffer(256 * 1024);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got == 0)
            return kNoErr;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return ErrnoStatus();
        }
        const char *next = buffer.data();
        size_t left = static_cast<size_t>(got);
        while (left > 0) {
            const ssize_t written = ::write(to, next, left);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return ErrnoStatus();
            }
            if (written == 0)
                return kWriteErr;
            next += written;
            left -= static_cast<size_t>(written);
        }
    }
}

// Removes a tree this code made itself (a partial copy), never following a symbolic link.
void removeTree(int parentDescriptor, const char *name)
{
    if (::unlinkat(parentDescriptor, name, 0) == 0 || errno != EISDIR)
        return;
    const int folder = ::openat(parentDescriptor, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder >= 0) {
        // A copied read-only folder keeps its entries from anyone but root until it is ours to
        // write again.
        ::fchmod(folder, 0700);
        if (DIR *listing = ::fdopendir(folder)) {
            std::vector<QByteArray> names;
            while (const dirent *entry = ::readdir(listing)) {
                const QByteArray entryName(entry->d_name);
                if (entryName != "." && entryName != "..")
                    names.push_back(entryName);
            }
            for (const QByteArray &entryName : names)
                removeTree(::dirfd(listing), entryName.constData());
            ::closedir(listing);
        } else {
            ::close(folder);
        }
    }
    ::unlinkat(parentDescriptor, name, AT_REMOVEDIR);
}

void removeTree(const QByteArray &path)
{
    removeTree(AT_FDCWD, path.constData());
}

// A hidden name in `folder` for the copy under way; a dot name keeps it out of listings.
QByteArray temporaryTemplate(const QByteArray &folder)
{
    return joined(folder, QByteArrayLiteral(".vellicor-copy-XXXXXX"));
}

// A file system that cannot hold Unix permission bits (FAT on a memory stick) refuses to set
// them; the copy is whole all the same, as mv treats it.
bool permissionBitsUnsupported(int error)
{
    return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP;
}

// The file is the one whose status was taken and has not changed since.
bool sameUnchangedFile(const struct stat &now, const struct stat &before)
{
    return now.st_dev == before.st_dev && now.st_ino == before.st_ino && now.st_size == before.st_size
        && now.st_mtim.tv_sec == before.st_mtim.tv_sec && now.st_mtim.tv_nsec == before.st_mtim.tv_nsec
        && now.st_ctim.tv_sec == before.st_ctim.tv_sec && now.st_ctim.tv_nsec == before.st_ctim.tv_nsec;
}

// Writes a copy of the regular file `source` (whose status is `status`) as a new file at `target`,
// created exclusively, with the source's permission bits and times, flushed to disk. A failure
// removes what was written.
Status copyRegularFile(const QByteArray &source, const struct stat &status, int targetDescriptor,
                       const QByteArray &target)
{
    // Without blocking: a name that has become a pipe meanwhile must not stop the program.
    Descriptor input(::open(source.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    Status result = input.valid() ? kNoErr : ErrnoStatus();
    struct stat opened {};
    if (result == kNoErr && (::fstat(input.get(), &opened) != 0 || !S_ISREG(opened.st_mode)
                             || opened.st_dev != status.st_dev || opened.st_ino != status.st_ino))
        result = EAGAIN;
    if (result == kNoErr)
        result = copyBytes(input.get(), targetDescriptor);
    // A file written to while it was read gives a copy of neither state: no copy then. The file
    // times tell only of changes on different ticks of the kernel's coarse clock, so this catches
    // a download still being written, not every write.
    if (result == kNoErr && (::fstat(input.get(), &opened) != 0 || !sameUnchangedFile(opened, status)))
        result = EAGAIN;
    // Keeping the owner works only for root (as with mv); anyone else's copy is their own.
    if (result == kNoErr && ::fchown(targetDescriptor, status.st_uid, status.st_gid) != 0 && errno != EPERM)
        result = ErrnoStatus();
    if (result == kNoErr && ::fchmod(targetDescriptor, status.st_mode & 07777) != 0 && !permissionBitsUnsupported(errno))
        result = ErrnoStatus();
    if (result == kNoErr) {
        const struct timespec times[2] = {status.st_atim, status.st_mtim};
        ::futimens(targetDescriptor, times);
        if (::fsync(targetDescriptor) != 0)
            result = ErrnoStatus();
    }
    if (result != kNoErr)
        ::unlink(target.constData());
    return result;
}

Status copyTreeInto(const QByteArray &source, const QByteArray &target);

// The source's times on a copied folder or link, set once nothing more is written into it. A file
// system that cannot keep them still holds the whole copy, so a failure here fails nothing.
void keepTimes(const QByteArray &target, const struct stat &status)
{
    const struct timespec times[2] = {status.st_atim, status.st_mtim};
    ::utimensat(AT_FDCWD, target.constData(), times, AT_SYMLINK_NOFOLLOW);
}

// Copies one item to the new name `target`, which must be free (it is created exclusively).
Status copyItemTo(const QByteArray &source, const QByteArray &target)
{
    struct stat status;
    if (::lstat(source.constData(), &status) != 0)
        return ErrnoStatus();
    if (S_ISREG(status.st_mode)) {
        Descriptor output(
            ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!output.valid())
            return ErrnoStatus();
        Status result = copyRegularFile(source, status, output.get(), target);
        if (result == kNoErr && (result = output.close()) != kNoErr)
            ::unlink(target.constData());
        return result;
    }
    if (S_ISLNK(status.st_mode)) {
        QByteArray destination(static_cast<qsizetype>(status.st_size) + 1, '\0');
        const ssize_t length = ::readlink(source.constData(), destination.data(), destination.size());
        if (length < 0)
            return ErrnoStatus();
        destination.truncate(length);
        if (::symlink(destination.constData(), target.constData()) != 0)
            return ErrnoStatus();
        keepTimes(target, status);
        return kNoErr;
    }
    if (S_ISDIR(status.st_mode)) {
        if (::mkdir(target.constData(), 0700) != 0)
            return ErrnoStatus();
        Status result = copyTreeInto(source, target);
        if (result == kNoErr && ::chmod(target.constData(), status.st_mode & 07777) != 0
            && !permissionBitsUnsupported(errno))
            result = ErrnoStatus();
        if (result == kNoErr)
            keepTimes(target, status);
        if (result != kNoErr)
            removeTree(target);
        return result;
    }
    return kUnsupportedErr;
}

Status copyTreeInto(const QByteArray &source, const QByteArray &target)
{
    DIR *listing = ::opendir(source.constData());
    if (!listing)
        return ErrnoStatus();
    std::vector<QByteArray> names;
    errno = 0;
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.push_back(name);
    }
    const Status listingStatus = errno != 0 ? ErrnoStatus() : kNoErr;
    ::closedir(listing);
    if (listingStatus != kNoErr)
        return listingStatus;
    for (const QByteArray &name : names) {
        const Status status = copyItemTo(joined(source, name), joined(target, name));
        if (status != kNoErr)
            return status;
    }
    return kNoErr;
}

// A complete copy of `source` under a fresh hidden name in `folder`.
Status copyToTemporary(const QByteArray &source, const struct stat &status, const QByteArray &folder,
                       QByteArray *outTemporary)
{
    QByteArray temporary = temporaryTemplate(folder);
    if (S_ISREG(status.st_mode)) {
        Descriptor output(::mkostemp(temporary.data(), O_CLOEXEC));
        if (!output.valid())
            return ErrnoStatus();
        Status result = copyRegularFile(source, status, output.get(), temporary);
        if (result == kNoErr && (result = output.close()) != kNoErr)
            ::unlink(temporary.constData());
        if (result == kNoErr)
            *outTemporary = temporary;
        return result;
    }
    if (S_ISDIR(status.st_mode)) {
        if (!::mkdtemp(temporary.data()))
            return ErrnoStatus();
        Status result = copyTreeInto(source, temporary);
        if (result == kNoErr && ::chmod(temporary.constData(), status.st_mode & 07777) != 0
            && !permissionBitsUnsupported(errno))
            result = ErrnoStatus();
        if (result == kNoErr)
            keepTimes(temporary, status);
        if (result != kNoErr) {
            removeTree(temporary);
            return result;
        }
        *outTemporary = temporary;
        return kNoErr;
    }
    if (S_ISLNK(status.st_mode)) {
        // mkstemp only makes files; claim a name with one, then put the link over it.
        Descriptor claim(::mkostemp(temporary.data(), O_CLOEXEC));
        if (!claim.valid())
            return ErrnoStatus();
        claim.close();
        const QByteArray link = temporary + ".link";
        Status result = copyItemTo(source, link);
        if (result == kNoErr && ::rename(link.constData(), temporary.constData()) != 0) {
            result = ErrnoStatus();
            ::unlink(link.constData());
        }
        if (result != kNoErr) {
            ::unlink(temporary.constData());
            return result;
        }
        *outTemporary = temporary;
        return kNoErr;
    }
    return kUnsupportedErr;
}

struct TransferPlan {
    QByteArray source;
    QByteArray folder;
    QString name;
    struct stat sourceStatus {};
    struct stat folderStatus {};
    bool alreadyThere = false;
    // The destination as it was checked, held open for the whole transfer.
    Descriptor folderDescriptor;
    // Where temporary copies are made: the held destination itself (through /proc), so that a
    // destination replaced meanwhile, by a link to elsewhere say, cannot strand a copy in the
    // old folder where nothing would remove it again.
    QByteArray temporaryFolder;
};

Status planTransfer(const QString &sourcePath, const QString &destinationFolder, TransferPlan *plan)
{
    if (sourcePath.isEmpty() || destinationFolder.isEmpty())
        return kParamErr;
    plan->source = withoutTrailingSlashes(QFile::encodeName(sourcePath));
    plan->folder = withoutTrailingSlashes(QFile::encodeName(destinationFolder));
    const QByteArray name = lastComponent(plan->source);
    if (name.isEmpty() || name == "." || name == ".." || plan->source == "/")
        return kParamErr;
    plan->name = QFile::decodeName(name);
    if (::lstat(plan->source.constData(), &plan->sourceStatus) != 0)
        return ErrnoStatus();
    if (::stat(plan->folder.constData(), &plan->folderStatus) != 0)
        return ErrnoStatus();
    if (!S_ISDIR(plan->folderStatus.st_mode))
        return ENOTDIR;
    Descriptor folder(::open(plan->folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return ErrnoStatus();
    if (::fstat(folder.get(), &plan->folderStatus) != 0)
        return ErrnoStatus();
    plan->folderDescriptor.swap(folder);
    plan->temporaryFolder = "/proc/self/fd/" + QByteArray::number(plan->folderDescriptor.get());
    struct stat throughProc;
    if (::stat(plan->temporaryFolder.constData(), &throughProc) != 0 || !sameObject(throughProc, plan->folderStatus))
        plan->temporaryFolder = plan->folder;
    struct stat parentStatus;
    if (::stat(parentOf(plan->source).constData(), &parentStatus) != 0)
        return ErrnoStatus();
    plan->alreadyThere = sameObject(parentStatus, plan->folderStatus);
    if (!plan->alreadyThere && S_ISDIR(plan->sourceStatus.st_mode)) {
        bool within = false;
        if (const Status status = folderLiesWithin(plan->folder, plan->sourceStatus, &within); status != kNoErr)
            return status;
        if (within)
            return EINVAL;
    }
    return kNoErr;
}

// The source is still the very item that was planned and copied: same object, same size, not
// written to since. A file still being written (or replaced by a new version) while it was copied
// must not be removed, or what reached it after the copy began would be lost.
bool sourceUnchangedSincePlanning(const TransferPlan &plan)
{
    struct stat now;
    if (::lstat(plan.source.constData(), &now) != 0)
        return false;
    const struct stat &then = plan.sourceStatus;
    return sameObject(now, then) && now.st_size == then.st_size && now.st_mtim.tv_sec == then.st_mtim.tv_sec &&
           now.st_mtim.tv_nsec == then.st_mtim.tv_nsec && now.st_ctim.tv_sec == then.st_ctim.tv_sec &&
           now.st_ctim.tv_nsec == then.st_ctim.tv_nsec;
}

// Puts a finished temporary copy in place under a free name and makes that durable.
Status placeCopy(const QByteArray &temporary, const TransferPlan &plan, QByteArray *outTarget)
{
    const Status status =
        placeWithoutReplacing(temporary, S_ISDIR(plan.sourceStatus.st_mode), plan.name, plan.folder, outTarget);
    if (status != kNoErr) {
        removeTree(temporary);
        return status;
    }
    syncFolder(plan.folder);
    return kNoErr;
}

} // namespace

Status SafeMoveItemIntoFolder(const QString &sourcePath, const QString &destinationFolder, QString *outNewPath)
{
    TransferPlan plan;
    if (const Status status = planTransfer(sourcePath, destinationFolder, &plan); status != kNoErr)
        return status;
    if (plan.alreadyThere) {
        if (outNewPath)
            *outNewPath = sourcePath;
        return kNoErr;
    }
    const bool isFolder = S_ISDIR(plan.sourceStatus.st_mode);
    QByteArray target;
    Status status = EXDEV;
    if (plan.sourceStatus.st_dev == plan.folderStatus.st_dev)
        status = placeWithoutReplacing(plan.source, isFolder, plan.name, plan.folder, &target);
    // Equal devices can still refuse a rename (two mounts of one file system).
    if (status == EXDEV && !isFolder) {
        QByteArray temporary;
        status = copyToTemporary(plan.source, plan.sourceStatus, plan.temporaryFolder, &temporary);
        if (status == kNoErr)
            status = placeCopy(temporary, plan, &target);
        if (status == kNoErr) {
            if (!sourceUnchangedSincePlanning(plan))
                status = EAGAIN;
            else if (::unlink(plan.source.constData()) != 0)
                status = ErrnoStatus();
            if (status != kNoErr) {
                // Two copies would be a surprise; one copy where the user did not ask for it
                // would be worse. The source is whole, so the copy goes.
                ::unlink(target.constData());
                syncFolder(plan.folder);
            }
        }
    }
    if (status != kNoErr)
        return status;
    if (outNewPath)
        *outNewPath = QFile::decodeName(target);
    return kNoErr;
}

Status SafeCopyItemIntoFolder(const QString &sourcePath, const QString &destinationFolder, QString *outNewPath)
{
    TransferPlan plan;
    if (const Status status = planTransfer(sourcePath, destinationFolder, &plan); status != kNoErr)
        return status;
    if (plan.alreadyThere) {
        if (outNewPath)
            *outNewPath = sourcePath;
        return kNoErr;
    }
    QByteArray temporary;
    Status status = copyToTemporary(plan.source, plan.sourceStatus, plan.temporaryFolder, &temporary);
    QByteArray target;
    if (status == kNoErr)
        status = placeCopy(temporary, plan, &target);
    if (status != kNoErr)
        return status;
    if (outNewPath)
        *outNewPath = QFile::decodeName(target);
    return kNoErr;
}

bool IsSameFolder(const QString &folder, const QString &otherFolder)
{
    if (folder.isEmpty() || otherFolder.isEmpty())
        return false;
    struct stat first;
    struct stat second;
    return ::stat(QFile::encodeName(folder).constData(), &first) == 0 && S_ISDIR(first.st_mode) &&
           ::stat(QFile::encodeName(otherFolder).constData(), &second) == 0 && sameObject(first, second);
}

void SetSafeFileMoveHook(std::function<void(const QString &targetPath)> hook)
{
    moveHook() = std::move(hook);
}

void SetSafeFileMoveNoReplaceRenameDisabled(bool disabled)
{
    noReplaceRenameDisabled() = disabled;
}
