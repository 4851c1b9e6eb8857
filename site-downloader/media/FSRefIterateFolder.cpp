#include "site-downloader/media/FSRefIterateFolder.h"

Status FSRefIterateFolder(const FSRef *folder, uint32_t maxDepth, uint32_t options, FolderIterateFilter filter,
                          void *refCon)
{
    if (!folder || !folder->isValid() || !filter)
        return paramErr;
    return FSIterateFolder(folder->path.c_str(), maxDepth, options, filter, refCon);
}

FSRef FSRefFromFolderIterateEntry(const FolderIterateEntry *entry)
{
    return FSRef{entry->info.st_dev, entry->info.st_ino, std::string(entry->path, entry->pathLength)};
}
