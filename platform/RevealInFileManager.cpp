#include "platform/RevealInFileManager.h"

#include "platform/FileReference.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

const QString kFileManagerService = QStringLiteral("org.freedesktop.FileManager1");
const QString kFileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");

bool showItemOverSessionBus(const QUrl &item, std::function<void()> failed)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kFileManagerService, kFileManagerPath, kFileManagerService,
                                                       QStringLiteral("ShowItems"));
    call << QStringList{item.toString(QUrl::FullyEncoded)} << QString();
    // Asynchronous: a file manager that has to be started first must not freeze the window.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [failed = std::move(failed)](QDBusPendingCallWatcher *finished) {
                         if (finished->isError() && failed)
                             failed();
                         finished->deleteLater();
                     });
    return true;
}

RevealServices &currentServices()
{
    static RevealServices services = DefaultRevealServices();
    return services;
}

} // namespace

RevealServices DefaultRevealServices()
{
    RevealServices services;
    services.showItem = &showItemOverSessionBus;
    services.openFolder = [](const QUrl &folder) { return QDesktopServices::openUrl(folder); };
    services.beep = [] {};
    return services;
}

void SetRevealServices(const RevealServices &services)
{
    RevealServices &current = currentServices();
    if (services.showItem)
        current.showItem = services.showItem;
    if (services.openFolder)
        current.openFolder = services.openFolder;
    if (services.beep)
        current.beep = services.beep;
}

Status RevealPathItemInFinder(const QString &path)
{
    const RevealServices &services = currentServices();
    FSRef item;
    if (const Status status = NSStringPathToFSRef(path, &item); status != kNoErr) {
        services.beep();
        return status;
    }
    const QString itemPath = FSRefToNSStringPath(&item);
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(itemPath).absolutePath());
    // Copied, not referenced: the services may be replaced before a refusal arrives.
    auto openFolder = [openFolder = services.openFolder, folder] { openFolder(folder); };
    if (!services.showItem(QUrl::fromLocalFile(itemPath), openFolder))
        openFolder();
    return kNoErr;
}
