#pragma once

#include <QString>
#include <QtCore/qnamespace.h>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QComboBox;

// The item data role that carries a folder item's path, read back from the selected item.
inline constexpr int kRepresentedObjectRole = Qt::UserRole;

// A menu item for the file or folder at `path` (a leading tilde is expanded): its display name
// and its icon, nothing else. A folder that does not exist yet still gets its item, with the
// folder icon, because the run creates it. Null for an empty path.
std::unique_ptr<QAction> menuItemForFileAtPath(const QString &path);

// Rebuilds `popUp` (a non-editable combo box): the item for `path` with the path as its data and
// a separator after it, when there is a path; then the item `lastItemTitle`, whose choice calls
// `lastItemAction`. The first item ends up selected. Safe to call again from inside
// `lastItemAction`, which is how a newly chosen folder replaces the old one.
void ConstructDownloadLocationMenu(QComboBox *popUp, const std::optional<QString> &path, const QString &lastItemTitle,
                                   std::function<void()> lastItemAction);
