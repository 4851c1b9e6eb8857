#pragma once

#include "utilities/ErrorCodes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

struct CFHTTPEngine;
class InternetFileDownloadProgressIndicator;
class ProductUpdateCheck;

// The program's own version, from the build ("1.0.0").
QString ApplicationVersionString();

// The parsed reply of an update service: a property list (for an address ending in ".plist") or
// four lines of text ("Version: ", "Download URL: ", "Info URL: ", "Further Info: ") with more
// detail lines after them.
class ProductUpdateCheckResponse final
{
public:
    // `applicationVersion` is what the reply's version is compared with.
    static std::shared_ptr<ProductUpdateCheckResponse> fromBodyContent(const QByteArray &body, bool propertyListAddress,
                                                                       uint32_t applicationVersion);

    bool isNewVersionAvailable() const { return _newVersionAvailable; }
    std::optional<QString> getVersionString() const;
    std::optional<QString> getDownloadURLString() const;
    std::optional<QString> getInfoURLString() const;
    std::optional<QString> getDetailString() const;

private:
    std::optional<QString> propertyString(const char *key) const;

    bool _newVersionAvailable = false;
    std::optional<QString> _version;
    std::optional<QString> _downloadURL;
    std::optional<QString> _infoURL;
    std::optional<QString> _furtherInfo;
    std::optional<QVariantMap> _updateProperties;
};

class ProductUpdateCheckDelegate
{
public:
    // `status`: the engine's status, else an HTTP status other than 200, else 0. `response` only
    // for a 200 answer with a body. Destroying a running check reports kEndingErr from inside its
    // destructor: the delegate must not destroy the check from that call.
    virtual void productUpdateCheckComplete(ProductUpdateCheck *check, Status status,
                                            const std::shared_ptr<ProductUpdateCheckResponse> &response) = 0;

protected:
    ~ProductUpdateCheckDelegate() = default;
};

// Asks the update service at one address which version is current: a plain GET with nothing
// about the installation in it, eight seconds of patience, one completion per successful start.
// Main thread only. A check is started once; make a new one for the next check.
class ProductUpdateCheck final
{
public:
    // Neither the delegate nor the indicator is owned.
    ProductUpdateCheck(QString targetURLString, ProductUpdateCheckDelegate *delegate,
                       InternetFileDownloadProgressIndicator *progressIndicator);
    ~ProductUpdateCheck();
    ProductUpdateCheck(const ProductUpdateCheck &) = delete;
    ProductUpdateCheck &operator=(const ProductUpdateCheck &) = delete;

    // What to do when no answer came at all (time-out, no network). Unset, the check is silent:
    // the automatic check at launch must not beep at someone who is offline.
    void setBeep(std::function<void()> beep) { _beep = std::move(beep); }
    void setDelegate(ProductUpdateCheckDelegate *delegate) { _delegate = delegate; }
    // The version replies are compared with; the program's own unless set.
    void setApplicationVersionString(const QString &version) { _applicationVersion = version; }

    // Returns the reason when the request could not be sent; the delegate hears nothing then.
    Status start();
    bool running() const { return _running; }
    const QString &targetURL() const { return _targetURL; }

    void updateHTTPRequestComplete(Status status, CFHTTPEngine *engine);
    std::shared_ptr<ProductUpdateCheckResponse> getResponseObjectFromBodyContent(const QByteArray &body) const;

private:
    CFHTTPEngine *_engine = nullptr;
    QString _targetURL;
    InternetFileDownloadProgressIndicator *_progressIndicator = nullptr;
    ProductUpdateCheckDelegate *_delegate = nullptr;
    std::function<void()> _beep;
    QString _applicationVersion;
    bool _running = false;
};

void ProductUpdateCheck_HTTPRequestCallBack(CFHTTPEngine *engine, int32_t event, Status status, void *refCon);

// Whether a reply's address may be handed to the browser: only http and https, so a reply cannot
// make the desktop open a local file or start another program.
bool IsOpenableUpdateURL(const QString &address);
