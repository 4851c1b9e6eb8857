#include "support/StartupScreenshot.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>

namespace {
// Long enough for the window to be laid out and painted on a virtual display.
constexpr int kScreenshotDelayMilliseconds = 1500;
} // namespace

void SaveScreenshotWhenAsked(QWidget *window, const char *variable)
{
    const QString path = qEnvironmentVariable(variable);
    if (path.isEmpty())
        return;
    QTimer::singleShot(kScreenshotDelayMilliseconds, window, [window, path] {
        if (window->grab().save(path))
            std::fprintf(stderr, "Saved a screenshot to %s\n", qPrintable(path));
        else
            std::fprintf(stderr, "Could not save a screenshot to %s\n", qPrintable(path));
        QApplication::quit();
    });
}

namespace {

class FirstPaintProbe final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !_seen) {
            _seen = true;
            timespec now {};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::fprintf(stderr, "first-paint %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stderr);
            QTimer::singleShot(0, qApp, [] { QApplication::quit(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool _seen = false;
};

} // namespace

void QuitAtFirstPaintWhenProbed(QWidget *window)
{
    if (!window || qEnvironmentVariableIsEmpty("STARTUP_TIME_PROBE"))
        return;
    window->installEventFilter(new FirstPaintProbe(window));
}
