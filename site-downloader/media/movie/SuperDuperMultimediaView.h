#pragma once

#include <QRectF>
#include <QString>
#include <QWidget>
#include <cstdint>

class MovieView;
class QTimer;
class SuperDuperMultimediaView;

// What the media view tells its owner. Every message is optional. Not owned by the view: a
// delegate that goes away first clears itself with setDelegate(nullptr).
class SuperDuperMultimediaViewDelegate
{
public:
    virtual ~SuperDuperMultimediaViewDelegate() = default;
    // The first item of a file drop on the view; the view itself loads nothing.
    virtual void fileDropped(const QString & /*path*/) {}
    // The end-of-movie check found the movie stopped.
    virtual void movieFinishedPlaying(SuperDuperMultimediaView * /*view*/) {}
};

// Shows one movie or still picture at a time, fitted into the view with its proportions, with a
// controller bar for movies (never for still pictures). The movie subview is made on the first
// load and kept; it refits when the view resizes and when a movie's size becomes known after
// loading. The volume is 0 until setVolume is called. Main thread only.
class SuperDuperMultimediaView : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SuperDuperMultimediaView)

public:
    explicit SuperDuperMultimediaView(QWidget *parent = nullptr);
    ~SuperDuperMultimediaView() override;

    // Shows `path`, starting playback with `start`. False for an empty path or a file that is
    // neither a picture nor playable media; the previous file is gone either way. `startAtTime`
    // is accepted for callers that pass it and has no effect.
    bool loadThisFile(const QString &path, bool start, int32_t startAtTime);
    // Removes the shown picture or movie; the subview stays.
    void clear();

    void setShowController(bool showController);
    bool showController() const { return _showController; }
    void setPreserveAspectRatio(bool preserve);
    bool preserveAspectRatio() const { return _preserveMovieAspectRatio; }
    void setVolume(float volume);
    float volume() const { return _volume; }
    void setLoopMode(int32_t loopMode);
    int32_t loopMode() const { return _loopMode; }
    void setPixelBorderSize(int32_t pixelBorderSize);
    int32_t pixelBorderSize() const { return _pixelBorderSize; }
    void setSuspendRotation(bool suspend) { _suspendRotation = suspend; }
    bool isSuspendRotation() const { return _suspendRotation; }

    bool isControllerVisible() const;
    // In milliseconds; 0 without a movie and for still pictures.
    int64_t getMovieDuration() const;
    const QString &getCurrentFilePath() const { return _currentFilePath; }
    bool isImageLoaded() const { return _imageLoaded; }
    // The loaded picture's own size (0x0 for audio, empty without a file).
    QSize naturalSize() const;
    void goToMovieTime(int64_t milliseconds);

    void startPlayback();
    // Also stops the end-of-movie check.
    void stopPlayback();
    // True for a still picture; false without a movie or while rotation is suspended.
    bool isPlaying() const;

    // A repeating one-second check that tells the delegate when the movie has stopped.
    void startMoviePlayCheckInterval();
    void stopMoviePlayCheckInterval();
    void resetPlayCheckInterval();
    void moviePlayCheckInterval();
    bool isPlayCheckRunning() const { return _playCheckTimer != nullptr; }

    void doFrameAdjustments();
    void doFrameAdjustmentsForMovie();

    void setDelegate(SuperDuperMultimediaViewDelegate *delegate) { _delegate = delegate; }
    SuperDuperMultimediaViewDelegate *delegate() const { return _delegate; }
    // Null until the first load.
    MovieView *movieSubView() const { return _movieSubView; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void ensureMovieSubView();
    void applyControllerVisibility();

    QTimer *_playCheckTimer = nullptr;
    MovieView *_movieSubView = nullptr;
    bool _preserveMovieAspectRatio = true;
    int32_t _pixelBorderSize = 0;
    int32_t _loopMode = 0;
    bool _suspendRotation = false;
    bool _showController = false;
    float _volume = 0;
    QString _currentFilePath;
    bool _imageLoaded = false;
    SuperDuperMultimediaViewDelegate *_delegate = nullptr;
};
