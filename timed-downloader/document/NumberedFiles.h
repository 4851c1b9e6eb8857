#pragma once

#include "platform/UniqueFileName.h"
#include "utilities/ErrorCodes.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

// Naming and writing the numbered copies of a timed download: base name + zero-padded counter +
// extension, at the first free number in the folder.


// `name` made safe as one path component: "/" and control characters become "_"; ".", ".." and
// the empty name become empty, so no name can leave its folder.
QString SanitizedFileName(const QString &name);

// The file name for a copy of `url`: `baseFileName` + "." + the address's extension when a base
// name is set (no dot when the address has none), otherwise the address's last path component.
// Sanitised; empty when the address gives no name (the counter alone then names the file).
QString FileNameForDownload(const QString &baseFileName, const QString &url);

// The name of copy number `counter`: the stem of `fileName`, the counter with at least
// `leadingZeroCount` digits, then the extension. The padding, and if need be the stem, are cut so
// that the name fits in kLongestFileNameBytes.
QString NumberedFileName(const QString &fileName, uint64_t counter, int leadingZeroCount);

// "Pendrill Downloads" in the user's download folder: where copies go when no folder is typed.
QString DefaultTargetFolder();

// Writes `data` as the first free numbered name in `folder` (created when missing, its last
// component only) and hands back the path. The data goes to a hidden temporary file in the folder
// first and is then linked under the number, which fails rather than replace a file that is
// there: the number is taken only by a complete copy, overlapping writers get different numbers,
// and nothing is overwritten. Where the file system has no hard links, a rename that refuses to
// replace takes the link's place, and where it lacks that too, the number is created exclusively
// and the copy written into it. kParamErr for an empty folder; otherwise the errno of the failing
// call, with nothing left behind.
Status WriteNumberedFile(const QString &folder, const QString &fileName, int leadingZeroCount, const QByteArray &data,
                         QString *outPath);

// The path the numbered scan would choose now, creating nothing: the first number whose name is
// free. For measuring and for callers that only show the name.
QString NextNumberedFilePath(const QString &folder, const QString &fileName, int leadingZeroCount);

// Makes the writes start at a later way of placing a copy, as on file systems without hard links
// (and without a rename that refuses to replace). For tests.
enum class NumberedFilesPlacing { Normal, WithoutHardLinks, ByExclusiveCreation };
void SetNumberedFilesPlacingForTests(NumberedFilesPlacing placing);
