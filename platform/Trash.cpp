#include "platform/Trash.h"

#include "platform/UniqueFileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Enough for any trash a person fills by hand; the bound only keeps a broken file system from
// spinning the loop for ever.
constexpr int kMaxNameAttempts = 1000000;

struct TrashFolder {
    std::string files;
    std::string info;
    // Empty for the home trash, whose info files hold absolute paths; otherwise the top folder
    // that the recorded paths are relative to.
    std::string topFolder;
};

std::string encoded(const QString &path)
{
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool makeFolder(const std::string &path)
{
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

// A folder that is really ours to write into: no symbolic link, owned by us.
bool isOwnPlainFolder(const std::string &path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
        errno = S_ISDIR(info.st_mode) ? EACCES : ENOTDIR;
        return false;
    }
    return true;
}

bool prepareTrash(TrashFolder &trash, const std::string &base)
{
    if (!makeFolder(base) || !isOwnPlainFolder(base))
        return false;
    trash.files = base + "/files";
    trash.info = base + "/info";
    return makeFolder(trash.files) && makeFolder(trash.info) && isOwnPlainFolder(trash.files) &&
           isOwnPlainFolder(trash.info);
}

// The highest folder above `folder` (which must exist) that is still on `device`: the top of its
// mount.
std::string topFolderOfMount(const std::string &folder, dev_t device)
{
    char *real = ::realpath(folder.c_str(), nullptr);
    if (!real)
        return {};
    std::string top(real);
    std::free(real);
    while (top != "/") {
        const size_t slash = top.rfind('/');
        const std::string parent = slash == 0 ? std::string("/") : top.substr(0, slash);
        struct stat info {};
        if (::stat(parent.c_str(), &info) != 0 || info.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

bool prepareTopFolderTrash(TrashFolder &trash, const std::string &top)
{
    const std::string prefix = top == "/" ? std::string() : top;
    const std::string uid = std::to_string(::getuid());
    trash.topFolder = top;
    // The administrator's shared trash counts only when it is a real sticky folder; a link there
    // could send our files anywhere.
    const std::string shared = prefix + "/.Trash";
    struct stat info {};
    if (::lstat(shared.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX) &&
        prepareTrash(trash, shared + "/" + uid))
        return true;
    return prepareTrash(trash, prefix + "/.Trash-" + uid);
}

// The name an item takes in the trash on its `attempt`th try: its own, then with "#N" after it.
// Its info file adds ".trashinfo", and both must fit in a file name, so a long name is cut
// (between characters, never inside one); the info file keeps the whole original path.
std::string trashNameFor(const std::string &itemName, int attempt)
{
    static constexpr size_t kLongestName = NAME_MAX - (sizeof ".trashinfo" - 1);
    const std::string suffix = attempt == 0 ? std::string() : "#" + std::to_string(attempt);
    return FileNamePrefixOfBytes(QByteArray::fromStdString(itemName), qsizetype(kLongestName - suffix.size())).toStdString()
        + suffix;
}

std::string percentEncoded(const std::string &path)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(path.size());
    for (const unsigned char c : path) {
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '_' || c == '.' || c == '~' || c == '/';
        if (unreserved) {
            text += static_cast<char>(c);
        } else {
            text += '%';
            text += hex[c >> 4];
            text += hex[c & 0xF];
        }
    }
    return text;
}

std::string deletionDateNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

bool writeAll(int descriptor, const std::string &text)
{
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t step = ::write(descriptor, text.data() + written, text.size() - written);
        if (step < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        written += static_cast<size_t>(step);
    }
    return true;
}

// Puts `source` at `target` unless something is there already: EEXIST then, and nothing moved.
int renameWithoutReplacing(const std::string &source, const std::string &target, bool isFolder)
{
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    // A file system without RENAME_NOREPLACE: a hard link cannot replace anything.
    if (!isFolder) {
        if (::link(source.c_str(), target.c_str()) != 0)
            return errno;
        if (::unlink(source.c_str()) != 0) {
            const int error = errno;
            ::unlink(target.c_str());
            return error;
        }
        return 0;
    }
    // Folders cannot be linked; the info file we hold already reserves the name against every
    // other trash user, so only a stray entry can be in the way, which the check catches.
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0)
        return EEXIST;
    return ::rename(source.c_str(), target.c_str()) == 0 ? 0 : errno;
}

} // namespace

QString HomeTrashFolder()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(dataHome + QStringLiteral("/Trash"));
}

Status FSpMoveToTrash(const QString &path, QString *outTrashedPath)
{
    if (path.isEmpty())
        return kParamErr;
    // Not cleaned as text: after a symbolic link ".." leads where the kernel says, so "link/../a"
    // may be a different "a" from the one a cleaned path names, and "folder/.." names no item
    // but the folder above.
    std::string spelled = encoded(QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path);
    while (spelled.size() > 1 && spelled.back() == '/')
        spelled.pop_back();
    const size_t slash = spelled.rfind('/');
    const std::string itemName = spelled.substr(slash + 1);
    if (itemName.empty() || itemName == "." || itemName == "..")
        return kParamErr;
    // The folder as it really is, so that the path recorded for putting the item back, and the
    // top of its file system, are found however the path was spelled.
    char *realParent = ::realpath(slash == 0 ? "/" : spelled.substr(0, slash).c_str(), nullptr);
    if (!realParent)
        return errno;
    const std::string parent = realParent;
    std::free(realParent);
    const std::string source = (parent == "/" ? std::string() : parent) + "/" + itemName;

    struct stat item {};
    if (::lstat(source.c_str(), &item) != 0)
        return errno;

    TrashFolder trash;
    const std::string home = encoded(HomeTrashFolder());
    // The folders above the home trash may be missing in a fresh account.
    QDir().mkpath(QFileInfo(HomeTrashFolder()).absolutePath());
    struct stat homeInfo {};
    if (::stat(encoded(QFileInfo(HomeTrashFolder()).absolutePath()).c_str(), &homeInfo) != 0)
        return errno;
    if (homeInfo.st_dev == item.st_dev) {
        // An item beside the home trash goes nowhere else, even when that trash is broken.
        if (!prepareTrash(trash, home))
            return errno ? errno : EACCES;
    } else {
        const std::string top = topFolderOfMount(parent, item.st_dev);
        if (top.empty() || !prepareTopFolderTrash(trash, top))
            return EXDEV;
    }

    std::string recordedPath = source;
    if (trash.topFolder == "/") {
        recordedPath = source.substr(1);
    } else if (!trash.topFolder.empty()) {
        if (source.compare(0, trash.topFolder.size() + 1, trash.topFolder + "/") != 0)
            return EXDEV;
        recordedPath = source.substr(trash.topFolder.size() + 1);
    }
    const std::string infoText = "[Trash Info]\nPath=" + percentEncoded(recordedPath) +
                                 "\nDeletionDate=" + deletionDateNow() + "\n";

    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        const std::string trashName = trashNameFor(itemName, attempt);
        const std::string target = trash.files + "/" + trashName;
        struct stat existing {};
        if (::lstat(target.c_str(), &existing) == 0)
            continue;
        const std::string infoPath = trash.info + "/" + trashName + ".trashinfo";
        const int descriptor = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (descriptor < 0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        const bool written = writeAll(descriptor, infoText) && ::fsync(descriptor) == 0;
        const int writeError = errno;
        ::close(descriptor);
        if (!written) {
            ::unlink(infoPath.c_str());
            return writeError;
        }
        const int error = renameWithoutReplacing(source, target, S_ISDIR(item.st_mode));
        if (error == 0) {
            if (outTrashedPath)
                *outTrashedPath = QFile::decodeName(QByteArray::fromStdString(target));
            return kNoErr;
        }
        ::unlink(infoPath.c_str());
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}
