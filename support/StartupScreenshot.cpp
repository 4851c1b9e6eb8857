#include "support/StartupScreenshot.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstdio>

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
