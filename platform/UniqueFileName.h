#pragma once

#include "utilities/ErrorCodes.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Free file names in a folder, for files that must never overwrite what is already there.

// The longest file name, in bytes, that the file systems we write to accept.
inline constexpr int kLongestFileNameBytes = 255;

// The front of the encoded file name `name` in at most `bytes` bytes, cut between characters,
// never inside one.
QByteArray FileNamePrefixOfBytes(const QByteArray &name, qsizetype bytes);

// `fileName` itself when nothing exists under it in `directory`, otherwise the first free
// variant "name#N.ext" (N from 1; only the last extension stands apart: archive.tar#1.gz), with
// the name cut short where the variant would not fit in kLongestFileNameBytes.
// Anything present counts as taken, a symbolic link too, even a dangling one. Answers nothing
// when either argument is missing or `fileName` is not one plain path component (empty, or
// holding "/" or a NUL). Creates nothing: two callers may get the same answer, so whoever
// creates the file uses CreateUniqueFileInDirectory or WriteUniqueFileInDirectory.
std::optional<QString> GetUniqueFileNameInDirectory(const std::optional<QString> &fileName,
                                                    const std::optional<QString> &directory);

// Creates a new, empty file under the first free variant of `fileName`, exclusively and without
// following a symbolic link, so a file that appears meanwhile makes it take the next name.
// Hands back the open descriptor (close-on-exec, write-only) and the name chosen. kParamErr for
// a name GetUniqueFileNameInDirectory refuses; otherwise the errno of a failed creation.
Status CreateUniqueFileInDirectory(const QString &fileName, const QString &directory, int *outDescriptor,
                                   QString *outChosenName);

// CreateUniqueFileInDirectory, then all of `data` written and the file closed. A file that could
// not be written completely is removed again and the errno of the failed write or close is
// returned (ENOSPC, EIO...), so a partial file is never left looking like a saved one.
Status WriteUniqueFileInDirectory(const QString &fileName, const QString &directory, const QByteArray &data,
                                  QString *outChosenName);
