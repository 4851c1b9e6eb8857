#include "platform/LocalizedString.h"
#include "site-downloader/app/VellicorMainWindow.h"
#include "support/DesktopServices.h"
#include "support/StartupScreenshot.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellicor"));
    QApplication::setOrganizationName(QStringLiteral("Vellicor"));
    InstallDesktopServices();
    InstallTranslations(QStringLiteral("support"));
    InstallTranslations(QStringLiteral("vellicor"));
    VellicorMainWindow window;
    window.show();
    SaveScreenshotWhenAsked(&window, "VELLICOR_SCREENSHOT");
    return application.exec();
}
