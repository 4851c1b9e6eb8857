#pragma once

#include "utilities/ErrorCodes.h"

#include <QString>

// The freedesktop Trash: an item goes into "files/" of a trash folder, with a "<name>.trashinfo"
// in "info/" that records where it came from and when, so a file manager can put it back.
//
// Items on the home folder's file system go to $XDG_DATA_HOME/Trash (~/.local/share/Trash).
// Items on another file system go to the trash of that file system's top folder: "$topdir/.Trash/
// $uid" when the administrator made a sticky, non-link "$topdir/.Trash", else "$topdir/.Trash-$uid"
// (created when missing). Nothing is ever copied between file systems: when neither of those can
// be used the item is refused with EXDEV and stays where it is.
//
// A name already taken in the trash becomes "name#1", "name#2"... (after the whole name, so
// "a.jpg" becomes "a.jpg#1"); a name too long to take its info file's ".trashinfo" is cut short
// in the trash, while the info file records it whole. The info file is created first, exclusively, which reserves the
// name; the item is then put in place without replacing anything. Nothing in a trash folder is
// ever overwritten, and on any failure the item is left where it was.
//
// The path is taken as the kernel resolves it ("link/../a" is the "a" beside the link's target),
// and the path recorded for putting the item back is that of its real folder.
//
// Results: kNoErr with `outTrashedPath` (may be null) set to the item's path inside the trash.
//   kParamErr  an empty path or one without a name ("/", or ending in "." or "..")
//   ENOENT     nothing is there (a dangling symbolic link is trashed as the link it is)
//   EXDEV      no usable trash on the item's file system
//   any other errno of the failed step (EACCES, EROFS, ENOSPC...)
Status FSpMoveToTrash(const QString &path, QString *outTrashedPath = nullptr);

// The home trash folder, whether or not it exists yet.
QString HomeTrashFolder();
