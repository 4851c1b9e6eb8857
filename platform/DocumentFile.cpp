#include "platform/DocumentFile.h"

#include "platform/LocalizedString.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSaveFile>
#include <cerrno>
#include <sys/stat.h>

namespace {

const QString kFormatKey = QStringLiteral("format");
const QString kVersionKey = QStringLiteral("version");
const QString kValuesKey = QStringLiteral("values");

void report(QString *problem, const QString &text)
{
    if (problem)
        *problem = text;
}

} // namespace

namespace DocumentFile {

QByteArray encode(const QString &kind, const QVariantMap &values)
{
    const QJsonObject document{
        {kFormatKey, kind},
        {kVersionKey, kCurrentVersion},
        {kValuesKey, QJsonObject::fromVariantMap(values)},
    };
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

std::optional<QVariantMap> decode(const QByteArray &data, const QString &kind, QString *problem)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        report(problem, LocalizedString("kDocumentNotJSONObjectMessage"));
        return std::nullopt;
    }
    const QJsonObject root = document.object();

    const QJsonValue format = root.value(kFormatKey);
    if (!format.isString()) {
        report(problem, LocalizedString("kDocumentNoFormatMessage"));
        return std::nullopt;
    }
    if (format.toString() != kind) {
        report(problem, LocalizedString("kDocumentForeignFormatMessage").arg(format.toString(), kind));
        return std::nullopt;
    }

    const QJsonValue version = root.value(kVersionKey);
    // "1" as text is not a version number.
    if (!version.isDouble()) {
        report(problem, LocalizedString("kDocumentNoVersionMessage"));
        return std::nullopt;
    }
    if (version.toDouble() != kCurrentVersion) {
        report(problem, LocalizedString("kDocumentUnsupportedVersionMessage").arg(version.toDouble()));
        return std::nullopt;
    }

    const QJsonValue values = root.value(kValuesKey);
    if (!values.isObject()) {
        report(problem, LocalizedString("kDocumentNoValuesMessage"));
        return std::nullopt;
    }
    return values.toObject().toVariantMap();
}

bool write(const QString &path, const QByteArray &data, bool privateFile, QString *problem)
{
    QSaveFile file(path);
    const auto fail = [&](const QString &reason) {
        report(problem, LocalizedString("kDocumentWriteFailedMessage").arg(reason));
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    // The temporary file takes the old file's mode when it is opened; narrow it before the
    // first byte of the password reaches it.
    if (privateFile && fchmod(file.handle(), S_IRUSR | S_IWUSR) != 0) {
        const QString reason = qt_error_string(errno);
        file.cancelWriting();
        return fail(reason);
    }
    if (file.write(data) != data.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace DocumentFile
