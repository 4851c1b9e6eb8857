#include "platform/PropertyList.h"

#include "tests/fixtures/QtPrinters.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QVariantList>
#include <QVariantMap>
#include <cmath>
#include <gtest/gtest.h>

namespace {

QByteArray plist(const QByteArray &body)
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
)" + body + "\n</plist>\n";
}

QVariant readOrFail(const QByteArray &data)
{
    QString problem;
    const std::optional<QVariant> value = PropertyList::read(data, &problem);
    EXPECT_TRUE(value.has_value()) << problem.toStdString() << "\n" << data.toStdString();
    return value.value_or(QVariant());
}

TEST(PropertyListReader, ReadsEveryKindOfValue)
{
    const QVariant value = readOrFail(plist(R"(<dict>
  <key>text</key><string>a &lt;b&gt; &amp; &#x263A; <![CDATA[<raw>]]></string>
  <key>empty</key><string/>
  <key>count</key><integer> -42 </integer>
  <key>hex</key><integer>0x1F</integer>
  <key>huge</key><integer>18446744073709551615</integer>
  <key>smallest</key><integer>-9223372036854775808</integer>
  <key>ratio</key><real>-1.5e3</real>
  <key>whole</key><real>7</real>
  <key>yes</key><true/>
  <key>no</key><false></false>
  <key>when</key><date>2024-02-29T23:59:58Z</date>
  <key>bytes</key><data>
    AAEC
    /w==
  </data>
  <!-- comments are passed over -->
  <key>list</key><array><integer>1</integer><array/><dict/></array>
</dict>)"));
    ASSERT_EQ(value.typeId(), QMetaType::QVariantMap);
    const QVariantMap map = value.toMap();
    EXPECT_EQ(map.value("text"), QString::fromUtf8("a <b> & \u263A <raw>"));
    EXPECT_EQ(map.value("empty"), QString());
    EXPECT_EQ(map.value("empty").typeId(), QMetaType::QString);
    EXPECT_EQ(map.value("count"), QVariant(qlonglong(-42)));
    EXPECT_EQ(map.value("hex"), QVariant(qlonglong(31)));
    EXPECT_EQ(map.value("huge"), QVariant(qulonglong(18446744073709551615ULL)));
    EXPECT_EQ(map.value("smallest"), QVariant(qlonglong(-9223372036854775807LL - 1)));
    EXPECT_EQ(map.value("ratio"), QVariant(-1500.0));
    EXPECT_EQ(map.value("whole").typeId(), QMetaType::Double);
    EXPECT_EQ(map.value("yes"), QVariant(true));
    EXPECT_EQ(map.value("no"), QVariant(false));
    EXPECT_EQ(map.value("when").toDateTime(), QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58), Qt::UTC));
    EXPECT_EQ(map.value("bytes").toByteArray(), QByteArray("\x00\x01\x02\xff", 4));
    EXPECT_EQ(map.value("list"), (QVariantList{qlonglong(1), QVariantList{}, QVariantMap{}}));
}

TEST(PropertyListReader, SpecialRealsAndAPlistWithoutDeclarations)
{
    const QVariantList values = readOrFail(R"(<plist><array>
<real>nan</real><real>+infinity</real><real>-inf</real><real>.5</real></array></plist>)").toList();
    ASSERT_EQ(values.size(), 4);
    EXPECT_TRUE(std::isnan(values[0].toDouble()));
    EXPECT_EQ(values[1].toDouble(), INFINITY);
    EXPECT_EQ(values[2].toDouble(), -INFINITY);
    EXPECT_EQ(values[3].toDouble(), 0.5);
}

struct Refusal {
    const char *what;
    QByteArray data;
    const char *problemPart;
};

TEST(PropertyListReader, RefusesWhatIsNotAStrictPropertyList)
{
    QByteArray deep;
    for (int level = 0; level <= PropertyList::kMaximumDepth; ++level)
        deep += "<array>";
    for (int level = 0; level <= PropertyList::kMaximumDepth; ++level)
        deep += "</array>";
    const Refusal refusals[] = {
        {"nothing", "  \n", "empty"},
        {"binary", "bplist00\x01\x02", "binary"},
        {"not XML", "hello", "line 1"},
        {"other root", "<array/>", "not <plist>"},
        {"other version", "<plist version=\"2.0\"><true/></plist>", "version 2.0"},
        {"no value", plist(""), "holds no value"},
        {"two values", plist("<true/><false/>"), "more than one value"},
        {"unknown element", plist("<set/>"), "<set> is not"},
        {"loose text", plist("<array>words<true/></array>"), "outside any value"},
        {"element in a string", plist("<string>a<b/>c</string>"), "holds an element"},
        {"key outside a dict", plist("<key>k</key>"), "outside a <dict>"},
        {"value without key", plist("<dict><string>v</string></dict>"), "where a <key> belongs"},
        {"key without value", plist("<dict><key>k</key></dict>"), "\"k\" has no value"},
        {"two keys in a row", plist("<dict><key>a</key><key>b</key><true/></dict>"), "\"a\" has no value"},
        {"duplicate key", plist("<dict><key>a</key><true/><key>a</key><false/></dict>"), "appears twice"},
        {"letters in an integer", plist("<integer>12a</integer>"), "not a whole number"},
        {"empty integer", plist("<integer></integer>"), "not a whole number"},
        {"fraction in an integer", plist("<integer>1.5</integer>"), "not a whole number"},
        {"integer too large", plist("<integer>18446744073709551616</integer>"), "out of range"},
        {"integer too small", plist("<integer>-9223372036854775809</integer>"), "out of range"},
        {"bad real", plist("<real>1,5</real>"), "not a number"},
        {"real too large", plist("<real>1e999</real>"), "out of range"},
        {"text in true", plist("<true>yes</true>"), "must be empty"},
        {"impossible date", plist("<date>2023-02-29T00:00:00Z</date>"), "not a date"},
        {"date without zone", plist("<date>2023-02-01T00:00:00</date>"), "not a date"},
        {"bad base64", plist("<data>AB$C</data>"), "base64"},
        {"cut short", "<plist><array><true/>", "line 1"},
        {"mismatched tags", plist("<array></dict>"), "line"},
        {"too deep", plist(deep), "nested more than"},
        {"entity declaration",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
         "<plist><string>&b;</string></plist>",
         "declares entities"},
        {"other document type", "<!DOCTYPE html><plist><true/></plist>", "not \"plist\""},
        {"undeclared entity", plist("<string>&nbsp;</string>"), "&nbsp;"},
        {"content after the end", plist("<true/>") + "<plist/>", "line"},
    };
    for (const Refusal &refusal : refusals) {
        QString problem;
        const std::optional<QVariant> value = PropertyList::read(refusal.data, &problem);
        EXPECT_FALSE(value.has_value()) << refusal.what;
        EXPECT_TRUE(problem.contains(QString::fromUtf8(refusal.problemPart))) << refusal.what << ": " << problem.toStdString();
    }
}

TEST(PropertyListReader, ProblemsSayWhere)
{
    QString problem;
    EXPECT_FALSE(PropertyList::read(plist("<array>\n  <integer>x</integer>\n</array>"), &problem));
    EXPECT_TRUE(problem.startsWith(QStringLiteral("line 5, column"))) << problem.toStdString();

    QTemporaryDir folder;
    const QString missing = folder.filePath(QStringLiteral("missing.plist"));
    EXPECT_FALSE(PropertyList::readFile(missing, &problem));
    EXPECT_TRUE(problem.contains(missing)) << problem.toStdString();
}

} // namespace
