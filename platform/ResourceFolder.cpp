#include "platform/ResourceFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <mutex>

namespace {

std::mutex folderMutex;
QString chosenFolder;

QString folderBesideProgram()
{
    const QString program = QCoreApplication::applicationName().toLower();
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString buildTreeFolder = programFolder + QLatin1Char('/') + program + QStringLiteral("-resources");
    if (QFileInfo(buildTreeFolder).isDir())
        return buildTreeFolder;
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/") + program);
}

} // namespace

QString ResourceFolder()
{
    {
        std::lock_guard lock(folderMutex);
        if (!chosenFolder.isEmpty())
            return chosenFolder;
    }
    return folderBesideProgram();
}

void SetResourceFolder(const QString &folder)
{
    std::lock_guard lock(folderMutex);
    chosenFolder = folder;
}

QString ResourcePath(const QString &name)
{
    if (name.isEmpty())
        return {};
    const QString path = ResourceFolder() + QLatin1Char('/') + name;
    // QFileInfo::exists follows links, so a link whose target is gone counts as missing.
    return QFileInfo::exists(path) ? path : QString();
}
