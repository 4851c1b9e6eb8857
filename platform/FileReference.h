#pragma once

#include "utilities/ErrorCodes.h"

#include <QString>
#include <string>
#include <sys/types.h>

// The File Manager's own codes. Callers of the path conversions and of the folder creation test
// for them by value, so they keep the numbers of the original platform.
inline constexpr Status paramErr = -50;
inline constexpr Status errFSNotAFolder = -1407;

// A reference to an existing file-system object. Two references are the same object when device
// and inode match, whatever path led to each; the path is kept so that the object can be named
// again. The struct holds no Qt type, so plain containers of references stay cheap to copy.
struct FSRef {
    dev_t device = 0;
    ino_t inode = 0;
    std::string path; // absolute, in the file system's own bytes; empty for no object

    bool isValid() const { return !path.empty(); }
    friend bool operator==(const FSRef &a, const FSRef &b)
    {
        return a.isValid() == b.isValid() && a.device == b.device && a.inode == b.inode;
    }
};

// Resolves `path` to the object it names. Symbolic links stand in for alias files: a path whose
// last component is a link gives a reference to the end of the link chain, under that end's own
// path. paramErr when `outRef` is null, the path is empty, or nothing is there; the errno of the
// resolution (ENOENT, ELOOP) when a link leads nowhere. `outRef` is left alone on failure.
Status NSStringPathToFSRef(const QString &path, FSRef *outRef);

// The path of the referenced object, or a null string for no reference. A reference whose path
// has become a symbolic link is first resolved in place, as an alias file would be.
QString FSRefToNSStringPath(FSRef *ref);

// `path` with a leading "~" or "~user" replaced by that user's home folder; other paths, and
// unknown users, come back as they are.
QString stringByExpandingTildeInPath(const QString &path);
