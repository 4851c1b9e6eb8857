#include "site-downloader/update/ProductUpdateCheck.h"

#include "platform/PropertyList.h"
#include "site-downloader/http/CFHTTPEngine.h"
#include "site-downloader/http/InternetFileDownload.h"
#include "site-downloader/update/NumVersion.h"

#include <QUrl>

namespace {

constexpr int kHTTPStatusOK = 200;
constexpr double kUpdateCheckTimeout = 8.0;

const char kVersionKey[] = "kProductUpdate_VersionKey";
const char kDownloadURLKey[] = "kProductUpdate_DownloadURLKey";
const char kInfoURLKey[] = "kProductUpdate_InfoURLKey";
const char kDetailInfoArrayKey[] = "kProductUpdate_DetailInfoArrayKey";

uint32_t versionValue(const std::optional<QString> &text)
{
    if (!text)
        return 0;
    const QByteArray bytes = text->toUtf8();
    uint32_t version = 0;
    if (TextToNumVersion(bytes.constData(), static_cast<size_t>(bytes.size()), &version) != kNoErr)
        return 0;
    return version;
}

// A line of the text reply: the prefix is dropped only where the line begins with it.
QString withoutPrefix(const QString &line, QLatin1String prefix)
{
    return line.startsWith(prefix) ? line.mid(prefix.size()) : line;
}

} // namespace

QString ApplicationVersionString()
{
    return QStringLiteral(VELLICOR_VERSION);
}

bool IsOpenableUpdateURL(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

std::shared_ptr<ProductUpdateCheckResponse> ProductUpdateCheckResponse::fromBodyContent(const QByteArray &body,
                                                                                        bool propertyListAddress,
                                                                                        uint32_t applicationVersion)
{
    auto response = std::make_shared<ProductUpdateCheckResponse>();
    if (propertyListAddress) {
        if (std::optional<QVariant> value = PropertyList::read(body); value && value->typeId() == QMetaType::QVariantMap) {
            response->_updateProperties = value->toMap();
            response->_newVersionAvailable =
                NumVersionCompare(versionValue(response->getVersionString()), applicationVersion) == 1;
            return response;
        }
    }
    const QString text = QString::fromUtf8(body);
    if (text.isEmpty())
        return response;
    const QStringList lines = text.split(QLatin1Char('\n'));
    response->_version = withoutPrefix(lines.at(0), QLatin1String("Version: "));
    if (lines.size() > 1)
        response->_downloadURL = withoutPrefix(lines.at(1), QLatin1String("Download URL: "));
    if (lines.size() > 2)
        response->_infoURL = withoutPrefix(lines.at(2), QLatin1String("Info URL: "));
    if (lines.size() > 3) {
        QString detail = withoutPrefix(lines.at(3), QLatin1String("Further Info: "));
        for (qsizetype index = 4; index < lines.size(); ++index)
            detail += QLatin1Char('\n') + lines.at(index);
        response->_furtherInfo = detail;
    }
    response->_newVersionAvailable = NumVersionCompare(versionValue(response->_version), applicationVersion) == 1;
    return response;
}

std::optional<QString> ProductUpdateCheckResponse::propertyString(const char *key) const
{
    if (!_updateProperties)
        return std::nullopt;
    const auto found = _updateProperties->constFind(QLatin1String(key));
    if (found == _updateProperties->constEnd() || found->typeId() != QMetaType::QString)
        return std::nullopt;
    return found->toString();
}

std::optional<QString> ProductUpdateCheckResponse::getVersionString() const
{
    if (std::optional<QString> value = propertyString(kVersionKey))
        return value;
    return _version;
}

std::optional<QString> ProductUpdateCheckResponse::getDownloadURLString() const
{
    if (std::optional<QString> value = propertyString(kDownloadURLKey))
        return value;
    return _downloadURL;
}

std::optional<QString> ProductUpdateCheckResponse::getInfoURLString() const
{
    if (std::optional<QString> value = propertyString(kInfoURLKey))
        return value;
    return _infoURL;
}

std::optional<QString> ProductUpdateCheckResponse::getDetailString() const
{
    if (_updateProperties) {
        const auto found = _updateProperties->constFind(QLatin1String(kDetailInfoArrayKey));
        if (found != _updateProperties->constEnd() && found->typeId() == QMetaType::QVariantList) {
            QString detail;
            for (const QVariant &line : found->toList())
                if (line.typeId() == QMetaType::QString)
                    detail += line.toString() + QLatin1Char('\n');
            return detail;
        }
    }
    return _furtherInfo;
}

ProductUpdateCheck::ProductUpdateCheck(QString targetURLString, ProductUpdateCheckDelegate *delegate,
                                       InternetFileDownloadProgressIndicator *progressIndicator)
    : _targetURL(std::move(targetURLString))
    , _progressIndicator(progressIndicator)
    , _delegate(delegate)
    , _applicationVersion(ApplicationVersionString())
{
}

ProductUpdateCheck::~ProductUpdateCheck()
{
    if (_progressIndicator)
        _progressIndicator->stopAnimation();
    // A running request ends with kEndingErr, which reaches the delegate like any completion.
    CFHTTPEngineDiscard(&_engine);
}

Status ProductUpdateCheck::start()
{
    if (_running)
        return kStateErr;
    if (_progressIndicator)
        _progressIndicator->startAnimation();
    Status status = CFHTTPEngineRecreate(&_engine);
    if (status == kNoErr)
        status = CFHTTPEngineSendRequest(_engine, _targetURL.toUtf8(), "GET", nullptr, nullptr,
                                         kCFHTTPEngineFlagReportProgress, kUpdateCheckTimeout,
                                         ProductUpdateCheck_HTTPRequestCallBack, this, nullptr);
    if (status != kNoErr) {
        CFHTTPEngineDiscard(&_engine);
        return status;
    }
    _running = true;
    return kNoErr;
}

void ProductUpdateCheck::updateHTTPRequestComplete(Status status, CFHTTPEngine *engine)
{
    _running = false;
    if (_progressIndicator)
        _progressIndicator->stopAnimation();
    std::shared_ptr<ProductUpdateCheckResponse> response;
    Status reported = status;
    if (!engine->response.headers) {
        if (_beep)
            _beep();
        if (reported == kNoErr)
            reported = kResponseErr;
    } else {
        const int statusCode = engine->response.headers->statusCode;
        if (reported == kNoErr && statusCode != kHTTPStatusOK)
            reported = statusCode > 0 ? statusCode : kResponseErr;
        if (reported == kNoErr && engine->response.data)
            response = getResponseObjectFromBodyContent(*engine->response.data);
    }
    if (_delegate)
        _delegate->productUpdateCheckComplete(this, reported, response);
}

std::shared_ptr<ProductUpdateCheckResponse> ProductUpdateCheck::getResponseObjectFromBodyContent(const QByteArray &body) const
{
    const bool propertyListAddress = QUrl(_targetURL).path().endsWith(QLatin1String(".plist"));
    return ProductUpdateCheckResponse::fromBodyContent(body, propertyListAddress,
                                                       versionValue(std::optional<QString>(_applicationVersion)));
}

void ProductUpdateCheck_HTTPRequestCallBack(CFHTTPEngine *engine, int32_t event, Status status, void *refCon)
{
    if (event == kCFHTTPEngineEventComplete)
        static_cast<ProductUpdateCheck *>(refCon)->updateHTTPRequestComplete(status, engine);
}
