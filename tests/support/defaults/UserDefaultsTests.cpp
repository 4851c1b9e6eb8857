// Settings shortcuts: defaults only for absent keys, and values that keep their shape on disk.
#include "support/defaults/UserDefaults.h"
#include "tests/fixtures/QtPrinters.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// Qt refuses to report a clean write for a program without an organization name; the programs
// set theirs in main().
class OrganizationName : public testing::Environment
{
public:
    void SetUp() override { QCoreApplication::setOrganizationName(QStringLiteral("VellicorTests")); }
};
const testing::Environment *const organizationName = testing::AddGlobalTestEnvironment(new OrganizationName);

const QString kKey = QStringLiteral("UserDefaultsTestKey");

class UserDefaultsTest : public testing::Test
{
protected:
    void TearDown() override { UserDefaults::removeObjectForKey(kKey); }

    // What a later launch reads: a store that only knows the file.
    static QVariant valueOnDisk(const QString &key)
    {
        EXPECT_TRUE(UserDefaults::synchronize());
        QSettings fresh(QSettings().fileName(), QSettings::NativeFormat);
        return fresh.value(key);
    }
};

TEST_F(UserDefaultsTest, DefaultsApplyOnlyToAbsentKeys)
{
    EXPECT_EQ(UserDefaults::integerForKey(kKey, 7), 7);
    EXPECT_TRUE(UserDefaults::boolForKey(kKey, true));
    EXPECT_EQ(UserDefaults::stringForKey(kKey, QStringLiteral("fallback")), "fallback");
    EXPECT_EQ(UserDefaults::integerForKey(kKey), 0);
    EXPECT_FALSE(UserDefaults::stringForKey(kKey).has_value());
    EXPECT_FALSE(UserDefaults::objectForKey(kKey).isValid());

    UserDefaults::setInteger(0, kKey);
    EXPECT_EQ(UserDefaults::integerForKey(kKey, 7), 0);
    UserDefaults::setBool(false, kKey);
    EXPECT_FALSE(UserDefaults::boolForKey(kKey, true));
    UserDefaults::setObject(QString(""), kKey);
    EXPECT_EQ(UserDefaults::stringForKey(kKey, QStringLiteral("fallback")), "");
    ASSERT_TRUE(UserDefaults::stringForKey(kKey).has_value());

    UserDefaults::setObject(QVariant(), kKey);
    EXPECT_EQ(UserDefaults::integerForKey(kKey, 7), 7);
}

TEST_F(UserDefaultsTest, IntegerValuesOfFractionsTruncate)
{
    UserDefaults::setFloat(2.5, kKey);
    EXPECT_EQ(UserDefaults::integerForKey(kKey), 2);
    EXPECT_EQ(valueOnDisk(kKey).toDouble(), 2.5);
}

TEST_F(UserDefaultsTest, ListsKeepTheirShapeOnDiskWhateverTheirLength)
{
    for (const QStringList &list : {QStringList{}, QStringList{"only"}, QStringList{"one", "two, with comma"}}) {
        UserDefaults::setObject(list, kKey);
        const QVariant onDisk = valueOnDisk(kKey);
        EXPECT_EQ(onDisk.toStringList(), list);
        EXPECT_TRUE(onDisk.metaType().id() == QMetaType::QVariantList
                    || onDisk.metaType().id() == QMetaType::QStringList)
            << list.size() << " entries read back as " << onDisk.metaType().name();
        ASSERT_TRUE(UserDefaults::arrayForKey(kKey).has_value());
        EXPECT_EQ(UserDefaults::arrayForKey(kKey)->size(), list.size());
    }
    EXPECT_FALSE(UserDefaults::dictionaryForKey(kKey).has_value());
    EXPECT_FALSE(UserDefaults::stringForKey(kKey).has_value());
}

// A settings file that holds a password must stay the user's alone, also after later writes
// replace the file.
TEST_F(UserDefaultsTest, PrivateSettingsStayPrivateAcrossLaterWrites)
{
    UserDefaults::setObject(QStringLiteral("secret"), kKey);
    ASSERT_TRUE(UserDefaults::synchronizePrivately());
    const QString path = QSettings().fileName();
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const QFileDevice::Permissions anyoneElse = QFileDevice::ReadGroup | QFileDevice::WriteGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther;
    EXPECT_EQ(QFile::permissions(path) & anyoneElse, QFileDevice::Permissions());
    EXPECT_EQ(QFile::permissions(path) & ownerOnly, ownerOnly);

    UserDefaults::setObject(QStringLiteral("another secret"), kKey);
    ASSERT_TRUE(UserDefaults::synchronize());
    EXPECT_EQ(QFile::permissions(path) & anyoneElse, QFileDevice::Permissions());
    EXPECT_EQ(valueOnDisk(kKey).toString(), QStringLiteral("another secret"));
}

} // namespace
