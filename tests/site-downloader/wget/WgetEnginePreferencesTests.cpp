#include "site-downloader/wget/WgetEnginePreferences.h"

#include "platform/LocalizedString.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

void PrintTo(const QString &text, std::ostream *stream)
{
    *stream << '"' << text.toStdString() << '"';
}

namespace {

const QString kFolderName = QStringLiteral("Vellicor Download");
const QString kLogName = QStringLiteral("Vellicor Log.txt");

const QStringList kFlagKeys = {
    QStringLiteral("_delayBetweenRetrievals"),
    QStringLiteral("_recreateFolderHierarchyOnLocalDisk"),
    QStringLiteral("_recursive"),
    QStringLiteral("_relinkForOfflineBrowsing"),
    QStringLiteral("_relinkForOfflineBrowsingKeepOriginalPage"),
    QStringLiteral("_getAllFilesRequiredToViewHTMLPage"),
    QStringLiteral("_followRelativeLinksOnly"),
    QStringLiteral("_allowRecursionToForeignHosts"),
    QStringLiteral("_allowOnlySomeDomains"),
    QStringLiteral("_skipSomeDomains"),
    QStringLiteral("_skipFilesWithSomeExtensions"),
    QStringLiteral("_skipSomeDirectories"),
    QStringLiteral("_skipSomeHTMLTags"),
    QStringLiteral("_dontAscendIntoParentDirectories"),
    QStringLiteral("_onlyAllowFilesWithSomeExtensions"),
    QStringLiteral("_onlyAllowSomeDirectories"),
    QStringLiteral("_onlyAllowSomeHTMLTags"),
    QStringLiteral("_openANewImageBrowserWhenNecessary"),
    QStringLiteral("_createEnclosingFolder"),
    QStringLiteral("_followFTPLinks"),
    QStringLiteral("_keepFileListingFiles"),
    QStringLiteral("_usePassiveFTPTransferMode"),
    QStringLiteral("_getSymLinks"),
    QStringLiteral("_useAuthentication"),
};
const QStringList kNumberKeys = {
    QStringLiteral("_delayLengthInSeconds"),
    QStringLiteral("_recursionLevelMax"),
    QStringLiteral("_fileHandlingType"),
};
const QStringList kTextKeys = {
    QStringLiteral("_baseURL"),
    QStringLiteral("_outputDirectory"),
    QStringLiteral("_logFilePath"),
    QStringLiteral("_allowedDomainList"),
    QStringLiteral("_skippedDomainList"),
    QStringLiteral("_skippedExtensionList"),
    QStringLiteral("_skippedDirectoriesList"),
    QStringLiteral("_skippedHTMLTagsList"),
    QStringLiteral("_acceptedExtensionList"),
    QStringLiteral("_acceptedDirectoriesList"),
    QStringLiteral("_acceptedHTMLTagsList"),
    QStringLiteral("_username"),
    QStringLiteral("_password"),
};
const QString kRecordListKey = QStringLiteral("_auxillaryDataArray");

// The test main moves the home folder, so this is asked only once tests run.
QString desktop()
{
    return QDir::homePath() + QStringLiteral("/Desktop/");
}

QStringList allKeys()
{
    return kFlagKeys + kNumberKeys + kTextKeys + QStringList{kRecordListKey};
}

QStringList sorted(QStringList keys)
{
    keys.sort();
    return keys;
}

QVariantList sampleRows()
{
    return {
        QVariantMap{{QStringLiteral("address"), QStringLiteral("http://example.org/a.jpg")},
                    {QStringLiteral("size"), 2048},
                    {QStringLiteral("seen"), true}},
        QVariantMap{},
    };
}

// Every field away from its default, so that a field that is not stored or not loaded shows.
WgetEnginePreferences everyFieldChanged()
{
    WgetEnginePreferences preferences;
    QVariantMap values = preferences.getValuesAsDictionary();
    for (const QString &key : kFlagKeys)
        values[key] = !values.value(key).toBool();
    values[QStringLiteral("_delayLengthInSeconds")] = QVariant::fromValue<uint32_t>(4294967295u);
    values[QStringLiteral("_recursionLevelMax")] = QVariant::fromValue<uint32_t>(0);
    values[QStringLiteral("_fileHandlingType")] = QVariant::fromValue<uint32_t>(1);
    for (const QString &key : kTextKeys)
        values[key] = QStringLiteral("value of ") + key;
    values[QStringLiteral("_skippedHTMLTagsList")] = QString(QLatin1String(""));
    values[QStringLiteral("_password")] = QStringLiteral("pä\"ss\\word");
    values[kRecordListKey] = sampleRows();
    EXPECT_TRUE(preferences.setValuesFromDictionary(values));
    return preferences;
}

void expectRefusedWithoutChange(const QVariantMap &values, const QString &key)
{
    WgetEnginePreferences preferences = everyFieldChanged();
    const QVariantMap before = preferences.getValuesAsDictionary();
    QString problem;
    EXPECT_FALSE(preferences.setValuesFromDictionary(values, &problem)) << key.toStdString();
    EXPECT_TRUE(problem.contains(key)) << problem.toStdString();
    EXPECT_EQ(preferences.getValuesAsDictionary(), before) << key.toStdString();
}

QByteArray withoutStoredKey(const QByteArray &data, const QString &key)
{
    QJsonObject root = QJsonDocument::fromJson(data).object();
    QJsonObject values = root.value(QStringLiteral("values")).toObject();
    values.remove(key);
    root[QStringLiteral("values")] = values;
    return QJsonDocument(root).toJson();
}

QVariantMap withValue(QVariantMap values, const QString &key, const QVariant &value)
{
    values[key] = value;
    return values;
}

} // namespace

TEST(WgetEnginePreferencesDefaults, FreshInstanceStoresTheFlagsNumbersAndBothPaths)
{
    const QVariantMap values = WgetEnginePreferences().getValuesAsDictionary();
    EXPECT_EQ(values.size(), 29);
    EXPECT_EQ(values.keys(), sorted(kFlagKeys + kNumberKeys + QStringList{QStringLiteral("_outputDirectory"), QStringLiteral("_logFilePath")}));
    for (const QString &key : kFlagKeys)
        EXPECT_EQ(values.value(key).typeId(), QMetaType::Bool) << key.toStdString();
    EXPECT_EQ(values.value(QStringLiteral("_recursionLevelMax")).toUInt(), 5u);
    EXPECT_EQ(values.value(QStringLiteral("_fileHandlingType")).toUInt(), 2u);
}

TEST(WgetEnginePreferencesDefaults, DownloadAndLogFileGoIntoAFolderOnTheDesktop)
{
    const WgetEnginePreferences preferences;
    EXPECT_EQ(preferences.basicOutputDirectory(), desktop());
    EXPECT_EQ(preferences.outputDirectory(), desktop() + kFolderName);
    EXPECT_EQ(preferences.logFilePath(), desktop() + kFolderName + QLatin1Char('/') + kLogName);
}

TEST(WgetEnginePreferencesOutputFolder, EnclosingFolderDecidesWhereDownloadAndLogGo)
{
    WgetEnginePreferences preferences;
    preferences.setOutputDirectory(QStringLiteral("/srv/mirror/"), false);
    EXPECT_EQ(preferences.outputDirectory(), QStringLiteral("/srv/mirror/"));
    EXPECT_EQ(preferences.logFilePath(), QStringLiteral("/srv/mirror/") + kLogName);

    preferences.setOutputDirectory(QStringLiteral("/srv/mirror"), false);
    EXPECT_EQ(preferences.outputDirectory(), QStringLiteral("/srv/mirror"));
    EXPECT_EQ(preferences.logFilePath(), QStringLiteral("/srv/mirror/") + kLogName);

    preferences.setOutputDirectory(QStringLiteral("/srv/mirror"), true);
    EXPECT_TRUE(preferences.createEnclosingFolder());
    EXPECT_EQ(preferences.outputDirectory(), QStringLiteral("/srv/mirror/") + kFolderName);
    EXPECT_EQ(preferences.logFilePath(), QStringLiteral("/srv/mirror/") + kFolderName + QLatin1Char('/') + kLogName);
}

TEST(WgetEnginePreferencesStoring, EveryFieldSurvivesTheDocumentFile)
{
    const WgetEnginePreferences original = everyFieldChanged();
    QString problem;
    const std::shared_ptr<WgetEnginePreferences> loaded =
        WgetEnginePreferences::preferencesWithDataRepresentation(original.getValuesAsDataRepresentation(), &problem);
    ASSERT_TRUE(loaded) << problem.toStdString();

    const QVariantMap values = loaded->getValuesAsDictionary();
    EXPECT_EQ(sorted(values.keys()), sorted(allKeys()));
    EXPECT_EQ(values, original.getValuesAsDictionary());
    EXPECT_EQ(loaded->_delayLengthInSeconds, 4294967295u);
    EXPECT_EQ(loaded->skippedHTMLTagsList(), QString(QLatin1String("")));
    EXPECT_EQ(loaded->password(), QStringLiteral("pä\"ss\\word"));
    EXPECT_EQ(loaded->auxillaryDataArray(), sampleRows());
}

TEST(WgetEnginePreferencesStoring, FileHoldsJSONBooleansAndIntegers)
{
    const QJsonObject values = QJsonDocument::fromJson(WgetEnginePreferences().getValuesAsDataRepresentation())
                                   .object()
                                   .value(QStringLiteral("values"))
                                   .toObject();
    EXPECT_TRUE(values.value(QStringLiteral("_recursive")).isBool());
    EXPECT_EQ(values.value(QStringLiteral("_recursionLevelMax")).toVariant().typeId(), QMetaType::LongLong);
}

TEST(WgetEnginePreferencesLoading, MissingKeysTurnOffZeroOrClearExceptTheThreeKept)
{
    WgetEnginePreferences preferences = everyFieldChanged();
    const QVariantMap before = preferences.getValuesAsDictionary();
    ASSERT_TRUE(preferences.setValuesFromDictionary({}));

    const QVariantMap after = preferences.getValuesAsDictionary();
    for (const QString &key : kFlagKeys)
        EXPECT_EQ(after.value(key), false) << key.toStdString();
    for (const QString &key : kNumberKeys)
        EXPECT_EQ(after.value(key).toUInt(), 0u) << key.toStdString();
    const QStringList kept = {QStringLiteral("_baseURL"), QStringLiteral("_outputDirectory"), kRecordListKey};
    for (const QString &key : kTextKeys + QStringList{kRecordListKey}) {
        if (kept.contains(key))
            EXPECT_EQ(after.value(key), before.value(key)) << key.toStdString();
        else
            EXPECT_FALSE(after.contains(key)) << key.toStdString();
    }
}

TEST(WgetEnginePreferencesLoading, MissingRecursiveTurnsRecursionOffInAFreshInstance)
{
    const QByteArray data = withoutStoredKey(WgetEnginePreferences().getValuesAsDataRepresentation(), QStringLiteral("_recursive"));
    const std::shared_ptr<WgetEnginePreferences> loaded = WgetEnginePreferences::preferencesWithDataRepresentation(data);
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(loaded->_recursive);
    EXPECT_TRUE(loaded->_relinkForOfflineBrowsing);
}

TEST(WgetEnginePreferencesLoading, StoredLogFileWinsOverTheOneRecomputedFromTheFolder)
{
    WgetEnginePreferences preferences;
    ASSERT_TRUE(preferences.setValuesFromDictionary({
        {QStringLiteral("_createEnclosingFolder"), false},
        {QStringLiteral("_outputDirectory"), QStringLiteral("/srv/mirror")},
        {QStringLiteral("_logFilePath"), QStringLiteral("/var/log/job.txt")},
    }));
    EXPECT_EQ(preferences.outputDirectory(), QStringLiteral("/srv/mirror"));
    EXPECT_EQ(preferences.logFilePath(), QStringLiteral("/var/log/job.txt"));
}

TEST(WgetEnginePreferencesLoading, FolderIsReadWithTheEnclosingFlagOfTheSameFileAndAMissingLogFileStaysUnset)
{
    WgetEnginePreferences preferences;
    preferences.setOutputDirectory(QStringLiteral("/before"), false);
    ASSERT_TRUE(preferences.setValuesFromDictionary({
        {QStringLiteral("_createEnclosingFolder"), true},
        {QStringLiteral("_outputDirectory"), QStringLiteral("/srv/mirror")},
    }));
    EXPECT_EQ(preferences.outputDirectory(), QStringLiteral("/srv/mirror/") + kFolderName);
    EXPECT_EQ(preferences.logFilePath(), std::nullopt);
}

TEST(WgetEnginePreferencesLoading, UnknownKeysAndWholeNumbersWrittenAsDecimalsAreAccepted)
{
    WgetEnginePreferences preferences;
    ASSERT_TRUE(preferences.setValuesFromDataRepresentation(
        R"({"format": "vellicor-document", "version": 1,
            "values": {"_recursionLevelMax": 7.0, "_fileHandlingType": 4294967295, "_addedLater": [1, {"x": null}]}})"));
    EXPECT_EQ(preferences._recursionLevelMax, 7u);
    EXPECT_EQ(preferences._fileHandlingType, 4294967295u);
}

TEST(WgetEnginePreferencesRefusal, AnyKeyOfTheWrongKindRefusesTheWholeFile)
{
    const QVariantMap valid = everyFieldChanged().getValuesAsDictionary();
    for (const QString &key : kFlagKeys) {
        expectRefusedWithoutChange(withValue(valid, key, 1), key);
        expectRefusedWithoutChange(withValue(valid, key, QStringLiteral("true")), key);
    }
    for (const QString &key : kNumberKeys) {
        expectRefusedWithoutChange(withValue(valid, key, true), key);
        expectRefusedWithoutChange(withValue(valid, key, QStringLiteral("5")), key);
        expectRefusedWithoutChange(withValue(valid, key, -1), key);
        expectRefusedWithoutChange(withValue(valid, key, QVariant::fromValue<qlonglong>(4294967296LL)), key);
        expectRefusedWithoutChange(withValue(valid, key, 1.5), key);
    }
    for (const QString &key : kTextKeys) {
        expectRefusedWithoutChange(withValue(valid, key, 5), key);
        expectRefusedWithoutChange(withValue(valid, key, QVariant()), key);
        expectRefusedWithoutChange(withValue(valid, key, QVariantList{}), key);
    }
    expectRefusedWithoutChange(withValue(valid, kRecordListKey, QStringLiteral("rows")), kRecordListKey);
    expectRefusedWithoutChange(withValue(valid, kRecordListKey, QVariantList{QStringLiteral("row")}), kRecordListKey);
    expectRefusedWithoutChange(
        withValue(valid, kRecordListKey, QVariantList{QVariantMap{{QStringLiteral("nested"), QVariantList{1}}}}), kRecordListKey);
    expectRefusedWithoutChange(
        withValue(valid, kRecordListKey, QVariantList{QVariantMap{{QStringLiteral("nothing"), QVariant()}}}), kRecordListKey);
}

TEST(WgetEnginePreferencesRefusal, CorruptOrForeignFilesChangeNothing)
{
    const QByteArray refused[] = {
        "",
        "{\"format\": \"vellicor-document\", \"version\": 1, \"values\": {\"_recursive\": fal",
        R"({"format": "pendrill-document", "version": 1, "values": {"_recursive": false}})",
        R"({"format": "vellicor-document", "version": 2, "values": {"_recursive": false}})",
        R"({"format": "vellicor-document", "version": 1, "values": [{"_recursive": false}]})",
        R"({"format": "vellicor-document", "version": 1, "values": {"_recursive": false, "_recursionLevelMax": 1e12}})",
    };
    for (const QByteArray &data : refused) {
        WgetEnginePreferences preferences = everyFieldChanged();
        const QVariantMap before = preferences.getValuesAsDictionary();
        QString problem;
        EXPECT_FALSE(preferences.setValuesFromDataRepresentation(data, &problem)) << data.constData();
        EXPECT_FALSE(problem.isEmpty()) << data.constData();
        EXPECT_EQ(preferences.getValuesAsDictionary(), before) << data.constData();
        EXPECT_FALSE(WgetEnginePreferences::preferencesWithDataRepresentation(data)) << data.constData();
    }
}
