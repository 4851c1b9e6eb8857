#pragma once

#include "utilities/ErrorCodes.h"

#include <cstddef>
#include <cstdint>
#include <sys/stat.h>

// A depth-first walk over a folder tree. Symbolic links stand in for alias files, and a folder
// is known by its device and inode, whatever path led to it.

enum : uint32_t {
    // Links met during the walk are resolved, and a link to a folder is walked into. The walk
    // keeps a set of the folders it has entered and never enters one twice; the folders above
    // the starting folder count as entered, so that no link leads the walk out of its tree
    // upwards (a link to "/" or to an ancestor is listed, never followed).
    kFolderIterateResolveAliases = 1,
    // A link that leads nowhere (dangling, a link loop, no permission) is passed over as a plain
    // entry instead of ending the walk.
    kFolderIterateIgnoreAliasErrors = 2,
};
inline constexpr uint32_t kFolderIterateDefaultOptions =
    kFolderIterateResolveAliases | kFolderIterateIgnoreAliasErrors;

// One entry of a walked folder, valid only during the filter call that receives it.
struct FolderIterateEntry {
    int folderDescriptor; // the folder holding the entry, open for the *at calls
    const char *name;
    const char *path;     // the folder's path, a slash and the name
    size_t pathLength;
    // The entry itself; a link is not followed. For folders and links all of lstat; for other
    // kinds only the type bits of st_mode, st_ino and st_dev, from the folder listing.
    struct stat info;
    uint32_t depth;       // 1 for the entries of the starting folder
};

// Returns 0 to go on, kSkipErr to go on without descending into this entry, and any other code
// to end the walk with it.
using FolderIterateFilter = Status (*)(void *refCon, const FolderIterateEntry *entry);

// Hands every entry below the folder at `path` to `filter`, each before the entries inside it
// (pre-order), in byte order of names within each folder; the starting folder itself is not
// handed over. When `path` names a file, its folder is walked. `maxDepth` 0 is unlimited, 1
// gives the direct entries only.
//
// An entry that disappears while its folder is read is left out, and a folder that cannot be
// read (or the rest of it) is passed over quietly. Any other failure of the file system ends the
// walk with its errno. The result is the filter's code when the filter ended the walk, else 0
// or the walk's error. kParamErr for a null filter or path.
Status FSIterateFolder(const char *path, uint32_t maxDepth, uint32_t options, FolderIterateFilter filter,
                       void *refCon);
