#include "platform/DocumentFile.h"
#include "platform/LocalizedString.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QString kKind = QStringLiteral("vellicor-document");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t permissionBits(const QString &path)
{
    struct stat status {};
    if (stat(QFile::encodeName(path).constData(), &status) != 0)
        return 0;
    return status.st_mode & 07777;
}

QString decodeProblem(const QByteArray &data)
{
    QString problem;
    EXPECT_FALSE(DocumentFile::decode(data, kKind, &problem).has_value()) << data.constData();
    return problem;
}

// Lets every regular file the process writes grow to `bytes` only, as a full disk would.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        _previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &_saved);
        rlimit limited = _saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &_saved);
        std::signal(SIGXFSZ, _previousHandler);
    }

private:
    rlimit _saved {};
    void (*_previousHandler)(int) = nullptr;
};

} // namespace

TEST(DocumentFileCoding, RoundTripKeepsEveryValueAndItsType)
{
    const QVariantMap values{
        {QStringLiteral("flag"), false},
        {QStringLiteral("largestCount"), QVariant::fromValue<uint32_t>(4294967295u)},
        {QStringLiteral("exactLimit"), QVariant::fromValue<qlonglong>(9007199254740993LL)},
        {QStringLiteral("text"), QStringLiteral("Grüße \"quoted\" \\ ✓")},
        {QStringLiteral("empty"), QString()},
        {QStringLiteral("rows"), QVariantList{QVariantMap{{QStringLiteral("path"), QStringLiteral("/a b")},
                                                          {QStringLiteral("size"), 12}}}},
    };
    QString problem;
    const std::optional<QVariantMap> decoded = DocumentFile::decode(DocumentFile::encode(kKind, values), kKind, &problem);
    ASSERT_TRUE(decoded.has_value()) << problem.toStdString();
    EXPECT_EQ(*decoded, values);
    EXPECT_EQ(decoded->value(QStringLiteral("flag")).typeId(), QMetaType::Bool);
    EXPECT_EQ(decoded->value(QStringLiteral("largestCount")).toLongLong(), 4294967295LL);
    EXPECT_EQ(decoded->value(QStringLiteral("exactLimit")).toLongLong(), 9007199254740993LL);
    EXPECT_EQ(decoded->value(QStringLiteral("empty")).typeId(), QMetaType::QString);
}

TEST(DocumentFileCoding, WritesTheFormatAndVersionOtherProgramsRecognise)
{
    const QJsonObject root = QJsonDocument::fromJson(DocumentFile::encode(kKind, {{QStringLiteral("k"), 1}})).object();
    EXPECT_EQ(root.value(QStringLiteral("format")).toString(), kKind);
    EXPECT_EQ(root.value(QStringLiteral("version")).toInteger(), 1);
    EXPECT_EQ(root.value(QStringLiteral("values")).toObject().value(QStringLiteral("k")).toInteger(), 1);
}

TEST(DocumentFileCoding, RefusesDataThatIsNoDocumentOfThisKind)
{
    const QString notAnObject = LocalizedString("kDocumentNotJSONObjectMessage");
    const QString noFormat = LocalizedString("kDocumentNoFormatMessage");
    const QString noVersion = LocalizedString("kDocumentNoVersionMessage");
    const QString noValues = LocalizedString("kDocumentNoValuesMessage");
    ASSERT_FALSE(notAnObject.isEmpty());

    EXPECT_EQ(decodeProblem(QByteArray()), notAnObject);
    EXPECT_EQ(decodeProblem("\x89PNG\r\n"), notAnObject);
    EXPECT_EQ(decodeProblem(R"({"format": "vellicor-document", "version": 1, "values": {})"), notAnObject);
    EXPECT_EQ(decodeProblem(R"([{"format": "vellicor-document", "version": 1, "values": {}}])"), notAnObject);

    EXPECT_EQ(decodeProblem(R"({"version": 1, "values": {}})"), noFormat);
    EXPECT_EQ(decodeProblem(R"({"format": 7, "version": 1, "values": {}})"), noFormat);
    EXPECT_EQ(decodeProblem(R"({"format": "pendrill-document", "version": 1, "values": {}})"),
              LocalizedString("kDocumentForeignFormatMessage").arg(QStringLiteral("pendrill-document"), kKind));

    EXPECT_EQ(decodeProblem(R"({"format": "vellicor-document", "values": {}})"), noVersion);
    EXPECT_EQ(decodeProblem(R"({"format": "vellicor-document", "version": "1", "values": {}})"), noVersion);
    EXPECT_EQ(decodeProblem(R"({"format": "vellicor-document", "version": 2, "values": {}})"),
              LocalizedString("kDocumentUnsupportedVersionMessage").arg(2));

    EXPECT_EQ(decodeProblem(R"({"format": "vellicor-document", "version": 1})"), noValues);
    EXPECT_EQ(decodeProblem(R"({"format": "vellicor-document", "version": 1, "values": [{}]})"), noValues);
}

class DocumentFileWriting : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(_folder.isValid()); }
    QString path() const { return _folder.filePath(QStringLiteral("job.vellicor")); }
    QStringList folderEntries() const { return QDir(_folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); }

private:
    QTemporaryDir _folder;
};

TEST_F(DocumentFileWriting, PrivateFileIsOwnerOnlyWhetherNewOrReplacingAReadableOne)
{
    QString problem;
    ASSERT_TRUE(DocumentFile::write(path(), "first", true, &problem)) << problem.toStdString();
    EXPECT_EQ(readFile(path()), "first");
    EXPECT_EQ(permissionBits(path()), 0600u);

    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    ASSERT_TRUE(DocumentFile::write(path(), "second", true, &problem)) << problem.toStdString();
    EXPECT_EQ(readFile(path()), "second");
    EXPECT_EQ(permissionBits(path()), 0600u);
}

TEST_F(DocumentFileWriting, FailedWriteLeavesTheOldFileAndNoLeftovers)
{
    ASSERT_TRUE(DocumentFile::write(path(), "old content", true, nullptr));
    const QByteArray largerThanTheDiskAllows(256 * 1024, 'x');

    QString problem;
    bool written = true;
    {
        FileSizeLimit limit(4096);
        written = DocumentFile::write(path(), largerThanTheDiskAllows, true, &problem);
    }
    EXPECT_FALSE(written);
    EXPECT_FALSE(problem.isEmpty());
    EXPECT_EQ(readFile(path()), "old content");
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("job.vellicor")});
}

TEST_F(DocumentFileWriting, WriteIntoAMissingFolderSaysWhy)
{
    QString problem;
    EXPECT_FALSE(DocumentFile::write(path() + QStringLiteral("/inside.vellicor"), "x", false, &problem));
    const QString prefix = LocalizedString("kDocumentWriteFailedMessage").section(QStringLiteral("%1"), 0, 0);
    ASSERT_FALSE(prefix.isEmpty());
    EXPECT_TRUE(problem.startsWith(prefix)) << problem.toStdString();
}
