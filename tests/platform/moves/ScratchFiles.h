#pragma once

// Scratch folders and small file helpers for the tests of moves and sort bins.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdlib>
#include <sys/stat.h>

inline QByteArray temporaryBase()
{
    const char *base = std::getenv("TMPDIR");
    return base && *base ? QByteArray(base) : QByteArrayLiteral("/tmp");
}

inline dev_t deviceOf(const QByteArray &path)
{
    struct stat status;
    return ::stat(path.constData(), &status) == 0 ? status.st_dev : 0;
}

// /dev/shm, where it is a file system of its own.
inline bool otherFileSystemAvailable()
{
    return deviceOf("/dev/shm") != 0 && deviceOf("/dev/shm") != deviceOf(temporaryBase());
}

// A fresh folder under `base`, readable and searchable by every user so that a child running as
// another user can reach inside; removed with everything in it.
class ScratchFolder final
{
public:
    explicit ScratchFolder(const QByteArray &base = temporaryBase())
    {
        QByteArray pattern = base + "/scratch-XXXXXX";
        if (::mkdtemp(pattern.data())) {
            _path = QFile::decodeName(pattern);
            ::chmod(pattern.constData(), 0755);
        }
    }
    ~ScratchFolder()
    {
        if (!_path.isEmpty())
            QDir(_path).removeRecursively();
    }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;
    QString path(const QString &relative = QString()) const
    {
        return relative.isEmpty() ? _path : _path + QLatin1Char('/') + relative;
    }
    QString folder(const QString &relative) const
    {
        QDir().mkpath(path(relative));
        return path(relative);
    }

private:
    QString _path;
};

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
