#include "site-downloader/tools/DownloadToolFiles.h"

#include "platform/LocalizedString.h"
#include "platform/UniqueFileName.h"

#include <QDir>
#include <QStringList>

QString AddressWithDefaultScheme(const QString &address)
{
    if (address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return address;
    return QStringLiteral("http://") + address;
}

QString DownloadedFileName(const QString &address)
{
    const QStringList components = address.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (auto component = components.crbegin(); component != components.crend(); ++component)
        if (*component != QLatin1String(".") && *component != QLatin1String(".."))
            return *component;
    return QString();
}

bool IsSuccessfulDownload(Status status, const std::shared_ptr<InternetFileDownloadResponse> &response)
{
    return status == kNoErr && response && response->_data.has_value() && !response->_originalURL.isEmpty();
}

Status SaveDownloadedFile(const InternetFileDownloadResponse &response, const QString &folder, QString *outPath)
{
    if (!response._data)
        return kParamErr;
    QString chosenName;
    if (WriteUniqueFileInDirectory(DownloadedFileName(response._originalURL), folder, *response._data, &chosenName)
        != kNoErr)
        return kWriteErr;
    if (outPath)
        *outPath = QDir(folder).filePath(chosenName);
    return kNoErr;
}

QString DownloadFailureLogText(Status status, const std::shared_ptr<InternetFileDownloadResponse> &response)
{
    if (response)
        return LocalizedString("kDownloadErrorForURLMessageKey").arg(status).arg(response->_originalURL);
    return LocalizedString("kDownloadErrorInvalidURLMessageKey").arg(status);
}
