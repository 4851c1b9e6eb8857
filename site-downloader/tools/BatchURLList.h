#pragma once

#include "utilities/ErrorCodes.h"

#include <QString>
#include <QStringList>

// The address list of the batch downloader: a text file with one address per line, lines
// separated by the line feed alone. Lines are taken exactly as they stand: no trimming, no
// comments, and a carriage return before the line feed stays part of its line.

// The largest list file that is read: millions of addresses, while a movie or a disk image picked
// by mistake is not read into memory whole.
inline constexpr qint64 kMaximumBatchURLListBytes = qint64(64) << 20;

// Reads the list file. kReadErr when it cannot be read; kFormatErr when its bytes are not
// text (not UTF-8, or holding a NUL) or there are more than kMaximumBatchURLListBytes of them, so
// that a picture or an archive picked by mistake is refused rather than fetched line by line. An
// empty file gives one empty line.
Status ReadBatchURLListFile(const QString &path, QStringList *outLines);
