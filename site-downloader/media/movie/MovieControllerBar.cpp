#include "site-downloader/media/movie/MovieControllerBar.h"

#include "platform/LocalizedString.h"
#include "site-downloader/media/movie/MovieFrameFitting.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

MovieControllerBar::MovieControllerBar(QWidget *parent)
    : QWidget(parent), _playButton(new QToolButton(this)), _positionSlider(new QSlider(Qt::Horizontal, this)),
      _timeLabel(new QLabel(this))
{
    setFixedHeight(kMediaViewControllerHeight);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 4, 0);
    layout->setSpacing(4);
    _playButton->setAutoRaise(true);
    _playButton->setFixedSize(kMediaViewControllerHeight, kMediaViewControllerHeight);
    _playButton->setFocusPolicy(Qt::TabFocus);
    _positionSlider->setAccessibleName(LocalizedString("kMovieControllerPositionTitle"));
    _positionSlider->setFocusPolicy(Qt::TabFocus);
    _timeLabel->setTextFormat(Qt::PlainText);
    layout->addWidget(_playButton);
    layout->addWidget(_positionSlider, 1);
    layout->addWidget(_timeLabel);

    connect(_playButton, &QToolButton::clicked, this, &MovieControllerBar::togglePlayback);
    // Seek while dragging too, so the picture follows the knob.
    connect(_positionSlider, &QSlider::sliderMoved, this, [this](int position) {
        if (_player)
            _player->setPosition(position);
    });
    connect(_positionSlider, &QSlider::actionTriggered, this, [this] {
        if (_player && !_positionSlider->isSliderDown())
            _player->setPosition(_positionSlider->sliderPosition());
    });
    setPlayer(nullptr);
}

void MovieControllerBar::setPlayer(QMediaPlayer *player)
{
    for (QMetaObject::Connection &connection : _connections)
        disconnect(connection);
    _player = player;
    if (_player) {
        _connections[0] = connect(_player, &QMediaPlayer::playbackStateChanged, this,
                                  &MovieControllerBar::updatePlaybackState);
        _connections[1] = connect(_player, &QMediaPlayer::positionChanged, this, &MovieControllerBar::updatePosition);
        _connections[2] = connect(_player, &QMediaPlayer::durationChanged, this, &MovieControllerBar::updatePosition);
        _connections[3] = connect(_player, &QObject::destroyed, this, [this] { setPlayer(nullptr); });
    }
    setEnabled(_player != nullptr);
    updatePlaybackState();
    updatePosition();
}

void MovieControllerBar::togglePlayback()
{
    if (!_player || _player->source().isEmpty())
        return;
    if (_player->playbackState() == QMediaPlayer::PlayingState)
        _player->pause();
    else
        _player->play();
}

QString MovieControllerBar::timeText() const
{
    return _timeLabel->text();
}

QString MovieControllerBar::formatMovieTime(qint64 milliseconds)
{
    const qint64 seconds = std::max<qint64>(0, milliseconds) / 1000;
    const qint64 hours = seconds / 3600;
    const qint64 minutes = (seconds / 60) % 60;
    const QString secondsText = QStringLiteral("%1").arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (hours > 0)
        return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes, 2, 10, QLatin1Char('0')).arg(secondsText);
    return QStringLiteral("%1:%2").arg(minutes).arg(secondsText);
}

void MovieControllerBar::updatePlaybackState()
{
    const bool playing = _player && _player->playbackState() == QMediaPlayer::PlayingState;
    _playButton->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    const QString title = LocalizedString(playing ? "kMovieControllerPauseTitle" : "kMovieControllerPlayTitle");
    _playButton->setToolTip(title);
    _playButton->setAccessibleName(title);
}

void MovieControllerBar::updatePosition()
{
    const qint64 duration = _player ? _player->duration() : 0;
    const qint64 position = _player ? _player->position() : 0;
    if (!_positionSlider->isSliderDown()) {
        _positionSlider->setRange(0, int(std::min<qint64>(duration, INT32_MAX)));
        _positionSlider->setValue(int(std::min<qint64>(position, INT32_MAX)));
    }
    _positionSlider->setPageStep(std::max(1000, int(std::min<qint64>(duration / 10, INT32_MAX))));
    _timeLabel->setText(formatMovieTime(position) + QStringLiteral(" / ") + formatMovieTime(duration));
}
