#pragma once

#include <QString>
#include <QVariantMap>
#include <optional>

// Documents are UTF-8 JSON objects: {"format": "<kind>", "version": 1, "values": {...}}.
namespace DocumentFile {

inline constexpr int kCurrentVersion = 1;

// The document's bytes, for the given kind ("vellicor-document") and values. Values hold
// booleans, integers, strings and lists of maps of those.
QByteArray encode(const QString &kind, const QVariantMap &values);

// The values of a document of the given kind, or an empty optional with `problem` set to a
// sentence that says what is wrong with the data (not naming the file: callers add that).
std::optional<QVariantMap> decode(const QByteArray &data, const QString &kind, QString *problem);

// Writes atomically: either the whole new file is in place or the old one is untouched. With
// `privateFile` the file is readable by its owner only (it may hold a password).
bool write(const QString &path, const QByteArray &data, bool privateFile, QString *problem);

} // namespace DocumentFile
