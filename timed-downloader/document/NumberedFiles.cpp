#include "timed-downloader/document/NumberedFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
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

qsizetype utf8Size(const QString &text) { return text.toUtf8().size(); }

// The longest front part of `text` that takes at most `bytes` bytes, cut between characters.
QString truncatedToBytes(const QString &text, qsizetype bytes)
{
    QString result;
    qsizetype used = 0;
    for (qsizetype index = 0; index < text.size();) {
        const qsizetype length = text.at(index).isHighSurrogate() && index + 1 < text.size() ? 2 : 1;
        const qsizetype size = utf8Size(text.mid(index, length));
        if (used + size > bytes)
            break;
        result += text.mid(index, length);
        used += size;
        index += length;
    }
    return result;
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
        _stem = parts.stem;
        _suffix = parts.extension.isEmpty() ? QString() : QLatin1Char('.') + parts.extension;
        _suffixBytes = QFile::encodeName(_suffix);
        _stemBytes = QFile::encodeName(_stem);
        _leadingZeroCount = leadingZeroCount;
    }

    QByteArray name(uint64_t counter) const
    {
        const QByteArray digits = QByteArray::number(qulonglong(counter));
        QByteArray stem = _stemBytes;
        if (stem.size() + digits.size() + _suffixBytes.size() > kLongestFileNameBytes)
            stem = QFile::encodeName(truncatedToBytes(_stem, std::max<qsizetype>(
                kLongestFileNameBytes - digits.size() - _suffixBytes.size(), 0)));
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
    QString _stem;
    QString _suffix;
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
        if (::linkat(folderDescriptor.get(), temporaryName.constData(), folderDescriptor.get(), nameBytes.constData(), 0) == 0) {
            discardTemporary();
            if (outPath)
                *outPath = folder + QLatin1Char('/') + QFile::decodeName(nameBytes);
            return kNoErr;
        }
        if (errno == EEXIST)
            continue; // taken between the look and the link
        const Status status = ErrnoStatus();
        discardTemporary();
        return status;
    }
}
