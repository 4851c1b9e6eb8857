#include "timed-downloader/document/TimedDownloadJob.h"

#include "platform/LocalizedString.h"
#include "platform/TextIntegerValue.h"
#include "timed-downloader/document/NumberedFiles.h"

#include <QDebug>
#include <QFileInfo>
#include <ctime>

QString DownloadTimeText(time_t when)
{
    struct tm local;
    localtime_r(&when, &local);
    char text[200];
    const size_t length = strftime(text, sizeof text, "%m/%d/%Y %I:%M:%S %p", &local);
    return QString::fromLocal8Bit(text, qsizetype(length));
}

TimedDownloadJob::TimedDownloadJob(QObject *parent) : FileDownloadThreadTarget(parent) {}

TimedDownloadJob::~TimedDownloadJob()
{
    // Fetches in flight hold this job weakly: their results are dropped once it is gone.
    stopDownloadTimer();
}

void TimedDownloadJob::start(const JobSettings &settings)
{
    _URLPathAtStart = settings.urlText;
    _baseFileNameAtStart = settings.baseFileNameText;
    _targetFolderPathAtStart = settings.targetFolderPathText;
    _numberLeadingZeroesAtStart = settings.numberLeadingZeroesText;
    _downloadEveryXSeconds = float(IntegerValueOfText(settings.downloadIntervalText));
    ++_runTag;
    _isActive = true;
    startDownloadTimer();
    downloadURL();
}

void TimedDownloadJob::stop()
{
    ++_runTag;
    setStatus(LocalizedString("kStoppedMessage"));
    setAnimating(false);
    stopDownloadTimer();
    _isActive = false;
}

void TimedDownloadJob::close()
{
    ++_runTag;
    stopDownloadTimer();
    _isActive = false;
    _delegate = nullptr;
}

void TimedDownloadJob::startDownloadTimer()
{
    _currentDownloadCountdownSeconds = 0;
    _downloadTimer = std::make_unique<QTimer>();
    // A precise repeating timer plans each tick from the previous plan, so late ticks do not
    // push the later ones back.
    _downloadTimer->setTimerType(Qt::PreciseTimer);
    _downloadTimer->setInterval(_tickInterval);
    connect(_downloadTimer.get(), &QTimer::timeout, this, &TimedDownloadJob::downloadTimerFired);
    _downloadTimer->start();
}

void TimedDownloadJob::stopDownloadTimer()
{
    _downloadTimer.reset();
}

void TimedDownloadJob::downloadTimerFired()
{
    _currentDownloadCountdownSeconds += 1;
    if (_downloadEveryXSeconds <= _currentDownloadCountdownSeconds) {
        downloadURL();
        _currentDownloadCountdownSeconds = 0;
    } else if (_currentDownloadCountdownSeconds >= 3) {
        const auto secondsLeft = static_cast<unsigned>(_downloadEveryXSeconds - _currentDownloadCountdownSeconds);
        setStatus(LocalizedString("kNextDownloadMessage").arg(secondsLeft));
    }
}

void TimedDownloadJob::downloadURL()
{
    _fileDownloadThread.reset();
    std::shared_ptr<FileDownloadThread> fetch = FileDownloadThread::create();
    fetch->setupProcessor(_URLPathAtStart, this);
    fetch->setFetchLimits(_fetchLimitsOverride.value_or(FetchLimitsForInterval(_downloadEveryXSeconds)));
    fetch->setRunTag(_runTag);
    if (fetch->startDownloading() != kNoErr) {
        setStatus(LocalizedString("kDownloadFailedMessage"));
        return;
    }
    _fileDownloadThread = std::move(fetch);
    if (_delegate)
        _delegate->timedDownloadFetchStarted(this);
    setAnimating(true);
    setStatus(LocalizedString("kRetrievingURLMessage"));
}

void TimedDownloadJob::fileDownloadProgress(FileDownloadThread *sender, const std::optional<QByteArray> &data)
{
    // A result of an earlier run must not be saved under this run's settings.
    if (!_isActive || !sender || sender->runTag() != _runTag)
        return;
    if (!data) {
        setStatus(LocalizedString("kDownloadFailedMessage"));
        setAnimating(false);
        return;
    }
    handleData(*data);
}

void TimedDownloadJob::handleData(const QByteArray &data)
{
    const QString folder = _targetFolderPathAtStart.isEmpty() ? DefaultTargetFolder() : _targetFolderPathAtStart;
    const QString fileName = FileNameForDownload(_baseFileNameAtStart, _URLPathAtStart);
    QString path;
    const Status written =
        WriteNumberedFile(folder, fileName, LeadingZeroCountOfText(_numberLeadingZeroesAtStart), data, &path);
    if (written != kNoErr) {
        // A copy that is not on disk is a failure, not a download to count.
        qDebug("Pendrill: could not write the copy into %s (%d)", qPrintable(folder), int(written));
        setStatus(LocalizedString("kDownloadFailedMessage"));
        setAnimating(false);
        return;
    }
    _lastFilePath = path;
    SavedCopy copy;
    copy.timeText = DownloadTimeText(time(nullptr));
    if (!copy.picture.load(path)) {
        // Not a picture (an HTML page, say): the window keeps showing the last picture, and the
        // progress indicator keeps going until the next result.
        qDebug("Pendrill: %s is not a picture", qPrintable(path));
        return;
    }
    copy.path = path;
    copy.name = QFileInfo(path).fileName();
    copy.sizeText = LocalizedString("kSizeTitle").arg(static_cast<unsigned long long>(data.size() / 1024));
    ++_downloadCount;
    if (_delegate)
        _delegate->timedDownloadCopySaved(this, copy);
    setStatus(LocalizedString("kDownloadSuccessMessage"));
    setAnimating(false);
}

void TimedDownloadJob::setStatus(const QString &status)
{
    _status = status;
    if (_delegate)
        _delegate->timedDownloadStatusChanged(this, status);
}

void TimedDownloadJob::setAnimating(bool animating)
{
    _animating = animating;
    if (_delegate)
        _delegate->timedDownloadAnimationChanged(this, animating);
}
