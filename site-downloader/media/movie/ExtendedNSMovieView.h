#pragma once

#include "site-downloader/media/movie/MovieView.h"

#include <QStringList>
#include <cstdint>

class QTimer;

// What a playlist movie view tells its owner. Optional; not owned by the view.
class ExtendedNSMovieViewDelegate
{
public:
    virtual ~ExtendedNSMovieViewDelegate() = default;
    // The first item of a file drop on the view.
    virtual void fileDropped(const QString & /*path*/) {}
};

// A movie view that can also play a list of files one after another or at random, showing still
// pictures for a fixed number of seconds. The player window uses it for one dropped movie and
// leaves the list empty. Main thread only.
class ExtendedNSMovieView : public MovieView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExtendedNSMovieView)

public:
    explicit ExtendedNSMovieView(QWidget *parent = nullptr);
    ~ExtendedNSMovieView() override;

    // The still-picture time is kept in five bits, so it lies from 1 to 15 seconds.
    static constexpr int32_t kMinimumStillPictureSwitchInterval = 1;
    static constexpr int32_t kMaximumStillPictureSwitchInterval = 15;

    void setLoopSameMovie(bool loopSameMovie) { _loopSameMovie = loopSameMovie; }
    bool loopSameMovie() const { return _loopSameMovie; }
    void setRandomMovieSelection(bool random) { _randomlySelectMovie = random; }
    bool randomMovieSelection() const { return _randomlySelectMovie; }
    void setPixelBorderSize(int32_t pixelBorderSize) { _pixelBorderSize = pixelBorderSize; }
    int32_t pixelBorderSize() const { return _pixelBorderSize; }
    void startOnMovieIndex(uint32_t index) { _movieIndex = index; }
    uint32_t movieIndex() const { return _movieIndex; }
    void setStillPictureSwitchInterval(int32_t seconds);
    int32_t stillPictureSwitchInterval() const { return _stillPictureSwitchInterval; }
    void setResizeInSuperviewForMovieAspectRatio(bool resize) { _resizeInSuperViewForMovieAspectRatio = resize; }
    bool resizeInSuperviewForMovieAspectRatio() const { return _resizeInSuperViewForMovieAspectRatio; }
    void setSuspendRotation(bool suspend) { _suspendRotation = suspend; }
    bool isSuspendRotation() const { return _suspendRotation; }
    // Replaces the list.
    void addArrayOfMoviePaths(const QStringList &paths) { _moviesArray = paths; }
    const QStringList &moviePaths() const { return _moviesArray; }
    void setDelegate(ExtendedNSMovieViewDelegate *delegate) { _delegate = delegate; }
    ExtendedNSMovieViewDelegate *delegate() const { return _delegate; }

    // Loads the next list entry when nothing is shown, plays, and arms the switching check.
    void start();
    // Shows the list entry at the current index (a random one with random selection) and moves
    // the index on; an index past the end starts over.
    void loadNextMovie();
    // Moves on to the next entry when the current one has stopped, unless rotation is suspended.
    void checkMovieStatus();
    // With more than one entry and no looping, checks every second, or for a still picture
    // after its display time.
    void resetMovieCheckInterval();
    // Fits the view into its parent (see fitPlaylistMovieFrame) and centres it there.
    void doMovieFrameAdjustments();

    bool isSwitchingTimerActive() const;
    int switchingTimerInterval() const;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QStringList _moviesArray;
    QTimer *_switchingTimer = nullptr;
    bool _resizeInSuperViewForMovieAspectRatio = false;
    bool _randomlySelectMovie = true;
    uint32_t _movieIndex = 0;
    int32_t _pixelBorderSize = 0;
    bool _loopSameMovie = false;
    int32_t _stillPictureSwitchInterval = kMinimumStillPictureSwitchInterval;
    bool _suspendRotation = false;
    ExtendedNSMovieViewDelegate *_delegate = nullptr;
};
