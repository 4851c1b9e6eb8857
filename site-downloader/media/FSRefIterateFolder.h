#pragma once

#include "platform/FileReference.h"
#include "utilities/FolderIterate.h"

// Walks the folder that `folder` references (see FSIterateFolder). paramErr for a null or empty
// reference or a null filter.
Status FSRefIterateFolder(const FSRef *folder, uint32_t maxDepth, uint32_t options, FolderIterateFilter filter,
                          void *refCon);

// The reference of the entry that a walk hands to its filter: the entry itself, not what a link
// leads to, so that a dangling link is listed as what it is.
FSRef FSRefFromFolderIterateEntry(const FolderIterateEntry *entry);
