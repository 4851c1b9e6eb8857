#include "platform/LocalizedString.h"
#include "site-downloader/app/VellicorApplication.h"
#include "support/DesktopServices.h"
#include "support/StartupScreenshot.h"
#include "support/document/Document.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellicor"));
    QApplication::setOrganizationName(QStringLiteral("Vellicor"));
    InstallDesktopServices();
    InstallTranslations(QStringLiteral("support"));
    InstallTranslations(QStringLiteral("vellicor"));

    VellicorApplication vellicor;
    // The desktop passes the documents to open as arguments (the .desktop file's %F).
    QStringList paths = QApplication::arguments();
    paths.removeFirst();
    vellicor.openDocumentsAtLaunch(paths);
    const auto &documents = vellicor.documentController().documents();
    if (!documents.empty())
        SaveScreenshotWhenAsked(documents.front()->window(), "VELLICOR_SCREENSHOT");
    return application.exec();
}
