#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The address pattern of the incremental downloader: an address in which every "\d" stands for
// the number being fetched.

inline const QString kIncrementalNumberPlaceholder = QStringLiteral("\\d");

// The widest number padding a pattern may ask for. Wider would only make absurd addresses, and
// an unbounded width could make the program build a string of any size.
inline constexpr int32_t kMaximumIncrementalDigits = 32;

// The address for `number`: every placeholder replaced by the number zero-padded to
// `minimumDigits` (a longer number is written in full), with "http://" put in front where the
// pattern names no scheme. Nothing when the pattern holds no placeholder.
std::optional<QString> IncrementalAddress(const QString &pattern, int64_t number, int32_t minimumDigits);

// The subfolder of the output folder that a run saves into: the name of the component before the
// pattern's last one (the folder holding the files on the server, or the host name when they lie
// at the top). Empty when there is none, and also for "." and "..", which would not name a
// folder of its own: the run then saves into the output folder itself.
QString IncrementalSubfolderName(const QString &pattern);
