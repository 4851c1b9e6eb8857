#include "platform/UniqueFileName.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isPlainComponent(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

QByteArray joinedPath(const QString &directory, const QString &name)
{
    return QFile::encodeName(directory) + '/' + QFile::encodeName(name);
}

// lstat, so a link counts as present whether or not its target exists. A failure other than
// "not there" (a name too long, a folder we may not search) counts as free: the creation that
// follows reports it, where a loop over ever longer variants would never end.
bool somethingExistsAt(const QByteArray &path)
{
    struct stat status;
    return ::lstat(path.constData(), &status) == 0;
}

// Length of the last extension with its dot; a leading dot starts a hidden name, not an
// extension, and a trailing dot has nothing after it.
qsizetype extensionLength(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == name.size() - 1)
        return 0;
    return name.size() - dot;
}

} // namespace

QByteArray FileNamePrefixOfBytes(const QByteArray &name, qsizetype bytes)
{
    if (name.size() <= bytes)
        return name;
    qsizetype cut = std::max<qsizetype>(bytes, 0);
    // Back over the continuation bytes of a character the cut would split.
    while (cut > 0 && (static_cast<unsigned char>(name.at(cut)) & 0xC0) == 0x80)
        --cut;
    return name.left(cut);
}

std::optional<QString> GetUniqueFileNameInDirectory(const std::optional<QString> &fileName,
                                                    const std::optional<QString> &directory)
{
    if (!fileName || !directory || !isPlainComponent(*fileName))
        return std::nullopt;
    if (!somethingExistsAt(joinedPath(*directory, *fileName)))
        return *fileName;

    const qsizetype extension = extensionLength(*fileName);
    const QByteArray stem = QFile::encodeName(fileName->left(fileName->size() - extension));
    const QByteArray dotAndExtension = QFile::encodeName(fileName->right(extension));
    for (uint64_t counter = 1;; ++counter) {
        const QByteArray mark = '#' + QByteArray::number(qulonglong(counter));
        // A long name gives up the end of its stem rather than its number or its extension.
        const QByteArray candidate =
            FileNamePrefixOfBytes(stem, std::max<qsizetype>(kLongestFileNameBytes - mark.size() - dotAndExtension.size(), 1))
            + mark + dotAndExtension;
        if (!somethingExistsAt(QFile::encodeName(*directory) + '/' + candidate))
            return QFile::decodeName(candidate);
    }
}

Status CreateUniqueFileInDirectory(const QString &fileName, const QString &directory, int *outDescriptor,
                                   QString *outChosenName)
{
    for (;;) {
        const std::optional<QString> name = GetUniqueFileNameInDirectory(fileName, directory);
        if (!name)
            return kParamErr;
        const int descriptor = ::open(joinedPath(directory, *name).constData(),
                                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (descriptor >= 0) {
            *outDescriptor = descriptor;
            if (outChosenName)
                *outChosenName = *name;
            return kNoErr;
        }
        if (errno != EEXIST)
            return ErrnoStatus();
    }
}

Status WriteUniqueFileInDirectory(const QString &fileName, const QString &directory, const QByteArray &data,
                                  QString *outChosenName)
{
    int descriptor = -1;
    QString name;
    Status status = CreateUniqueFileInDirectory(fileName, directory, &descriptor, &name);
    if (status != kNoErr)
        return status;

    const char *next = data.constData();
    qsizetype left = data.size();
    while (left > 0 && status == kNoErr) {
        const ssize_t written = ::write(descriptor, next, static_cast<size_t>(left));
        if (written > 0) {
            next += written;
            left -= written;
        } else if (written == 0) {
            status = kWriteErr;
        } else if (errno != EINTR) {
            status = ErrnoStatus();
        }
    }
    if (::close(descriptor) != 0 && status == kNoErr && errno != EINTR)
        status = ErrnoStatus();
    if (status != kNoErr) {
        ::unlink(joinedPath(directory, name).constData());
        return status;
    }
    if (outChosenName)
        *outChosenName = name;
    return kNoErr;
}
