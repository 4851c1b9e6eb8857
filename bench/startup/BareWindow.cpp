// The floor for start-up times: a Qt widgets program that shows one window and nothing else,
// reporting its first paint the way the real programs do.
#include "support/StartupScreenshot.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QLabel window(QStringLiteral("Bare window"));
    window.resize(640, 400);
    QuitAtFirstPaintWhenProbed(&window);
    window.show();
    return application.exec();
}
