#pragma once

#include "utilities/ErrorCodes.h"

#include <QString>
#include <QUrl>
#include <functional>

// How an item is shown in the file manager. Each piece can be replaced, so that tests run the
// real decision without a file manager appearing, and so that the program can supply the beep
// (a widget-level service this layer cannot reach).
struct RevealServices {
    // Asks the file manager to show the item selected in its folder. Answers false when the
    // request could not even be sent; `failed` runs later if the file manager refuses it.
    std::function<bool(const QUrl &item, std::function<void()> failed)> showItem;
    // Opens a folder in whatever the desktop uses for folders.
    std::function<bool(const QUrl &folder)> openFolder;
    // Tells the user that the action was refused.
    std::function<void()> beep;
};

// The freedesktop FileManager1.ShowItems call on the session bus, and QDesktopServices for the
// folder; no beep.
RevealServices DefaultRevealServices();
// Replaces the services used by RevealPathItemInFinder. Pieces left empty stay as they are.
void SetRevealServices(const RevealServices &services);

// Shows the item at `path` (a symbolic link is followed to its end) in the file manager, falling
// back to opening the folder that holds it. When the path names nothing, beeps and returns the
// error of NSStringPathToFSRef. Main thread only.
Status RevealPathItemInFinder(const QString &path);
