#include "site-downloader/wget/WgetEngineHelper.h"

#include "platform/LocalizedString.h"
#include "platform/ResourceFolder.h"
#include "site-downloader/wget/WgetEnginePreferences.h"
#include "site-downloader/wget/WgetOutputLine.h"
#include "site-downloader/wget/WgetStartupFile.h"

#include <QStringDecoder>
#include <csignal>
#include <ctime>
#include <exception>
#include <string_view>

namespace {

constexpr int kMaximumCredentialLength = 255;

bool hasCredential(const std::optional<QString> &text)
{
    return text && !text->isEmpty() && text->size() <= kMaximumCredentialLength;
}

bool isNonEmpty(const std::optional<QString> &list)
{
    return list && !list->isEmpty();
}

// The UTF-8 text of a line, or nothing when the bytes are not valid UTF-8.
std::optional<QString> decodeLine(std::string_view bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// "[2006-05-01 14:03:27 +0200] ", formatted once per second: every output line carries one.
const QString &timeStampPrefix()
{
    static time_t formattedSecond = -1;
    static QString prefix;
    const time_t now = std::time(nullptr);
    if (now != formattedSecond) {
        struct tm local {};
        localtime_r(&now, &local);
        char text[64];
        std::strftime(text, sizeof text, "[%Y-%m-%d %H:%M:%S %z] ", &local);
        prefix = QString::fromLatin1(text);
        formattedSecond = now;
    }
    return prefix;
}

} // namespace

WgetEngineHelper::WgetEngineHelper()
{
    std::signal(SIGPIPE, SIG_IGN);
}

WgetEngineHelper::~WgetEngineHelper()
{
    *_alive = false;
    stop();
}

void WgetEngineHelper::setPreferences(std::shared_ptr<WgetEnginePreferences> preferences)
{
    _preferences = std::move(preferences);
}

int32_t WgetEngineHelper::wgetExitStatus() const
{
    return _engineRef ? _engineRef->exitStatus : _lastExitStatus;
}

QString WgetEngineHelper::problemWithPreferences() const
{
    if (!_preferences || !_preferences->_useAuthentication)
        return {};
    if (!hasCredential(_preferences->username()) || !hasCredential(_preferences->password()))
        return {};
    return WgetStartupFile::problemWithCredentials(*_preferences->username(), *_preferences->password());
}

Status WgetEngineHelper::start()
{
    if (!_preferences)
        return kParamErr;
    stop();
    if (const Status result = setupArguments(); result != kNoErr) {
        stop();
        return result;
    }
    Status result = WgetCreate(&_engineRef);
    if (result == kNoErr)
        result = WgetInit(_engineRef, WgetEngineCallBack, this);
    if (result == kNoErr)
        result = WgetStartWithArguments(_engineRef, _arguments.data());
    if (result != kNoErr)
        stop();
    return result;
}

void WgetEngineHelper::stop()
{
    if (WgetEngine *engine = std::exchange(_engineRef, nullptr)) {
        _lastExitStatus = engine->exitStatus;
        // The stop event reaches the delegate from inside WgetDelete, and a delegate may
        // destroy this helper there.
        const std::shared_ptr<bool> alive = _alive;
        WgetDelete(engine);
        if (!*alive)
            return;
    }
    _startupFile.reset();
}

Status WgetEngineHelper::setupArguments()
{
    if (!_preferences)
        return kParamErr;
    const WgetEnginePreferences &options = *_preferences;
    const QString executable = ResourcePath(QStringLiteral("wget"));
    if (executable.isEmpty())
        return kNotFoundErr;
    if (!options.baseURL())
        return kParamErr;
    if (!problemWithPreferences().isEmpty())
        return kParamErr;

    _argumentTexts.clear();
    auto add = [this](const QString &text) { _argumentTexts.push_back(text.toUtf8()); };
    auto addList = [&add](bool enabled, const char *option, const std::optional<QString> &list) {
        if (enabled && isNonEmpty(list))
            add(QLatin1String(option) + *list);
    };

    add(executable);
    add(QStringLiteral("wget"));
    add(QStringLiteral("--progress=dot"));
    add(QStringLiteral("-e robots=off"));
    if (options._delayBetweenRetrievals)
        add(QStringLiteral("-w%1").arg(options._delayLengthInSeconds));
    if (!options._recreateFolderHierarchyOnLocalDisk)
        add(QStringLiteral("-nd"));
    if (options._recursive) {
        add(QStringLiteral("-r"));
        if (options._recursionLevelMax != 0)
            add(QStringLiteral("-l%1").arg(options._recursionLevelMax));
    }
    if (options._relinkForOfflineBrowsing) {
        add(QStringLiteral("-k"));
        if (options._relinkForOfflineBrowsingKeepOriginalPage)
            add(QStringLiteral("-K"));
    }
    if (options._getAllFilesRequiredToViewHTMLPage)
        add(QStringLiteral("-p"));
    if (options._followRelativeLinksOnly)
        add(QStringLiteral("-L"));
    if (options._allowRecursionToForeignHosts)
        add(QStringLiteral("-H"));
    addList(options._allowOnlySomeDomains, "-D", options.allowedDomainList());
    addList(options._skipSomeDomains, "--exclude-domains=", options.skippedDomainList());
    addList(options._skipFilesWithSomeExtensions, "-R", options.skippedExtensionList());
    addList(options._skipSomeDirectories, "-X", options.skippedDirectoriesList());
    // wget 1.21 no longer has -G; this is its long name.
    addList(options._skipSomeHTMLTags, "--ignore-tags=", options.skippedHTMLTagsList());
    if (options._dontAscendIntoParentDirectories)
        add(QStringLiteral("-np"));
    // Written without "=": wget would take it as the first character of the list.
    addList(options._onlyAllowFilesWithSomeExtensions, "-A", options.acceptedExtensionList());
    addList(options._onlyAllowSomeDirectories, "-I", options.acceptedDirectoriesList());
    if (options._onlyAllowSomeHTMLTags)
        add(QStringLiteral("--follow-tags=") + options.acceptedHTMLTagsList().value_or(QString()));
    if (options._fileHandlingType == 0)
        add(QStringLiteral("-nc"));
    else if (options._fileHandlingType == 2)
        add(QStringLiteral("-N"));
    if (const std::optional<QString> folder = options.outputDirectory(); folder && !folder->isEmpty())
        add(QStringLiteral("-P") + *folder);
    if (options._followFTPLinks)
        add(QStringLiteral("--follow-ftp"));
    if (options._keepFileListingFiles)
        add(QStringLiteral("--no-remove-listing")); // -nr in old versions
    if (options._usePassiveFTPTransferMode)
        add(QStringLiteral("--passive-ftp"));
    if (options._getSymLinks)
        add(QStringLiteral("--retr-symlinks"));
    _startupFile.reset();
    if (options._useAuthentication && hasCredential(options.username()) && hasCredential(options.password())) {
        QString problem;
        _startupFile = WgetStartupFile::create(*options.username(), *options.password(), &problem);
        if (!_startupFile)
            return kOpenErr;
        add(QStringLiteral("--config=") + _startupFile->path());
    }
    // Whatever the user typed is the address, never an option.
    add(QStringLiteral("--"));
    add(*options.baseURL());

    _arguments.clear();
    for (const QByteArray &text : _argumentTexts)
        _arguments.push_back(text.constData());
    _arguments.push_back(nullptr);
    _currentURL = options.baseURL();
    _currentFileDownloadSize = 0;
    return kNoErr;
}

void WgetEngineCallBack(int32_t event, WgetEngine *engine, void *context)
{
    auto *helper = static_cast<WgetEngineHelper *>(context);
    // During a stop by the owner the helper has already let go of its engine.
    helper->_eventEngine = engine;
    helper->wgetEvent(event);
}

void WgetEngineHelper::reportProgressFromLine(const char *line, const char *lineEnd)
{
    const std::string_view text(line, static_cast<size_t>(lineEnd - line));
    if (text.find("Length:") != std::string_view::npos) {
        if (const std::optional<uint64_t> length = WgetOutputLine::announcedLength(text))
            _currentFileDownloadSize = *length;
        return;
    }
    if (const std::optional<uint32_t> percent = WgetOutputLine::percentDone(text); percent && _delegate)
        _delegate->wgetFileDownloadProgress(*percent, _currentFileDownloadSize);
}

void WgetEngineHelper::wgetEvent(int32_t event)
{
    try {
        if (!_delegate && event != kWgetEventURL && event != kWgetEventSaved && event != kWgetEventStopped)
            return;
        WgetEngine *engine = _eventEngine;
        if (!engine)
            return;
        const std::string_view line(engine->lineStart, static_cast<size_t>(engine->lineEnd - engine->lineStart));
        switch (event) {
        case kWgetEventLine:
            if (const std::optional<QString> text = decodeLine(line)) {
                static const QString lineFeed = QStringLiteral("\n");
                _delegate->wgetVerboseLog(this, timeStampPrefix());
                _delegate->wgetVerboseLog(this, *text);
                _delegate->wgetVerboseLog(this, lineFeed);
            }
            break;
        case kWgetEventStarted:
            _delegate->wgetStatus(this, LocalizedString("kStartedMessageKey"));
            break;
        case kWgetEventConnected:
            _delegate->wgetStatus(this, LocalizedString("kConnectedMessageKey"));
            break;
        case kWgetEventStopped: {
            _lastExitStatus = engine->exitStatus;
            const int32_t error = engine->error;
            _startupFile.reset();
            if (_delegate)
                _delegate->wgetFinished(this, error); // may destroy this helper: nothing follows
            break;
        }
        case kWgetEventURL:
            _currentURL.reset();
            if (const std::optional<QString> address = decodeLine(WgetOutputLine::addressInLine(line))) {
                _currentURL = address;
                if (_delegate)
                    _delegate->wgetStatus(this, LocalizedString("kWaitingForMessageKey").replace(QLatin1String("%@"), *address));
            }
            reportProgressFromLine(engine->lineStart, engine->lineEnd);
            break;
        case kWgetEventProgress:
            reportProgressFromLine(engine->lineStart, engine->lineEnd);
            break;
        case kWgetEventSaved:
            if (const std::optional<std::string_view> path = WgetOutputLine::savedPath(line)) {
                if (const std::optional<QString> decodedPath = decodeLine(*path)) {
                    std::optional<QString> source = std::exchange(_currentURL, std::nullopt);
                    if (_delegate)
                        _delegate->wgetFileSaved(this, *decodedPath, source);
                }
            }
            break;
        default:
            break;
        }
    } catch (...) {
        if (_delegate)
            _delegate->wgetVerboseLog(this, QStringLiteral("An exception occurred in wgetEvent:"));
    }
}
