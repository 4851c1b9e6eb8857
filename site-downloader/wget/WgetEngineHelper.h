#pragma once

#include "site-downloader/wget/WgetEngine.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class WgetEngineHelper;
class WgetEnginePreferences;
class WgetStartupFile;

// What a download document hears from its helper. Every message is optional: the defaults do
// nothing.
class WgetEngineHelperDelegate
{
public:
    virtual ~WgetEngineHelperDelegate() = default;
    virtual void wgetStatus(WgetEngineHelper *, const QString &) {}
    // Each output line arrives as three pieces: time stamp, line, line feed.
    virtual void wgetVerboseLog(WgetEngineHelper *, const QString &) {}
    virtual void wgetFileDownloadProgress(uint32_t /*percent*/, uint64_t /*totalBytes*/) {}
    virtual void wgetFileSaved(WgetEngineHelper *, const QString & /*path*/,
                               const std::optional<QString> & /*sourceURL*/) {}
    virtual void wgetFinished(WgetEngineHelper *, int32_t /*error*/) {}
};

// Wraps one wget run for a document: builds the command line from the options, starts the
// engine and turns its events into delegate messages. Main thread only.
class WgetEngineHelper final
{
public:
    WgetEngineHelper();
    ~WgetEngineHelper();
    WgetEngineHelper(const WgetEngineHelper &) = delete;
    WgetEngineHelper &operator=(const WgetEngineHelper &) = delete;

    WgetEngineHelperDelegate *delegate() const { return _delegate; }
    // Not owned; a delegate that goes away first clears itself with setDelegate(nullptr).
    void setDelegate(WgetEngineHelperDelegate *delegate) { _delegate = delegate; }
    void setPreferences(std::shared_ptr<WgetEnginePreferences> preferences);
    const std::shared_ptr<WgetEnginePreferences> &preferences() const { return _preferences; }

    // 0 when the child runs; otherwise the failure, after a wgetFinished for any engine that had
    // been set up.
    Status start();
    // Ends the run, if any. Safe at any time, also from inside wgetFinished.
    void stop();

    // Fills the argument vector from the options. Exposed for tests.
    Status setupArguments();
    const std::vector<QByteArray> &arguments() const { return _argumentTexts; }

    // The child's exit status of the last run (-1 while unknown).
    int32_t wgetExitStatus() const;

    // A text that says why the options cannot be handed to wget as they are, or an empty string.
    // start() refuses such options with kParamErr.
    QString problemWithPreferences() const;

    void wgetEvent(int32_t event);

private:
    friend void WgetEngineCallBack(int32_t event, WgetEngine *engine, void *context);
    void reportProgressFromLine(const char *line, const char *lineEnd);

    WgetEngineHelperDelegate *_delegate = nullptr;
    WgetEngine *_engineRef = nullptr;
    std::vector<QByteArray> _argumentTexts;   // the vector's texts, kept alive for the child
    std::vector<const char *> _arguments;     // pointers into _argumentTexts, null-terminated
    std::optional<QString> _currentURL;
    uint64_t _currentFileDownloadSize = 0;
    std::shared_ptr<WgetEnginePreferences> _preferences;
    std::unique_ptr<WgetStartupFile> _startupFile;
    int32_t _lastExitStatus = -1;
    WgetEngine *_eventEngine = nullptr;   // the engine whose event is being handled
    std::shared_ptr<bool> _alive = std::make_shared<bool>(true);
};

void WgetEngineCallBack(int32_t event, WgetEngine *engine, void *context);
