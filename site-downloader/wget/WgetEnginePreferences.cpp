#include "site-downloader/wget/WgetEnginePreferences.h"

#include "platform/DocumentFile.h"
#include "platform/LocalizedString.h"

#include <QDir>
#include <array>
#include <cmath>
#include <limits>
#include <variant>

namespace {

using FlagMember = bool WgetEnginePreferences::*;
using NumberMember = uint32_t WgetEnginePreferences::*;
using TextMember = std::optional<QString> WgetEnginePreferences::*;
using RecordListMember = std::optional<QVariantList> WgetEnginePreferences::*;

struct StoredField
{
    const char *key;
    std::variant<FlagMember, NumberMember, TextMember, RecordListMember> member;
    // Only a few fields survive a document that lacks them; every other one falls back to off,
    // zero or not set, whatever the instance held before.
    bool keptWhenMissing = false;
};

template <class... Handlers>
struct Overloaded : Handlers...
{
    using Handlers::operator()...;
};
// Clang 14 does not deduce aggregate template arguments by itself.
template <class... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

QString appendingPathComponent(const QString &folder, const QString &component)
{
    if (component.isEmpty())
        return folder;
    if (folder.isEmpty())
        return component;
    return folder.endsWith(QLatin1Char('/')) ? folder + component : folder + QLatin1Char('/') + component;
}

std::optional<QString> downloadFolder(const std::optional<QString> &chosenFolder, bool createEnclosingFolder)
{
    if (!chosenFolder || !createEnclosingFolder)
        return chosenFolder;
    return appendingPathComponent(*chosenFolder, LocalizedString("kDownloadFolderBaseNameKey"));
}

bool isFlag(const QVariant &value)
{
    return value.typeId() == QMetaType::Bool;
}

bool isText(const QVariant &value)
{
    return value.typeId() == QMetaType::QString;
}

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    case QMetaType::Double:
        return std::isfinite(value.toDouble());
    default:
        return false;
    }
}

bool isUnsigned32(const QVariant &value)
{
    constexpr double kLargest = std::numeric_limits<uint32_t>::max();
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return value.toLongLong() >= 0 && value.toLongLong() <= static_cast<qlonglong>(kLargest);
    case QMetaType::UInt:
        return true;
    case QMetaType::ULongLong:
        return value.toULongLong() <= static_cast<qulonglong>(kLargest);
    case QMetaType::Double: {
        // A writer may put 5 as 5.0; 5.5 is no count of seconds or levels.
        const double number = value.toDouble();
        return std::isfinite(number) && std::trunc(number) == number && number >= 0 && number <= kLargest;
    }
    default:
        return false;
    }
}

// The table rows hold whatever the document keeps there; a row is one flat record.
bool isRecordList(const QVariant &value)
{
    if (value.typeId() != QMetaType::QVariantList)
        return false;
    for (const QVariant &row : value.toList()) {
        if (row.typeId() != QMetaType::QVariantMap)
            return false;
        const QVariantMap record = row.toMap();
        for (auto entry = record.cbegin(); entry != record.cend(); ++entry) {
            if (!isFlag(*entry) && !isNumber(*entry) && !isText(*entry))
                return false;
        }
    }
    return true;
}

} // namespace

#define STORED_FIELD(name) StoredField{#name, &WgetEnginePreferences::name}
#define STORED_FIELD_KEPT_WHEN_MISSING(name) StoredField{#name, &WgetEnginePreferences::name, true}

struct WgetEnginePreferencesStorage
{
    // In the order in which a document is loaded: a list before its flag, "_outputDirectory"
    // after "_createEnclosingFolder" (whose value it needs), and "_logFilePath" after both, so
    // that a stored log file path wins over the recomputed one.
    static inline const auto kFields = std::to_array<StoredField>({
        STORED_FIELD_KEPT_WHEN_MISSING(_baseURL),
        STORED_FIELD(_createEnclosingFolder),
        STORED_FIELD_KEPT_WHEN_MISSING(_outputDirectory),
        STORED_FIELD(_delayBetweenRetrievals),
        STORED_FIELD(_delayLengthInSeconds),
        STORED_FIELD(_recreateFolderHierarchyOnLocalDisk),
        STORED_FIELD_KEPT_WHEN_MISSING(_auxillaryDataArray),
        STORED_FIELD(_recursive),
        STORED_FIELD(_recursionLevelMax),
        STORED_FIELD(_relinkForOfflineBrowsing),
        STORED_FIELD(_relinkForOfflineBrowsingKeepOriginalPage),
        STORED_FIELD(_getAllFilesRequiredToViewHTMLPage),
        STORED_FIELD(_followRelativeLinksOnly),
        STORED_FIELD(_allowRecursionToForeignHosts),
        STORED_FIELD(_allowedDomainList),
        STORED_FIELD(_allowOnlySomeDomains),
        STORED_FIELD(_skippedDomainList),
        STORED_FIELD(_skipSomeDomains),
        STORED_FIELD(_skippedExtensionList),
        STORED_FIELD(_skipFilesWithSomeExtensions),
        STORED_FIELD(_skippedDirectoriesList),
        STORED_FIELD(_skipSomeDirectories),
        STORED_FIELD(_skippedHTMLTagsList),
        STORED_FIELD(_skipSomeHTMLTags),
        STORED_FIELD(_dontAscendIntoParentDirectories),
        STORED_FIELD(_onlyAllowFilesWithSomeExtensions),
        STORED_FIELD(_acceptedExtensionList),
        STORED_FIELD(_onlyAllowSomeDirectories),
        STORED_FIELD(_acceptedDirectoriesList),
        STORED_FIELD(_onlyAllowSomeHTMLTags),
        STORED_FIELD(_acceptedHTMLTagsList),
        STORED_FIELD(_openANewImageBrowserWhenNecessary),
        STORED_FIELD(_fileHandlingType),
        STORED_FIELD(_logFilePath),
        STORED_FIELD(_followFTPLinks),
        STORED_FIELD(_keepFileListingFiles),
        STORED_FIELD(_usePassiveFTPTransferMode),
        STORED_FIELD(_getSymLinks),
        STORED_FIELD(_useAuthentication),
        STORED_FIELD(_username),
        STORED_FIELD(_password),
    });

    static void store(const WgetEnginePreferences &preferences, const StoredField &field, QVariantMap &values)
    {
        const QString key = QString::fromLatin1(field.key);
        std::visit(Overloaded{
                       [&](FlagMember flag) { values.insert(key, preferences.*flag); },
                       [&](NumberMember number) { values.insert(key, QVariant::fromValue(preferences.*number)); },
                       [&](TextMember text) {
                           if (preferences.*text)
                               values.insert(key, *(preferences.*text));
                       },
                       [&](RecordListMember records) {
                           if (preferences.*records)
                               values.insert(key, *(preferences.*records));
                       },
                   },
                   field.member);
    }

    // The text of what is wrong with the stored value, or an empty string when it fits the field.
    static QString typeProblem(const StoredField &field, const QVariant &value)
    {
        const auto mismatchMessage = Overloaded{
            [&](FlagMember) { return isFlag(value) ? nullptr : "kDocumentFlagExpectedMessage"; },
            [&](NumberMember) { return isUnsigned32(value) ? nullptr : "kDocumentWholeNumberExpectedMessage"; },
            [&](TextMember) { return isText(value) ? nullptr : "kDocumentTextExpectedMessage"; },
            [&](RecordListMember) { return isRecordList(value) ? nullptr : "kDocumentRecordListExpectedMessage"; },
        };
        const char *message = std::visit(mismatchMessage, field.member);
        return message ? LocalizedString(message).arg(QString::fromLatin1(field.key)) : QString();
    }

    // `value` is null when the document lacks the key.
    static void load(WgetEnginePreferences &preferences, const StoredField &field, const QVariant *value)
    {
        if (!value && field.keptWhenMissing)
            return;
        std::visit(Overloaded{
                       [&](FlagMember flag) { preferences.*flag = value && value->toBool(); },
                       [&](NumberMember number) { preferences.*number = value ? static_cast<uint32_t>(value->toLongLong()) : 0; },
                       [&](TextMember text) {
                           std::optional<QString> loaded = value ? std::optional(value->toString()) : std::nullopt;
                           if (text == &WgetEnginePreferences::_outputDirectory)
                               preferences.setOutputDirectory(std::move(loaded), preferences._createEnclosingFolder);
                           else
                               preferences.*text = std::move(loaded);
                       },
                       [&](RecordListMember records) {
                           preferences.*records = value ? std::optional(value->toList()) : std::nullopt;
                       },
                   },
                   field.member);
    }
};

#undef STORED_FIELD
#undef STORED_FIELD_KEPT_WHEN_MISSING

WgetEnginePreferences::WgetEnginePreferences()
{
    setOutputDirectory(QDir::homePath() + QStringLiteral("/Desktop/"), _createEnclosingFolder);
}

std::shared_ptr<WgetEnginePreferences> WgetEnginePreferences::preferencesWithDataRepresentation(const QByteArray &data,
                                                                                                QString *problem)
{
    auto preferences = std::make_shared<WgetEnginePreferences>();
    if (!preferences->setValuesFromDataRepresentation(data, problem))
        return nullptr;
    return preferences;
}

QByteArray WgetEnginePreferences::getValuesAsDataRepresentation() const
{
    return DocumentFile::encode(kDocumentKind, getValuesAsDictionary());
}

bool WgetEnginePreferences::setValuesFromDataRepresentation(const QByteArray &data, QString *problem)
{
    const std::optional<QVariantMap> values = DocumentFile::decode(data, kDocumentKind, problem);
    return values && setValuesFromDictionary(*values, problem);
}

QVariantMap WgetEnginePreferences::getValuesAsDictionary() const
{
    QVariantMap values;
    for (const StoredField &field : WgetEnginePreferencesStorage::kFields)
        WgetEnginePreferencesStorage::store(*this, field, values);
    return values;
}

bool WgetEnginePreferences::setValuesFromDictionary(const QVariantMap &values, QString *problem)
{
    for (const StoredField &field : WgetEnginePreferencesStorage::kFields) {
        const auto found = values.constFind(QString::fromLatin1(field.key));
        if (found == values.cend())
            continue;
        if (QString typeProblem = WgetEnginePreferencesStorage::typeProblem(field, *found); !typeProblem.isEmpty()) {
            if (problem)
                *problem = std::move(typeProblem);
            return false;
        }
    }
    for (const StoredField &field : WgetEnginePreferencesStorage::kFields) {
        const auto found = values.constFind(QString::fromLatin1(field.key));
        WgetEnginePreferencesStorage::load(*this, field, found == values.cend() ? nullptr : &*found);
    }
    return true;
}

std::optional<QString> WgetEnginePreferences::outputDirectory() const
{
    return downloadFolder(_outputDirectory, _createEnclosingFolder);
}

void WgetEnginePreferences::setOutputDirectory(std::optional<QString> path, bool createEnclosingFolder)
{
    _outputDirectory = std::move(path);
    _createEnclosingFolder = createEnclosingFolder;
    const std::optional<QString> folder = downloadFolder(_outputDirectory, _createEnclosingFolder);
    _logFilePath = folder ? std::optional(appendingPathComponent(*folder, LocalizedString("kDownloadFileNameKey")))
                          : std::nullopt;
}
