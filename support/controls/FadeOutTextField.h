#pragma once

#include <QColor>
#include <QLabel>
#include <QTimer>
#include <cstdint>
#include <functional>

// A status field that shows a message and darkens it away: about ten steps over the message's
// duration, each one 0.8 times as bright as the last, then the text goes and the field is black.
class FadeOutTextField final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FadeOutTextField)

public:
    // Calendar time in whole seconds; replaceable so tests need not wait for the clock.
    using Clock = std::function<int64_t()>;

    explicit FadeOutTextField(QWidget *parent = nullptr);

    // An invalid colour means the default: white text on a clear background. A duration that is
    // not positive ends the message on the first tick.
    void setFadingMessage(const QString &message, double duration, const QColor &textColor = {},
                          const QColor &backgroundColor = {});

    bool isFading() const { return mTempMessageTimer.isActive(); }
    QColor currentTextColor() const;
    QColor currentBackgroundColor() const;
    void setClock(Clock clock) { mClock = std::move(clock); }

private:
    void temporaryMessageFinishedSelector();
    void applyColors(const QColor &textColor, const QColor &backgroundColor);

    QTimer mTempMessageTimer;
    double mCurrentMessageDuration = 0;
    int64_t mCurrentMessageStartTime = 0;
    QColor mCurrentMessageTextColor;
    QColor mCurrentMessageBackgroundColor;
    Clock mClock;
};
