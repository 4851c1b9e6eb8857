#pragma once

#include "timed-downloader/document/FileDownloadThread.h"
#include "timed-downloader/document/JobSettings.h"

#include <QImage>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

class TimedDownloadJob;

// What the window shows about the last copy that was saved and decoded as a picture.
struct SavedCopy {
    QString path;
    QString name;
    QString sizeText;
    QString timeText;
    QImage picture;
};

class TimedDownloadJobDelegate
{
public:
    virtual ~TimedDownloadJobDelegate() = default;
    virtual void timedDownloadStatusChanged(TimedDownloadJob *, const QString & /*status*/) {}
    virtual void timedDownloadAnimationChanged(TimedDownloadJob *, bool /*animating*/) {}
    virtual void timedDownloadCopySaved(TimedDownloadJob *, const SavedCopy &) {}
    virtual void timedDownloadFetchStarted(TimedDownloadJob *) {}
};

// The machinery of one timed download: the settings frozen at start, the tick timer with its
// countdown, one fetch thread per fetch, and the numbered copies. Main thread only; no widgets.
class TimedDownloadJob final : public FileDownloadThreadTarget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TimedDownloadJob)

public:
    static constexpr std::chrono::milliseconds kTickInterval{1000};

    explicit TimedDownloadJob(QObject *parent = nullptr);
    ~TimedDownloadJob() override;

    // Not owned; the delegate clears itself before it goes.
    void setDelegate(TimedDownloadJobDelegate *delegate) { _delegate = delegate; }

    // Start freezes `settings`; results of fetches from before are dropped from then on.
    void start(const JobSettings &settings);
    // A fetch still running is not cancelled; its result is dropped when it arrives.
    void stop();
    bool isActive() const { return _isActive; }
    // The document goes away: no timer, no status, and no result of a fetch still running.
    void close();

    void startDownloadTimer();
    void stopDownloadTimer();
    void downloadTimerFired();
    void downloadURL();
    void fileDownloadProgress(FileDownloadThread *sender, const std::optional<QByteArray> &data) override;

    float downloadEveryXSeconds() const { return _downloadEveryXSeconds; }
    float currentDownloadCountdownSeconds() const { return _currentDownloadCountdownSeconds; }
    uint32_t downloadCount() const { return _downloadCount; }
    const QString &lastFilePath() const { return _lastFilePath; }
    const QString &status() const { return _status; }
    bool isAnimating() const { return _animating; }
    const std::shared_ptr<FileDownloadThread> &fileDownloadThread() const { return _fileDownloadThread; }

    // Tests and benchmarks run the clock faster, or bound the fetches more tightly.
    void setTickInterval(std::chrono::milliseconds interval) { _tickInterval = interval; }
    void setFetchLimits(std::optional<FetchLimits> limits) { _fetchLimitsOverride = limits; }

private:
    void setStatus(const QString &status);
    void setAnimating(bool animating);
    void handleData(const QByteArray &data);

    TimedDownloadJobDelegate *_delegate = nullptr;
    float _downloadEveryXSeconds = 5.0f;
    float _currentDownloadCountdownSeconds = 0.0f;
    uint32_t _downloadCount = 0;
    std::unique_ptr<QTimer> _downloadTimer;
    bool _isActive = false;
    std::shared_ptr<FileDownloadThread> _fileDownloadThread;
    QString _lastFilePath;
    QString _URLPathAtStart;
    QString _baseFileNameAtStart;
    QString _targetFolderPathAtStart;
    QString _numberLeadingZeroesAtStart;
    // Bumped at every start and stop, so a fetch knows which run asked for it.
    uint64_t _runTag = 0;
    QString _status;
    bool _animating = false;
    std::chrono::milliseconds _tickInterval = kTickInterval;
    std::optional<FetchLimits> _fetchLimitsOverride;
};

// The time text of a saved copy: "%m/%d/%Y %I:%M:%S %p" in local time.
QString DownloadTimeText(time_t when);
