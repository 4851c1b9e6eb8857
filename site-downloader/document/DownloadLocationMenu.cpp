#include "site-downloader/document/DownloadLocationMenu.h"

#include "platform/FileReference.h"

#include <QAction>
#include <QComboBox>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QPointer>

namespace {

constexpr QSize kItemIconSize(16, 16);
const char *const kLastItemRelayName = "downloadLocationMenuLastItemRelay";

// Carries the last item's action for one construction of the menu.
class LastItemRelay final : public QObject
{
public:
    LastItemRelay(QComboBox *popUp, std::function<void()> action) : QObject(popUp), _action(std::move(action))
    {
        setObjectName(QLatin1String(kLastItemRelayName));
        connect(popUp, &QComboBox::activated, this, [this, popUp](int index) {
            if (index == popUp->count() - 1 && _action)
                _action();
        });
    }

private:
    std::function<void()> _action;
};

QString withoutTrailingSlashes(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString displayNameOf(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

QIcon iconOf(const QString &path)
{
    QFileIconProvider icons;
    const QFileInfo info(path);
    return info.exists() ? icons.icon(info) : icons.icon(QAbstractFileIconProvider::Folder);
}

void replaceLastItemRelay(QComboBox *popUp, std::function<void()> action)
{
    if (auto *previous = popUp->findChild<LastItemRelay *>(QLatin1String(kLastItemRelayName),
                                                             Qt::FindDirectChildrenOnly)) {
        // It may be running right now: its action is what rebuilds the menu.
        popUp->disconnect(previous);
        previous->setObjectName(QString());
        previous->deleteLater();
    }
    new LastItemRelay(popUp, std::move(action));
}

} // namespace

std::unique_ptr<QAction> menuItemForFileAtPath(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    // "~/Desktop/" must show as "Desktop", not as an empty name.
    const QString expanded = withoutTrailingSlashes(stringByExpandingTildeInPath(path));
    auto item = std::make_unique<QAction>(iconOf(expanded), displayNameOf(expanded));
    item->setIconVisibleInMenu(true);
    return item;
}

void ConstructDownloadLocationMenu(QComboBox *popUp, const std::optional<QString> &path, const QString &lastItemTitle,
                                   std::function<void()> lastItemAction)
{
    if (!popUp)
        return;
    popUp->clear();
    popUp->setIconSize(kItemIconSize);
    if (path) {
        if (const std::unique_ptr<QAction> item = menuItemForFileAtPath(*path)) {
            popUp->addItem(item->icon(), item->text());
            popUp->setItemData(popUp->count() - 1, *path, kRepresentedObjectRole);
            popUp->insertSeparator(popUp->count());
        }
    }
    popUp->addItem(lastItemTitle);
    replaceLastItemRelay(popUp, std::move(lastItemAction));
    popUp->setCurrentIndex(0);
}
