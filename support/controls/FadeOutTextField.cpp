#include "support/controls/FadeOutTextField.h"

#include <QDateTime>
#include <cmath>

namespace {

constexpr double kTicksPerMessage = 10;
constexpr double kDarkeningPerTick = 0.8;

QColor darkened(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return QColor::fromRgbF(rgb.redF() * kDarkeningPerTick, rgb.greenF() * kDarkeningPerTick,
                            rgb.blueF() * kDarkeningPerTick, 1.0);
}

int64_t wholeSecondsNow()
{
    return QDateTime::currentSecsSinceEpoch();
}

} // namespace

FadeOutTextField::FadeOutTextField(QWidget *parent) : QLabel(parent), mClock(wholeSecondsNow)
{
    setAutoFillBackground(true);
    connect(&mTempMessageTimer, &QTimer::timeout, this, &FadeOutTextField::temporaryMessageFinishedSelector);
}

void FadeOutTextField::setFadingMessage(const QString &message, double duration, const QColor &textColor,
                                        const QColor &backgroundColor)
{
    mTempMessageTimer.stop();
    mCurrentMessageTextColor = textColor.isValid() ? textColor : QColor(Qt::white);
    mCurrentMessageBackgroundColor = backgroundColor.isValid() ? backgroundColor : QColor(Qt::transparent);
    // NaN and negative durations would make a timer Qt refuses to start, leaving the text for good.
    mCurrentMessageDuration = std::isfinite(duration) && duration > 0 ? duration : 0;
    mCurrentMessageStartTime = mClock();
    applyColors(mCurrentMessageTextColor, mCurrentMessageBackgroundColor);
    setText(message);
    const double intervalMilliseconds = mCurrentMessageDuration * 1000 / kTicksPerMessage;
    mTempMessageTimer.start(static_cast<int>(std::min(intervalMilliseconds, double(INT32_MAX))));
}

void FadeOutTextField::temporaryMessageFinishedSelector()
{
    const int64_t elapsed = mClock() - mCurrentMessageStartTime;
    if (double(elapsed) >= mCurrentMessageDuration) {
        applyColors(palette().color(QPalette::WindowText), Qt::black);
        clear();
        mCurrentMessageTextColor = QColor();
        mCurrentMessageBackgroundColor = QColor();
        mTempMessageTimer.stop();
        return;
    }
    mCurrentMessageBackgroundColor = darkened(mCurrentMessageBackgroundColor);
    mCurrentMessageTextColor = darkened(mCurrentMessageTextColor);
    applyColors(mCurrentMessageTextColor, mCurrentMessageBackgroundColor);
}

void FadeOutTextField::applyColors(const QColor &textColor, const QColor &backgroundColor)
{
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, textColor);
    colors.setColor(QPalette::Window, backgroundColor);
    setPalette(colors);
}

QColor FadeOutTextField::currentTextColor() const
{
    return palette().color(QPalette::WindowText);
}

QColor FadeOutTextField::currentBackgroundColor() const
{
    return palette().color(QPalette::Window);
}
