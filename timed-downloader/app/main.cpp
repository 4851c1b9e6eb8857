#include "platform/LocalizedString.h"
#include "support/DesktopServices.h"
#include "support/StartupScreenshot.h"
#include "support/document/Document.h"
#include "timed-downloader/app/AppDelegate.h"

#include <QApplication>
#include <csignal>

int main(int argc, char **argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pendrill"));
    QApplication::setOrganizationName(QStringLiteral("Pendrill"));
    QApplication::setQuitOnLastWindowClosed(false);
    InstallDesktopServices();
    InstallTranslations(QStringLiteral("support"));
    InstallTranslations(QStringLiteral("pendrill"));
    AppDelegate delegate;
    delegate.applicationDidFinishLaunching(QApplication::arguments().mid(1));
    if (!delegate.documentController().documents().empty()) {
        QWidget *window = delegate.documentController().documents().front()->window();
        SaveScreenshotWhenAsked(window, "PENDRILL_SCREENSHOT");
        QuitAtFirstPaintWhenProbed(window);
    }
    return application.exec();
}
