#include "platform/LocalizedString.h"
#include "support/StartupScreenshot.h"
#include "timed-downloader/app/PendrillMainWindow.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pendrill"));
    QApplication::setOrganizationName(QStringLiteral("Pendrill"));
    InstallTranslations(QStringLiteral("support"));
    InstallTranslations(QStringLiteral("pendrill"));
    PendrillMainWindow window;
    window.show();
    SaveScreenshotWhenAsked(&window, "PENDRILL_SCREENSHOT");
    return application.exec();
}
