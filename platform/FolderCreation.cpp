#include "platform/FolderCreation.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Closes the folder descriptor it holds.
class FolderDescriptor
{
public:
    explicit FolderDescriptor(int descriptor = -1) : _descriptor(descriptor) {}
    ~FolderDescriptor() { reset(); }
    FolderDescriptor(const FolderDescriptor &) = delete;
    FolderDescriptor &operator=(const FolderDescriptor &) = delete;

    int get() const { return _descriptor; }
    int release()
    {
        const int descriptor = _descriptor;
        _descriptor = -1;
        return descriptor;
    }
    void reset(int descriptor = -1)
    {
        if (_descriptor >= 0)
            close(_descriptor);
        _descriptor = descriptor;
    }

private:
    int _descriptor;
};

constexpr int kFolderOpenFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
constexpr int kMaximumLooks = 8;

// The platform's name limit counts UTF-16 units; the kernel's counts bytes. Both must hold.
constexpr qsizetype kMaximumNameUnits = 255;

bool nameFits(const QString &name, const std::string &bytes)
{
    return name.size() <= kMaximumNameUnits && bytes.size() <= NAME_MAX;
}

struct PathComponent {
    QString name;
    std::string bytes;
};

std::vector<PathComponent> componentsOf(const QString &path)
{
    std::vector<PathComponent> components;
    const QStringView rest = path.startsWith(QLatin1Char('/')) ? QStringView(path).mid(1) : QStringView(path);
    for (QStringView name : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        components.push_back({name.toString(), QFile::encodeName(name.toString()).toStdString()});
    return components;
}

// Enters the existing item `name` of `folder`, following links. kNotFoundErr when nothing is
// there, not even a dangling link.
Status enterExisting(int folder, const std::string &name, FolderDescriptor *current)
{
    struct stat info {};
    for (int look = 0; fstatat(folder, name.c_str(), &info, 0) != 0; ++look) {
        const Status status = ErrnoStatus();
        if (status != ENOENT)
            return status;
        struct stat linkInfo {};
        if (fstatat(folder, name.c_str(), &linkInfo, AT_SYMLINK_NOFOLLOW) != 0)
            return kNotFoundErr;
        if (S_ISLNK(linkInfo.st_mode))
            return ENOENT; // a link that leads nowhere
        // Not a link: someone created the item between the two looks; look again, within reason,
        // for an item that keeps coming and going.
        if (look == kMaximumLooks)
            return ENOENT;
    }
    if (!S_ISDIR(info.st_mode))
        return errFSNotAFolder;
    const int entered = openat(folder, name.c_str(), kFolderOpenFlags);
    if (entered < 0)
        return errno == ENOTDIR ? errFSNotAFolder : ErrnoStatus();
    current->reset(entered);
    return kNoErr;
}

Status enterOrCreate(int folder, const std::string &name, mode_t permissions, FolderDescriptor *current)
{
    Status status = enterExisting(folder, name, current);
    if (status != kNotFoundErr)
        return status;
    if (mkdirat(folder, name.c_str(), permissions) != 0 && errno != EEXIST)
        return ErrnoStatus();
    // Also after EEXIST: whoever made it first, the folder is there now (or a file is, which
    // enterExisting reports).
    status = enterExisting(folder, name, current);
    return status == kNotFoundErr ? ENOENT : status;
}

} // namespace

Status FSRefCreateFolderPath(const FSRef *parent, const std::optional<QString> &path, uint32_t whichInfo,
                             const FSCatalogInfo *catalogInfo, FSRef *outFolder)
{
    if (!path)
        return kParamErr;
    FSRef start;
    if (parent) {
        start = *parent;
    } else if (const Status status = NSStringPathToFSRef(QStringLiteral("/"), &start); status != kNoErr) {
        return status;
    }
    if (path->isEmpty())
        return kPathErr;

    const std::vector<PathComponent> components = componentsOf(*path);
    for (const PathComponent &component : components)
        if (!nameFits(component.name, component.bytes))
            return ENAMETOOLONG;

    const mode_t permissions =
        (catalogInfo && (whichInfo & kFSCatInfoPermissions)) ? catalogInfo->permissions : FSCatalogInfo().permissions;

    FolderDescriptor current(open(start.path.c_str(), kFolderOpenFlags));
    if (current.get() < 0)
        return errno == ENOTDIR ? errFSNotAFolder : ErrnoStatus();
    std::string currentPath = start.path;
    for (const PathComponent &component : components) {
        FolderDescriptor next;
        if (const Status status = enterOrCreate(current.get(), component.bytes, permissions, &next); status != kNoErr)
            return status;
        current.reset(next.release());
        if (currentPath.back() != '/')
            currentPath += '/';
        currentPath += component.bytes;
    }

    if (outFolder) {
        struct stat info {};
        if (fstat(current.get(), &info) != 0)
            return ErrnoStatus();
        outFolder->device = info.st_dev;
        outFolder->inode = info.st_ino;
        outFolder->path = currentPath;
    }
    return kNoErr;
}
