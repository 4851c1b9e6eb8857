#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <optional>

// A strict reader of XML property lists (the Apple "plist" DTD, version 1.0), for files and
// replies that come from outside. The values map onto QVariant:
//   dict -> QVariantMap, array -> QVariantList, string -> QString,
//   integer -> qlonglong (qulonglong above the signed range), real -> double,
//   true/false -> bool, date -> QDateTime in UTC, data -> QByteArray.
// Anything else is refused rather than guessed at: unknown elements, text between values,
// duplicate or missing dictionary keys, malformed numbers, dates or base64, entity
// declarations, a second value after the first, and nesting deeper than kMaximumDepth.
namespace PropertyList {

inline constexpr int kMaximumDepth = 256;

// The value of the property list in `data`, or an empty optional with `problem` set to a
// diagnostic for developers (English, with the line and column where reading stopped).
std::optional<QVariant> read(const QByteArray &data, QString *problem = nullptr);

// The same for a whole file; an unreadable file is a problem too.
std::optional<QVariant> readFile(const QString &path, QString *problem = nullptr);

} // namespace PropertyList
