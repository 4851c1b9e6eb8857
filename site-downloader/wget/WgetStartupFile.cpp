#include "site-downloader/wget/WgetStartupFile.h"

#include "platform/LocalizedString.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {

bool hasEdgeBlank(const QString &text)
{
    return !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
}

bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

QString environmentOr(const char *variable, const QString &fallback)
{
    const QString value = qEnvironmentVariable(variable);
    return value.isEmpty() ? fallback : value;
}

// wget's own startup files, in the order it reads them.
QStringList defaultStartupFiles()
{
    return {environmentOr("SYSTEM_WGETRC", QStringLiteral("/etc/wgetrc")),
            environmentOr("WGETRC", QDir::homePath() + QStringLiteral("/.wgetrc"))};
}

QString privateFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

} // namespace

QString WgetStartupFile::problemWithCredentials(const QString &username, const QString &password)
{
    if (hasLineBreak(username) || hasLineBreak(password))
        return LocalizedString("kCredentialLineBreakMessage");
    if (hasEdgeBlank(username) || hasEdgeBlank(password))
        return LocalizedString("kCredentialEdgeBlankMessage");
    return {};
}

std::unique_ptr<WgetStartupFile> WgetStartupFile::create(const QString &username, const QString &password,
                                                         QString *problem)
{
    if (QString refusal = problemWithCredentials(username, password); !refusal.isEmpty()) {
        if (problem)
            *problem = refusal;
        return nullptr;
    }
    std::unique_ptr<WgetStartupFile> startupFile(new WgetStartupFile);
    // QTemporaryFile creates the file with mode 0600 before anything is written into it.
    startupFile->_file.setFileTemplate(privateFolder() + QStringLiteral("/vellicor-wgetrc-XXXXXX"));
    if (!startupFile->_file.open()) {
        if (problem)
            *problem = startupFile->_file.errorString();
        return nullptr;
    }
    QByteArray contents;
    for (const QString &path : defaultStartupFiles()) {
        QFile existing(path);
        if (existing.open(QIODevice::ReadOnly)) {
            contents += existing.readAll();
            if (!contents.isEmpty() && !contents.endsWith('\n'))
                contents += '\n';
        }
    }
    contents += "http_user = " + username.toUtf8() + "\n";
    contents += "http_password = " + password.toUtf8() + "\n";
    if (startupFile->_file.write(contents) != contents.size() || !startupFile->_file.flush()) {
        if (problem)
            *problem = startupFile->_file.errorString();
        return nullptr;
    }
    return startupFile;
}
