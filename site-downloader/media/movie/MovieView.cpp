#include "site-downloader/media/movie/MovieView.h"

#include "site-downloader/media/movie/MovieControllerBar.h"

#include <QAudioOutput>
#include <QDebug>
#include <QEventLoop>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QMediaMetaData>
#include <QPainter>
#include <QPointer>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <QVideoSink>
#include <QVideoWidget>

namespace {

int gLoadTimeoutMilliseconds = 15000;

// Qt's FFmpeg back end crashes without a sound device and never reports invalid media, so the
// programs pin GStreamer unless the user chose a back end.
void selectMediaBackend()
{
    static const bool selected = [] {
        if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
            qputenv("QT_MEDIA_BACKEND", "gstreamer");
        return true;
    }();
    (void)selected;
}

} // namespace

// Draws a still picture scaled into the view, keeping its proportions unless told otherwise.
class StillPictureView final : public QWidget
{
public:
    using QWidget::QWidget;

    void setPicture(const QImage &picture)
    {
        _picture = picture;
        update();
    }
    void setPreserveAspectRatio(bool preserve)
    {
        _preserveAspectRatio = preserve;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (_picture.isNull())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        QRect target = rect();
        if (_preserveAspectRatio) {
            const QSize scaled = _picture.size().scaled(size(), Qt::KeepAspectRatio);
            target = QRect(QPoint((width() - scaled.width()) / 2, (height() - scaled.height()) / 2), scaled);
        }
        painter.drawImage(target, _picture);
    }

private:
    QImage _picture;
    bool _preserveAspectRatio = true;
};

MovieView::MovieView(QWidget *parent)
    : QWidget(parent), _videoWidget(new QVideoWidget), _stillPictureView(new StillPictureView),
      _pictureLayout(new QStackedLayout), _controllerBar(new MovieControllerBar)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    _pictureLayout->addWidget(_videoWidget);
    _pictureLayout->addWidget(_stillPictureView);
    layout->addLayout(_pictureLayout, 1);
    layout->addWidget(_controllerBar);
    _videoWidget->setAspectRatioMode(Qt::KeepAspectRatio);
    setFocusPolicy(Qt::ClickFocus);
    _videoWidget->setMinimumSize(0, 0);
    // Queued: Qt 6.4 emits the size change with the sink's lock held, so reading the size from
    // the slot directly would wait on that lock forever.
    connect(
        _videoWidget->videoSink(), &QVideoSink::videoSizeChanged, this,
        [this] { takeVideoSize(_videoWidget->videoSink()->videoSize()); }, Qt::QueuedConnection);
}

MovieView::~MovieView()
{
    // The player goes before the video widget whose sink it feeds.
    releasePlayer();
}

void MovieView::setLoadTimeout(int milliseconds)
{
    gLoadTimeoutMilliseconds = milliseconds;
}

int MovieView::loadTimeout()
{
    return gLoadTimeoutMilliseconds;
}

void MovieView::ensurePlayer()
{
    if (_player)
        return;
    selectMediaBackend();
    _player = new QMediaPlayer(this);
    // The GStreamer back end wants an audio output even where there is no sound device.
    _audioOutput = new QAudioOutput(_player);
    _audioOutput->setVolume(_volume);
    _player->setAudioOutput(_audioOutput);
    _player->setVideoOutput(_videoWidget);
    _player->setLoops(_loopMode == 0 ? 1 : QMediaPlayer::Infinite);
    connect(_player, &QMediaPlayer::errorOccurred, this, &MovieView::playerErrorOccurred);
    connect(_player, &QMediaPlayer::metaDataChanged, this, [this] {
        const QVariant resolution = _player->metaData().value(QMediaMetaData::Resolution);
        if (resolution.isValid() && _naturalSize.isEmpty())
            takeVideoSize(resolution.toSize());
    });
    _controllerBar->setPlayer(_player);
}

void MovieView::releasePlayer()
{
    if (!_player)
        return;
    ++_loadGeneration;
    _controllerBar->setPlayer(nullptr);
    QMediaPlayer *player = _player;
    _player = nullptr;
    _audioOutput = nullptr;
    player->disconnect(this);
    player->stop();
    delete player;
}

bool MovieView::openMovie(const QString &path)
{
    removeMovie();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;

    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage picture = reader.read();
    if (!picture.isNull()) {
        _stillPicture = picture;
        _stillPictureView->setPicture(picture);
        _pictureLayout->setCurrentWidget(_stillPictureView);
        _moviePath = path;
        _naturalSize = picture.size();
        emit naturalSizeChanged(_naturalSize);
        return true;
    }

    ensurePlayer();
    _pictureLayout->setCurrentWidget(_videoWidget);
    const uint64_t generation = ++_loadGeneration;
    _lastError.clear();
    _moviePath = path;
    _loading = true;
    _player->setSource(QUrl::fromLocalFile(path));

    const auto settled = [this] {
        if (!_player)
            return true;
        const QMediaPlayer::MediaStatus status = _player->mediaStatus();
        return status != QMediaPlayer::LoadingMedia && status != QMediaPlayer::NoMedia;
    };
    if (!settled() && _lastError.isEmpty()) {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(_player, &QMediaPlayer::mediaStatusChanged, &loop, [&] {
            if (settled())
                loop.quit();
        });
        connect(_player, &QMediaPlayer::errorOccurred, &loop, &QEventLoop::quit);
        connect(_player, &QObject::destroyed, &loop, &QEventLoop::quit);
        connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
        deadline.start(gLoadTimeoutMilliseconds);
        QPointer<MovieView> self(this);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (!self)
            return false;
    }
    if (generation != _loadGeneration || !_player)
        return false;
    _loading = false;
    const QMediaPlayer::MediaStatus status = _player->mediaStatus();
    const bool loaded = _lastError.isEmpty() &&
                        (status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferingMedia ||
                         status == QMediaPlayer::BufferedMedia || status == QMediaPlayer::EndOfMedia);
    if (!loaded) {
        qWarning().noquote() << "Cannot open" << path << "as a movie:"
                             << (_lastError.isEmpty() ? QStringLiteral("no answer in time") : _lastError);
        removeMovie();
        // After a refusal the back end may refuse good files too; the next open starts afresh.
        releasePlayer();
        return false;
    }
    if (!_player->hasVideo())
        _naturalSize = QSize(0, 0);
    else if (_naturalSize.isEmpty())
        takeVideoSize(_player->metaData().value(QMediaMetaData::Resolution).toSize());
    return true;
}

void MovieView::removeMovie()
{
    ++_loadGeneration;
    _loading = false;
    if (_player) {
        _player->stop();
        _player->setSource(QUrl());
    }
    _stillPicture = QImage();
    _stillPictureView->setPicture(QImage());
    _moviePath.clear();
    _naturalSize = QSize();
}

int64_t MovieView::duration() const
{
    if (!hasMovie() || isStillPicture() || !_player)
        return 0;
    return _player->duration();
}

void MovieView::setControllerVisible(bool visible)
{
    _controllerVisible = visible;
    _controllerBar->setVisible(visible);
}

bool MovieView::isControllerVisible() const
{
    return _controllerVisible;
}

void MovieView::setPreserveAspectRatio(bool preserve)
{
    _videoWidget->setAspectRatioMode(preserve ? Qt::KeepAspectRatio : Qt::IgnoreAspectRatio);
    _stillPictureView->setPreserveAspectRatio(preserve);
}

void MovieView::setVolume(float volume)
{
    _volume = volume;
    if (_audioOutput)
        _audioOutput->setVolume(volume);
}

void MovieView::setLoopMode(int32_t loopMode)
{
    _loopMode = loopMode;
    if (_player)
        _player->setLoops(loopMode == 0 ? 1 : QMediaPlayer::Infinite);
}

void MovieView::start()
{
    if (_player && hasMovie() && !isStillPicture())
        _player->play();
}

void MovieView::stop()
{
    if (_player)
        _player->pause();
}

void MovieView::goToTime(int64_t milliseconds)
{
    if (_player && hasMovie() && !isStillPicture())
        _player->setPosition(milliseconds);
}

bool MovieView::isPlaying() const
{
    return _player && hasMovie() && !isStillPicture() && _player->playbackState() == QMediaPlayer::PlayingState;
}

void MovieView::takeVideoSize(const QSize &size)
{
    if (!hasMovie() || isStillPicture() || !size.isValid() || size.isEmpty() || size == _naturalSize)
        return;
    _naturalSize = size;
    emit naturalSizeChanged(size);
}

void MovieView::playerErrorOccurred(QMediaPlayer::Error error, const QString &errorString)
{
    if (error == QMediaPlayer::NoError)
        return;
    _lastError = errorString.isEmpty() ? QStringLiteral("media error %1").arg(int(error)) : errorString;
    if (_loading)
        return; // openMovie reports it
    const QString path = _moviePath;
    if (path.isEmpty())
        return;
    qWarning().noquote() << "Playing" << path << "failed:" << _lastError;
    removeMovie();
    releasePlayer();
    emit movieFailed(path, _lastError);
}

void MovieView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && isControllerVisible() &&
        hasMovie() && !isStillPicture()) {
        _controllerBar->togglePlayback();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
