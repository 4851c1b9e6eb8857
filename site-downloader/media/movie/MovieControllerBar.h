#pragma once

#include <QWidget>

class QLabel;
class QMediaPlayer;
class QSlider;
class QToolButton;

// The bar under a movie: play/pause, the position slider and the time. It follows whichever
// player it is given and drives it; without a player it is disabled.
class MovieControllerBar final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MovieControllerBar)

public:
    explicit MovieControllerBar(QWidget *parent = nullptr);

    void setPlayer(QMediaPlayer *player);
    // Pauses a playing movie, plays any other: the play button and the space bar.
    void togglePlayback();
    QToolButton *playButton() const { return _playButton; }
    QSlider *positionSlider() const { return _positionSlider; }
    QString timeText() const;

    // "m:ss", or "h:mm:ss" from an hour on.
    static QString formatMovieTime(qint64 milliseconds);

private:
    void updatePlaybackState();
    void updatePosition();

    QMediaPlayer *_player = nullptr;
    QToolButton *_playButton;
    QSlider *_positionSlider;
    QLabel *_timeLabel;
    QMetaObject::Connection _connections[4];
};
