#pragma once

#include "platform/FileReference.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <sys/types.h>

// Which fields of an FSCatalogInfo a folder creation applies.
enum FSCatalogInfoBitmap : uint32_t {
    kFSCatInfoNone = 0,
    kFSCatInfoPermissions = 1u << 0,
};

struct FSCatalogInfo {
    mode_t permissions = 0755; // before the process's umask, as mkdir applies it
};

// Creates every missing folder of `path`, one component after the other, inside `parent` (or
// "/" when there is none); a leading "/" does not change that. Existing components are followed
// through symbolic links. Returns kParamErr for no path, kPathErr for an empty one,
// errFSNotAFolder when a component is a file or a link to one, ENAMETOOLONG when a component is
// longer than the file system allows (checked before anything is created), otherwise the errno
// of the failing step. Folders created before a failure stay. On success `outFolder`, when given,
// refers to the last folder of the path.
//
// Empty components ("a//b", a trailing "/") are skipped, and a folder that another process
// creates between our look and our mkdir counts as found: the running wget creates the same
// download folder while the document creates the folder of its log file.
Status FSRefCreateFolderPath(const FSRef *parent, const std::optional<QString> &path, uint32_t whichInfo,
                             const FSCatalogInfo *catalogInfo, FSRef *outFolder);
