#include "platform/FileReference.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string absolutePathBytes(const QString &path)
{
    std::string bytes = QFile::encodeName(path).toStdString();
    if (!bytes.empty() && bytes.front() != '/') {
        std::unique_ptr<char, decltype(&std::free)> folder(getcwd(nullptr, 0), &std::free);
        if (!folder)
            return {};
        bytes = std::string(folder.get()) + '/' + bytes;
    }
    // "/a/b/" and "/a/b" are the same object; keep one spelling so display names work.
    while (bytes.size() > 1 && bytes.back() == '/')
        bytes.pop_back();
    return bytes;
}

// The end of the link chain, or the path itself when it names no link.
Status resolveLinks(std::string *path, struct stat *info)
{
    struct stat linkInfo {};
    if (lstat(path->c_str(), &linkInfo) != 0)
        return paramErr;
    if (!S_ISLNK(linkInfo.st_mode)) {
        *info = linkInfo;
        return kNoErr;
    }
    if (stat(path->c_str(), info) != 0)
        return ErrnoStatus();
    std::unique_ptr<char, decltype(&std::free)> target(realpath(path->c_str(), nullptr), &std::free);
    if (!target)
        return ErrnoStatus();
    *path = target.get();
    return kNoErr;
}

} // namespace

Status NSStringPathToFSRef(const QString &path, FSRef *outRef)
{
    if (!outRef || path.isEmpty())
        return paramErr;
    std::string bytes = absolutePathBytes(path);
    if (bytes.empty())
        return paramErr;
    struct stat info {};
    if (const Status status = resolveLinks(&bytes, &info); status != kNoErr)
        return status;
    outRef->device = info.st_dev;
    outRef->inode = info.st_ino;
    outRef->path = std::move(bytes);
    return kNoErr;
}

QString FSRefToNSStringPath(FSRef *ref)
{
    if (!ref || !ref->isValid())
        return {};
    struct stat linkInfo {};
    if (lstat(ref->path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
        FSRef resolved;
        if (NSStringPathToFSRef(QFile::decodeName(ref->path.c_str()), &resolved) == kNoErr)
            *ref = std::move(resolved);
    }
    return QFile::decodeName(ref->path.c_str());
}

QString stringByExpandingTildeInPath(const QString &path)
{
    if (!path.startsWith(QLatin1Char('~')))
        return path;
    const qsizetype nameEnd = path.indexOf(QLatin1Char('/'));
    const QString user = path.mid(1, nameEnd < 0 ? -1 : nameEnd - 1);
    const QString rest = nameEnd < 0 ? QString() : path.mid(nameEnd);
    if (user.isEmpty())
        return QDir::homePath() + rest;
    struct passwd entry {};
    struct passwd *found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwnam_r(QFile::encodeName(user).constData(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return path;
    return QFile::decodeName(found->pw_dir) + rest;
}
