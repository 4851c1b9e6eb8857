#include "site-downloader/media/movie/ExtendedNSMovieView.h"

#include "site-downloader/media/movie/MovieFileDrop.h"
#include "site-downloader/media/movie/MovieFrameFitting.h"
#include "support/defaults/ViewGeometry.h"
#include "utilities/RandomNumber.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QTimer>
#include <algorithm>
#include <cmath>

ExtendedNSMovieView::ExtendedNSMovieView(QWidget *parent) : MovieView(parent)
{
    setAcceptDrops(true);
}

ExtendedNSMovieView::~ExtendedNSMovieView()
{
    _delegate = nullptr;
}

void ExtendedNSMovieView::setStillPictureSwitchInterval(int32_t seconds)
{
    // A zero or negative time would switch pictures as fast as the event loop turns.
    _stillPictureSwitchInterval =
        std::clamp(seconds, kMinimumStillPictureSwitchInterval, kMaximumStillPictureSwitchInterval);
}

void ExtendedNSMovieView::start()
{
    if (!hasMovie())
        loadNextMovie();
    MovieView::start();
    resetMovieCheckInterval();
}

void ExtendedNSMovieView::loadNextMovie()
{
    const auto count = uint32_t(_moviesArray.size());
    if (_randomlySelectMovie && count > 0)
        _movieIndex = uint32_t(randomNumberInRangeFrom(0, int32_t(count) - 1));
    if (_movieIndex >= count)
        _movieIndex = 0;
    if (count == 0)
        return;
    const float currentVolume = volume();
    const QString path = _moviesArray.at(int(_movieIndex));
    ++_movieIndex;
    openMovie(path);
    doMovieFrameAdjustments();
    setVolume(currentVolume);
    if (_loopSameMovie)
        setLoopMode(1);
    if (parentWidget())
        parentWidget()->update();
}

void ExtendedNSMovieView::checkMovieStatus()
{
    if (_suspendRotation || isPlaying())
        return;
    loadNextMovie();
    start();
}

void ExtendedNSMovieView::resetMovieCheckInterval()
{
    if (_moviesArray.size() <= 1 || _loopSameMovie)
        return;
    const int interval = isStillPicture() ? _stillPictureSwitchInterval * 1000 : 1000;
    delete _switchingTimer;
    _switchingTimer = new QTimer(this);
    _switchingTimer->setInterval(interval);
    connect(_switchingTimer, &QTimer::timeout, this, &ExtendedNSMovieView::checkMovieStatus);
    _switchingTimer->start();
}

void ExtendedNSMovieView::doMovieFrameAdjustments()
{
    QWidget *parent = parentWidget();
    if (!parent)
        return;
    const QRectF frame = fitPlaylistMovieFrame(QSizeF(parent->size()), QSizeF(naturalSize()),
                                               _resizeInSuperViewForMovieAspectRatio, isControllerVisible(),
                                               _pixelBorderSize);
    setGeometry(QRect(int(std::floor(frame.x())), int(std::floor(frame.y())), int(std::floor(frame.width())),
                      int(std::floor(frame.height()))));
    centerViewInSuperView(this, true);
}

bool ExtendedNSMovieView::isSwitchingTimerActive() const
{
    return _switchingTimer && _switchingTimer->isActive();
}

int ExtendedNSMovieView::switchingTimerInterval() const
{
    return _switchingTimer ? _switchingTimer->interval() : 0;
}

void ExtendedNSMovieView::dragEnterEvent(QDragEnterEvent *event)
{
    acceptMovieFileDrag(event);
}

void ExtendedNSMovieView::dragMoveEvent(QDragMoveEvent *event)
{
    acceptMovieFileDrag(event);
}

void ExtendedNSMovieView::dropEvent(QDropEvent *event)
{
    const QString path = takeMovieFileDrop(event);
    if (!path.isEmpty() && _delegate)
        _delegate->fileDropped(path);
}
