#pragma once

#include "utilities/ErrorCodes.h"

#include <QString>
#include <functional>

// Moving and copying one item (file, symbolic link or folder) into a folder without ever
// replacing, losing or half-writing anything.
//
// The item keeps its name when that is free in the destination, otherwise it takes the first free
// "name#N.ext" (GetUniqueFileNameInDirectory). The final step never replaces: renameat2 with
// RENAME_NOREPLACE, or link + unlink where a file system lacks it, so a name that appears between
// the choice and the step makes the move take the next free name instead.
//
// Across file systems a file is copied to a hidden temporary name inside the destination,
// flushed to disk, put in place the same way, and only then is the source removed. Should that
// removal fail, the copy is removed again and the source is untouched. A folder is never copied
// across file systems by a move: that would be a long, partial-failure-prone tree copy, so it is
// refused with EXDEV.
//
// Results: kNoErr with `outNewPath` set to the item's final path. An item whose parent folder
// already is the destination (same device and inode, however either path is spelled) stays where
// it is: kNoErr, and `outNewPath` is the source path. Failures leave the source in place and
// nothing of ours in the destination:
//   ENOENT      the source does not exist
//   ENOTDIR     the destination is not a folder (or does not exist: ENOENT)
//   EINVAL      a folder into itself or into a folder below itself
//   EXDEV       a folder moved across file systems
//   EAGAIN      a file copied across file systems changed (or was replaced) while it was being
//               copied: the copy is removed and the source, as it now is, stays
//   kUnsupportedErr  a special file (device, socket, FIFO) that would have to be copied
//   kParamErr   an empty path, or a source without a name ("/")
//   any other errno of the failed step (EACCES, ENOSPC, EIO...)
Status SafeMoveItemIntoFolder(const QString &sourcePath, const QString &destinationFolder, QString *outNewPath);

// Copies the item into the folder under a free name, leaving the source as it is. The copy is
// written under a temporary name and put in place without replacing, so the destination never
// shows a partial copy under a real name. Folders are copied with their whole tree (files,
// symbolic links as links, subfolders). An item already in the destination is not copied:
// kNoErr, and `outNewPath` is the source path. Failures as for SafeMoveItemIntoFolder (without
// the EXDEV refusal).
Status SafeCopyItemIntoFolder(const QString &sourcePath, const QString &destinationFolder, QString *outNewPath);

// Both paths name the same existing folder (device and inode), whatever their spelling.
bool IsSameFolder(const QString &folder, const QString &otherFolder);

// For tests: runs with the full target path right before each attempt to put an item in place
// (under its own name first, then under each free name chosen), so a test can make that name
// appear meanwhile. An empty function removes the hook. Not for use while moves run on other
// threads.
void SetSafeFileMoveHook(std::function<void(const QString &targetPath)> hook);

// For tests: makes the moves behave as on a file system without RENAME_NOREPLACE, so that the
// link-and-unlink way (files) and the claimed-empty-folder way (folders) run here too.
void SetSafeFileMoveNoReplaceRenameDisabled(bool disabled);
