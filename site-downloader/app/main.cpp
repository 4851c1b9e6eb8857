#include "platform/LocalizedString.h"
#include "site-downloader/app/AppDelegate.h"
#include "site-downloader/app/VellicorApplication.h"
#include "support/DesktopServices.h"
#include "support/StartupScreenshot.h"
#include "support/document/Document.h"

#include <QApplication>
#include <QWidget>
#include <csignal>

int main(int argc, char **argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellicor"));
    QApplication::setOrganizationName(QStringLiteral("Vellicor"));
    QApplication::setApplicationVersion(ApplicationVersionString());
    QApplication::setDesktopFileName(QStringLiteral("vellicor"));
    InstallDesktopServices();
    InstallTranslations(QStringLiteral("support"));
    InstallTranslations(QStringLiteral("vellicor"));

    AppDelegate delegate;
    // The desktop passes the documents to open as arguments (the .desktop file's %F).
    delegate.applicationDidFinishLaunching(QApplication::arguments().mid(1));
    const auto &documents = delegate.application().documentController().documents();
    if (!documents.empty())
    {
        SaveScreenshotWhenAsked(documents.front()->window(), "VELLICOR_SCREENSHOT");
        QuitAtFirstPaintWhenProbed(documents.front()->window());
    }
    return application.exec();
}
