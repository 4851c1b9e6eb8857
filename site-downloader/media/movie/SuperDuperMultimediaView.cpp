#include "site-downloader/media/movie/SuperDuperMultimediaView.h"

#include "site-downloader/media/movie/MovieFileDrop.h"
#include "site-downloader/media/movie/MovieFrameFitting.h"
#include "site-downloader/media/movie/MovieView.h"
#include "support/defaults/ViewGeometry.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QTimer>
#include <cmath>

SuperDuperMultimediaView::SuperDuperMultimediaView(QWidget *parent) : QWidget(parent)
{
    setAcceptDrops(true);
}

SuperDuperMultimediaView::~SuperDuperMultimediaView()
{
    _delegate = nullptr;
    stopMoviePlayCheckInterval();
}

bool SuperDuperMultimediaView::loadThisFile(const QString &path, bool start, int32_t /*startAtTime*/)
{
    if (path.isEmpty())
        return false;
    clear();
    ensureMovieSubView();
    _currentFilePath.clear();
    if (!_movieSubView->openMovie(path)) {
        _imageLoaded = false;
        applyControllerVisibility();
        return false;
    }
    _imageLoaded = _movieSubView->isStillPicture();
    _movieSubView->setVolume(_volume);
    applyControllerVisibility();
    _movieSubView->setLoopMode(_loopMode);
    _movieSubView->setPreserveAspectRatio(_preserveMovieAspectRatio);
    _currentFilePath = path;
    doFrameAdjustments();
    if (start)
        startPlayback();
    return true;
}

void SuperDuperMultimediaView::clear()
{
    if (_movieSubView)
        _movieSubView->removeMovie();
    _currentFilePath.clear();
    _imageLoaded = false;
    update();
}

void SuperDuperMultimediaView::ensureMovieSubView()
{
    if (_movieSubView)
        return;
    _movieSubView = new MovieView(this);
    _movieSubView->setGeometry(rect());
    _movieSubView->setControllerVisible(_showController && !_imageLoaded);
    // Movies learn their size after loading; the view refits then.
    connect(_movieSubView, &MovieView::naturalSizeChanged, this, [this] { doFrameAdjustments(); });
    connect(_movieSubView, &MovieView::movieFailed, this, [this] { clear(); });
    _movieSubView->show();
}

void SuperDuperMultimediaView::applyControllerVisibility()
{
    if (_movieSubView)
        _movieSubView->setControllerVisible(_showController && !_imageLoaded);
}

void SuperDuperMultimediaView::setShowController(bool showController)
{
    _showController = showController;
    if (_movieSubView) {
        applyControllerVisibility();
        doFrameAdjustments();
    }
}

void SuperDuperMultimediaView::setPreserveAspectRatio(bool preserve)
{
    _preserveMovieAspectRatio = preserve;
    if (_movieSubView)
        _movieSubView->setPreserveAspectRatio(preserve);
}

void SuperDuperMultimediaView::setVolume(float volume)
{
    _volume = volume;
    if (_movieSubView)
        _movieSubView->setVolume(volume);
}

void SuperDuperMultimediaView::setLoopMode(int32_t loopMode)
{
    _loopMode = loopMode;
    if (_movieSubView)
        _movieSubView->setLoopMode(loopMode);
}

void SuperDuperMultimediaView::setPixelBorderSize(int32_t pixelBorderSize)
{
    _pixelBorderSize = pixelBorderSize;
    doFrameAdjustments();
}

bool SuperDuperMultimediaView::isControllerVisible() const
{
    return _movieSubView && _movieSubView->isControllerVisible();
}

int64_t SuperDuperMultimediaView::getMovieDuration() const
{
    return _movieSubView ? _movieSubView->duration() : 0;
}

QSize SuperDuperMultimediaView::naturalSize() const
{
    return _movieSubView ? _movieSubView->naturalSize() : QSize();
}

void SuperDuperMultimediaView::goToMovieTime(int64_t milliseconds)
{
    if (_movieSubView)
        _movieSubView->goToTime(milliseconds);
}

void SuperDuperMultimediaView::startPlayback()
{
    if (_movieSubView)
        _movieSubView->start();
}

void SuperDuperMultimediaView::stopPlayback()
{
    if (_movieSubView)
        _movieSubView->stop();
    stopMoviePlayCheckInterval();
}

bool SuperDuperMultimediaView::isPlaying() const
{
    if (_imageLoaded)
        return true;
    if (!_movieSubView || !_movieSubView->hasMovie() || _suspendRotation)
        return false;
    return _movieSubView->isPlaying();
}

void SuperDuperMultimediaView::startMoviePlayCheckInterval()
{
    if (_playCheckTimer || !_movieSubView)
        return;
    _playCheckTimer = new QTimer(this);
    _playCheckTimer->setInterval(1000);
    connect(_playCheckTimer, &QTimer::timeout, this, &SuperDuperMultimediaView::moviePlayCheckInterval);
    _playCheckTimer->start();
}

void SuperDuperMultimediaView::stopMoviePlayCheckInterval()
{
    delete _playCheckTimer;
    _playCheckTimer = nullptr;
}

void SuperDuperMultimediaView::resetPlayCheckInterval()
{
    stopMoviePlayCheckInterval();
    startMoviePlayCheckInterval();
}

void SuperDuperMultimediaView::moviePlayCheckInterval()
{
    if (_suspendRotation || _imageLoaded || !_movieSubView)
        return;
    if (!_movieSubView->isPlaying() && _delegate)
        _delegate->movieFinishedPlaying(this);
}

void SuperDuperMultimediaView::doFrameAdjustments()
{
    doFrameAdjustmentsForMovie();
}

void SuperDuperMultimediaView::doFrameAdjustmentsForMovie()
{
    if (!_movieSubView)
        return;
    MediaViewFitting fitting;
    // The subview lives in this view's own coordinates, so the fit starts from them.
    fitting.viewFrame = QRectF(rect());
    fitting.controllerVisible = isControllerVisible();
    fitting.preserveAspectRatio = _preserveMovieAspectRatio;
    fitting.naturalSize = QSizeF(_movieSubView->naturalSize());
    fitting.pixelBorderSize = _pixelBorderSize;
    const std::optional<QRectF> frame = fitMediaViewMovieFrame(fitting);
    if (frame) {
        _movieSubView->setGeometry(QRect(int(std::floor(frame->x())), int(std::floor(frame->y())),
                                         int(std::floor(frame->width())), int(std::floor(frame->height()))));
        centerViewInSuperView(_movieSubView, true);
    }
    _movieSubView->update();
    update();
}

void SuperDuperMultimediaView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    doFrameAdjustments();
}

void SuperDuperMultimediaView::dragEnterEvent(QDragEnterEvent *event)
{
    acceptMovieFileDrag(event);
}

void SuperDuperMultimediaView::dragMoveEvent(QDragMoveEvent *event)
{
    acceptMovieFileDrag(event);
}

void SuperDuperMultimediaView::dropEvent(QDropEvent *event)
{
    const QString path = takeMovieFileDrop(event);
    if (!path.isEmpty() && _delegate)
        _delegate->fileDropped(path);
}
