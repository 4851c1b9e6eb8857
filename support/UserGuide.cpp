#include "support/UserGuide.h"

#include "platform/ResourceFolder.h"

#include <QDebug>
#include <QDesktopServices>
#include <QUrl>

bool ShowUserGuide()
{
    const QString guide = ResourcePath(kUserGuideRelativePath);
    if (guide.isEmpty()) {
        qWarning("failed to find the help file for this localization!");
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(guide));
}
