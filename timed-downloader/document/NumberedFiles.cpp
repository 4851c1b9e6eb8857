#include "timed-downloader/document/NumberedFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct NameParts {
    QString stem;
    QString extension; // without the dot; empty for none
};

// Only the last extension stands apart, and a leading dot belongs to the stem (".profile").
NameParts splitName(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return {fileName, {}};
    return {fileName.left(dot), fileName.mid(dot + 1)};
}

class Descriptor
{
public:
    explicit Descriptor(int descriptor = -1) : _descriptor(descriptor) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return _descriptor; }
    void reset()
    {
        if (_descriptor >= 0)
            ::close(_descriptor);
        _descriptor = -1;
    }

private:
    int _descriptor;
};

bool writeAll(int descriptor, const QByteArray &data)
{
    const char *bytes = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor, bytes, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        left -= written;
    }
    return true;
}

// How a complete temporary copy takes its number. Most file systems give hard links; FAT and
// some network and FUSE file systems do not, and some of those lack a rename that refuses to
// replace as well, so each way falls back on the next.
enum class PlacingWay { HardLink, RenameWithoutReplace, ExclusiveCreate };
PlacingWay gFirstPlacingWay = PlacingWay::HardLink;

bool refusedAsUnsupported(int error)
{
    return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP || error == ENOSYS || error == EINVAL
        || error == EMLINK;
}

// Puts the complete temporary copy under `name`: 0 when done (the temporary is then gone or may
// be removed), EEXIST when the name is taken, otherwise the errno of the failure.
int placeUnderName(int folder, const QByteArray &temporaryName, const QByteArray &name, const QByteArray &data,
                   PlacingWay way, bool *temporaryConsumed)
{
    *temporaryConsumed = false;
    if (way == PlacingWay::HardLink) {
        if (::linkat(folder, temporaryName.constData(), folder, name.constData(), 0) == 0)
            return 0;
        if (errno == EEXIST || !refusedAsUnsupported(errno))
            return errno;
        way = PlacingWay::RenameWithoutReplace;
    }
    if (way == PlacingWay::RenameWithoutReplace) {
        if (::renameat2(folder, temporaryName.constData(), folder, name.constData(), RENAME_NOREPLACE) == 0) {
            *temporaryConsumed = true;
            return 0;
        }
        if (errno == EEXIST || !refusedAsUnsupported(errno))
            return errno;
    }
    // The last way: the number is claimed by creating it exclusively, and the copy written into
    // it, flushed, and removed again if it could not be written whole.
    const int descriptor = ::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (descriptor < 0)
        return errno;
    const bool written = writeAll(descriptor, data) && ::fsync(descriptor) == 0;
    const int writeError = written ? 0 : (errno ? errno : EIO);
    if (::close(descriptor) != 0 || !written) {
        const int error = written ? errno : writeError;
        ::unlinkat(folder, name.constData(), 0);
        return error;
    }
    return 0;
}

bool nameIsTaken(int folderDescriptor, const QByteArray &name)
{
    struct stat info;
    // A dangling link counts as taken: linking over it would fail anyway.
    return ::fstatat(folderDescriptor, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT;
}

// The fixed parts of the numbered names of one file name, in file-system bytes, so that a scan
// over thousands of numbers only formats the counter.
class NumberedNamePattern
{
public:
    NumberedNamePattern(const QString &fileName, int leadingZeroCount)
    {
        const NameParts parts = splitName(fileName);
        _suffixBytes = parts.extension.isEmpty() ? QByteArray() : '.' + QFile::encodeName(parts.extension);
        _stemBytes = QFile::encodeName(parts.stem);
        _leadingZeroCount = leadingZeroCount;
    }

    QByteArray name(uint64_t counter) const
    {
        const QByteArray digits = QByteArray::number(qulonglong(counter));
        const QByteArray stem =
            FileNamePrefixOfBytes(_stemBytes, kLongestFileNameBytes - digits.size() - _suffixBytes.size());
        const qsizetype padding =
            std::min<qsizetype>(_leadingZeroCount, kLongestFileNameBytes - stem.size() - _suffixBytes.size());
        QByteArray result;
        result.reserve(stem.size() + std::max(padding, digits.size()) + _suffixBytes.size());
        result += stem;
        if (digits.size() < padding)
            result += QByteArray(padding - digits.size(), '0');
        result += digits;
        result += _suffixBytes;
        return result;
    }

private:
    QByteArray _stemBytes;
    QByteArray _suffixBytes;
    int _leadingZeroCount = 0;
};

} // namespace

QString SanitizedFileName(const QString &name)
{
    QString result = name;
    for (QChar &character : result) {
        if (character == QLatin1Char('/') || character.category() == QChar::Other_Control)
            character = QLatin1Char('_');
    }
    if (result == QLatin1String(".") || result == QLatin1String(".."))
        return {};
    return result;
}

QString FileNameForDownload(const QString &baseFileName, const QString &url)
{
    const QString path = QUrl(url).path();
    const QString lastComponent = path.section(QLatin1Char('/'), -1);
    if (baseFileName.isEmpty())
        return SanitizedFileName(lastComponent);
    const QString extension = splitName(lastComponent).extension;
    const QString stem = SanitizedFileName(baseFileName);
    return extension.isEmpty() ? stem : stem + QLatin1Char('.') + SanitizedFileName(extension);
}

QString NumberedFileName(const QString &fileName, uint64_t counter, int leadingZeroCount)
{
    return QFile::decodeName(NumberedNamePattern(fileName, leadingZeroCount).name(counter));
}

QString DefaultTargetFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DownloadLocation) + QStringLiteral("/Pendrill Downloads");
}

QString NextNumberedFilePath(const QString &folder, const QString &fileName, int leadingZeroCount)
{
    Descriptor folderDescriptor(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderDescriptor.get() < 0)
        return folder + QLatin1Char('/') + NumberedFileName(fileName, 1, leadingZeroCount);
    const NumberedNamePattern pattern(fileName, leadingZeroCount);
    for (uint64_t counter = 1;; ++counter) {
        const QByteArray name = pattern.name(counter);
        if (!nameIsTaken(folderDescriptor.get(), name))
            return folder + QLatin1Char('/') + QFile::decodeName(name);
    }
}

Status WriteNumberedFile(const QString &folder, const QString &fileName, int leadingZeroCount, const QByteArray &data,
                         QString *outPath)
{
    if (folder.isEmpty())
        return kParamErr;
    const QByteArray folderBytes = QFile::encodeName(folder);
    if (::mkdir(folderBytes.constData(), 0777) != 0 && errno != EEXIST)
        return ErrnoStatus();
    Descriptor folderDescriptor(::open(folderBytes.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderDescriptor.get() < 0)
        return ErrnoStatus();

    QByteArray temporaryTemplate = folderBytes + "/.pendrill-XXXXXX";
    QByteArray temporaryName;
    const int temporary = ::mkostemp(temporaryTemplate.data(), O_CLOEXEC);
    if (temporary < 0)
        return ErrnoStatus();
    temporaryName = temporaryTemplate.mid(folderBytes.size() + 1);
    const auto discardTemporary = [&] { ::unlinkat(folderDescriptor.get(), temporaryName.constData(), 0); };
    // mkostemp makes the file private; a copy of a public resource is an ordinary file.
    ::fchmod(temporary, 0644);
    // On the disk before it gets its name, so that a crash never leaves a numbered copy that is
    // empty or cut short.
    const bool written = writeAll(temporary, data) && ::fsync(temporary) == 0;
    const int writeError = errno;
    if (::close(temporary) != 0 || !written) {
        const Status status = written ? ErrnoStatus() : (writeError ? writeError : kWriteErr);
        discardTemporary();
        return status;
    }

    const NumberedNamePattern pattern(fileName, leadingZeroCount);
    for (uint64_t counter = 1;; ++counter) {
        const QByteArray nameBytes = pattern.name(counter);
        if (nameIsTaken(folderDescriptor.get(), nameBytes))
            continue;
        bool temporaryConsumed = false;
        const int error = placeUnderName(folderDescriptor.get(), temporaryName, nameBytes, data, gFirstPlacingWay,
                                         &temporaryConsumed);
        if (error == EEXIST)
            continue; // taken between the look and the placing
        if (!temporaryConsumed)
            discardTemporary();
        if (error != 0)
            return error;
        if (outPath)
            *outPath = folder + QLatin1Char('/') + QFile::decodeName(nameBytes);
        return kNoErr;
    }
}

void SetNumberedFilesPlacingForTests(NumberedFilesPlacing placing)
{
    gFirstPlacingWay = placing == NumberedFilesPlacing::WithoutHardLinks       ? PlacingWay::RenameWithoutReplace
                       : placing == NumberedFilesPlacing::ByExclusiveCreation ? PlacingWay::ExclusiveCreate
                                                                               : PlacingWay::HardLink;
}
