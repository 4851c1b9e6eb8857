#pragma once

#include <QImage>
#include <QMediaPlayer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <cstdint>

class MovieControllerBar;
class QAudioOutput;
class QStackedLayout;
class QVideoWidget;
class StillPictureView;

// One movie or still picture with an optional controller bar below it. Movies play through Qt
// Multimedia on its GStreamer back end; still pictures are recognised by decoding them and are
// drawn as images, with no player behind them. The media view and the player window build on it.
// Main thread only.
class MovieView : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MovieView)

public:
    explicit MovieView(QWidget *parent = nullptr);
    ~MovieView() override;

    // Opens `path` in place of the current movie. Movies load asynchronously; this waits, with a
    // bound, until the back end has accepted or refused the file, handling only non-input events
    // meanwhile. False for a file that is neither a picture nor playable media, which leaves the
    // view empty; also false when another open or a removal overtook this one while it waited.
    bool openMovie(const QString &path);
    // Stops and forgets the current movie or picture; the view stays.
    void removeMovie();
    bool hasMovie() const { return !_moviePath.isEmpty(); }
    const QString &moviePath() const { return _moviePath; }
    bool isStillPicture() const { return !_stillPicture.isNull(); }
    // The picture's own size; 0x0 for audio or before the video's size is known.
    QSize naturalSize() const { return _naturalSize; }
    // In milliseconds; 0 for a still picture or without a movie.
    int64_t duration() const;

    void setControllerVisible(bool visible);
    bool isControllerVisible() const;
    void setPreserveAspectRatio(bool preserve);
    void setVolume(float volume);
    float volume() const { return _volume; }
    // 0 plays once; any other mode loops (a back-and-forth mode has no equivalent and loops too).
    void setLoopMode(int32_t loopMode);
    int32_t loopMode() const { return _loopMode; }

    void start();
    void stop();
    void goToTime(int64_t milliseconds);
    // Whether a movie is playing now; a still picture never is.
    bool isPlaying() const;
    // Lets the player go: stops it and destroys its pipeline. The next open makes a new one.
    void releasePlayer();

    // The longest a movie may take to load before openMovie gives up on it.
    static void setLoadTimeout(int milliseconds);
    static int loadTimeout();

    MovieControllerBar *controllerBar() const { return _controllerBar; }
    QMediaPlayer *mediaPlayer() const { return _player; }
    QImage stillPicture() const { return _stillPicture; }
    // The last failure the back end reported, for developers' diagnostics.
    const QString &lastError() const { return _lastError; }

signals:
    // The picture's size became known or changed; movies learn it after loading.
    void naturalSizeChanged(const QSize &size);
    // The back end gave up on a movie it had accepted; the view is empty again.
    void movieFailed(const QString &path, const QString &error);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void ensurePlayer();
    void takeVideoSize(const QSize &size);
    void playerErrorOccurred(QMediaPlayer::Error error, const QString &errorString);

    QMediaPlayer *_player = nullptr;
    QAudioOutput *_audioOutput = nullptr;
    QVideoWidget *_videoWidget;
    StillPictureView *_stillPictureView;
    QStackedLayout *_pictureLayout;
    MovieControllerBar *_controllerBar;
    QString _moviePath;
    QImage _stillPicture;
    QSize _naturalSize;
    QString _lastError;
    float _volume = 0;
    int32_t _loopMode = 0;
    bool _controllerVisible = true;
    bool _loading = false;
    uint64_t _loadGeneration = 0;
};
