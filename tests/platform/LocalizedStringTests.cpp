#include "platform/LocalizedString.h"

#include <QLocale>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

const char *const kKnownKey = "kDownloadFileNameKey";
const QString kKnownText = QStringLiteral("Vellicor Log.txt");

// Puts the default locale back and reloads the texts for it, whatever a test switched to.
class LocaleGuard
{
public:
    LocaleGuard() : _saved(QLocale()) {}
    ~LocaleGuard()
    {
        QLocale::setDefault(_saved);
        InstallTranslations(QStringLiteral("vellicor"));
    }

private:
    QLocale _saved;
};

} // namespace

TEST(LocalizedString, AnswersKnownKeysWithTheirTextAndUnknownOnesWithNothing)
{
    EXPECT_EQ(LocalizedString(kKnownKey), kKnownText);
    EXPECT_EQ(LocalizedString("kNoSuchTextAnywhereKey"), QString());
    EXPECT_EQ(LocalizedString(""), QString());
    EXPECT_EQ(LocalizedString(nullptr), QString());
}

TEST(LocalizedString, OverrideWinsUntilCleared)
{
    SetLocalizedStringOverride(kKnownKey, QStringLiteral("Journal.txt"));
    SetLocalizedStringOverride("kOnlyOverriddenKey", QStringLiteral("set by a packager"));
    EXPECT_EQ(LocalizedString(kKnownKey), QStringLiteral("Journal.txt"));
    EXPECT_EQ(LocalizedString("kOnlyOverriddenKey"), QStringLiteral("set by a packager"));

    ClearLocalizedStringOverride(kKnownKey);
    ClearLocalizedStringOverride("kOnlyOverriddenKey");
    EXPECT_EQ(LocalizedString(kKnownKey), kKnownText);
    EXPECT_EQ(LocalizedString("kOnlyOverriddenKey"), QString());
}

TEST(LocalizedString, OverridesMayChangeWhileOtherThreadsLookUp)
{
    std::atomic<bool> sawOtherText = false;
    std::atomic<bool> stop = false;
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i) {
        readers.emplace_back([&] {
            while (!stop) {
                const QString text = LocalizedString(kKnownKey);
                if (text != kKnownText && text != QStringLiteral("changed"))
                    sawOtherText = true;
            }
        });
    }
    for (int round = 0; round < 2000; ++round) {
        SetLocalizedStringOverride(kKnownKey, QStringLiteral("changed"));
        ClearLocalizedStringOverride(kKnownKey);
    }
    stop = true;
    for (std::thread &reader : readers)
        reader.join();
    EXPECT_FALSE(sawOtherText);
}

TEST(InstallTranslations, FallsBackToEnglishForALanguageWithoutTexts)
{
    LocaleGuard guard;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_TRUE(InstallTranslations(QStringLiteral("vellicor")));
    EXPECT_EQ(LocalizedString(kKnownKey), kKnownText);
}

TEST(InstallTranslations, InstallingAgainKeepsTheTexts)
{
    LocaleGuard guard;
    EXPECT_TRUE(InstallTranslations(QStringLiteral("vellicor")));
    EXPECT_TRUE(InstallTranslations(QStringLiteral("vellicor")));
    EXPECT_EQ(LocalizedString(kKnownKey), kKnownText);
}

TEST(InstallTranslations, ReportsTranslationsThatAreNotThere)
{
    EXPECT_FALSE(InstallTranslations(QStringLiteral("no-such-program")));
    EXPECT_EQ(LocalizedString(kKnownKey), kKnownText);
}
