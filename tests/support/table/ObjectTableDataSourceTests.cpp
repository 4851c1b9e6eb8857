#include "support/table/ObjectTableDataSource.h"

#include "tests/fixtures/QtPrinters.h"

#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QFile>
#include <QMimeData>
#include <QPersistentModelIndex>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <set>

namespace {

const QString kName = QStringLiteral("name");
const QString kSize = QStringLiteral("size");
const QString kPath = QStringLiteral("path");

// Each model under test is watched by Qt's model tester, which aborts the test program on the
// first notification that does not match the model's contents.
class TableModelTest : public testing::Test
{
protected:
    void SetUp() override
    {
        model.setColumnIdentifiers({kName, kSize, kPath});
        tester = std::make_unique<QAbstractItemModelTester>(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    void appendRow(const QVariant &name, const QVariant &size = QVariant())
    {
        const int row = model.insertItem(-1);
        model.setItemObject(name, row, kName);
        if (size.isValid())
            model.setItemObject(size, row, kSize);
    }

    QVariantList column(const QString &identifier) const
    {
        QVariantList values;
        for (int row = 0; row < model.count(); ++row)
            values.append(model.itemObject(row, identifier));
        return values;
    }

    ObjectTableDataSource model;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(TableModelTest, RowLimitKeepsOneRowMoreThanTheLimitAndTrimsTheOldest)
{
    model.setMaxItems(3);
    QSignalSpy removals(&model, &QAbstractItemModel::rowsRemoved);
    for (int number = 1; number <= 5; ++number)
        appendRow(number);
    EXPECT_EQ(model.count(), 4);
    EXPECT_EQ(column(kName), (QVariantList{2, 3, 4, 5}));
    ASSERT_EQ(removals.count(), 1);
    EXPECT_EQ(removals[0][1].toInt(), 0);

    // A lower limit trims nothing by itself; each insert then trims one row, so the count stays.
    model.setMaxItems(1);
    EXPECT_EQ(model.count(), 4);
    appendRow(6);
    EXPECT_EQ(column(kName), (QVariantList{3, 4, 5, 6}));
}

TEST_F(TableModelTest, NoLimitForZeroOrNegative)
{
    for (const int limit : {0, -1}) {
        model.removeAllItems();
        model.setMaxItems(limit);
        for (int number = 0; number < 50; ++number)
            appendRow(number);
        EXPECT_EQ(model.count(), 50) << "limit " << limit;
    }
}

TEST_F(TableModelTest, InsertPositions)
{
    EXPECT_EQ(model.insertItem(-1), 0);
    model.setItemObject(QStringLiteral("a"), 0, kName);
    EXPECT_EQ(model.insertItem(-5), 1);
    model.setItemObject(QStringLiteral("b"), 1, kName);
    EXPECT_EQ(model.insertItem(0), 0);
    EXPECT_TRUE(model.data().first().isEmpty());
    EXPECT_EQ(column(kName), (QVariantList{QVariant(), QStringLiteral("a"), QStringLiteral("b")}));

    // The end of the table before the trim lies past it afterwards: the row goes to the end.
    model.setMaxItems(2);
    EXPECT_EQ(model.insertItem(3), 2);
    EXPECT_EQ(model.count(), 3);
    EXPECT_EQ(column(kName), (QVariantList{QStringLiteral("a"), QStringLiteral("b"), QVariant()}));
}

TEST_F(TableModelTest, ImportTrimsAsInsertingRowByRowWould)
{
    struct Case {
        int existing;
        int limit;
        int imported;
    };
    const Case cases[] = {
        {0, 3, 5}, {0, 3, 2}, {2, 3, 1}, {2, 3, 10}, {6, 3, 2}, {6, 3, 0}, {4, -1, 7}, {0, 1, 1}, {9, 2, 20},
    };
    for (const Case &c : cases) {
        ObjectTableDataSource sequential;
        ObjectTableDataSource imported;
        QAbstractItemModelTester importTester(&imported, QAbstractItemModelTester::FailureReportingMode::Fatal);
        for (ObjectTableDataSource *table : {&sequential, &imported}) {
            for (int number = 0; number < c.existing; ++number)
                table->setItemObject(QStringLiteral("old %1").arg(number), table->insertItem(-1), kName);
            table->setMaxItems(c.limit);
        }
        QVariantList array;
        for (int number = 0; number < c.imported; ++number) {
            const QVariantMap row{{kName, QStringLiteral("new %1").arg(number)}, {kSize, number}};
            array.append(row);
            const int inserted = sequential.insertItem(-1);
            for (auto value = row.cbegin(); value != row.cend(); ++value)
                sequential.setItemObject(value.value(), inserted, value.key());
        }
        imported.importFromArray(array);
        EXPECT_EQ(imported.data(), sequential.data())
            << c.existing << " rows, limit " << c.limit << ", " << c.imported << " imported";
    }
}

TEST_F(TableModelTest, ImportSkipsElementsThatAreNotDictionaries)
{
    const QVariantHash hashRow{{kName, QStringLiteral("from a hash")}};
    model.importFromArray({QVariantMap{{kName, QStringLiteral("a")}}, QStringLiteral("not a row"), 42, QVariantList{},
                           hashRow, QVariantMap{}});
    EXPECT_EQ(column(kName), (QVariantList{QStringLiteral("a"), QStringLiteral("from a hash"), QVariant()}));
}

TEST_F(TableModelTest, RemovingRows)
{
    for (int number = 0; number < 8; ++number)
        appendRow(number);
    model.removeItems({6, 1, 2, 2, 7, -1, 40, 4});
    EXPECT_EQ(column(kName), (QVariantList{0, 3, 5}));
    model.removeItem(1);
    model.removeItem(3); // past the end: a caller's mistake that changes nothing
    EXPECT_EQ(column(kName), (QVariantList{0, 5}));
    model.removeAllItems();
    EXPECT_EQ(model.count(), 0);
}

TEST_F(TableModelTest, ValuesFindAndColumns)
{
    appendRow(QStringLiteral("x"), 1);
    appendRow(QStringLiteral("y"));
    appendRow(QStringLiteral("x"), 1.0);
    appendRow(QStringLiteral("1"), 2);

    EXPECT_EQ(model.findItemObjectRow(QStringLiteral("x"), kName), 0);
    EXPECT_EQ(model.findItemObjectRow(QStringLiteral("z"), kName), -1);
    // A text never equals a number, and rows without a value are passed over.
    EXPECT_EQ(model.findItemObjectRow(1, kName), -1);
    EXPECT_EQ(model.findItemObjectRow(2, kSize), 3);
    EXPECT_EQ(model.findItemObjectRow(2.0, kSize), 3);
    EXPECT_EQ(model.findItemObjectRow(QStringLiteral("2"), kSize), -1);
    EXPECT_EQ(model.findItemObjectRow(QVariant(), kPath), -1);

    EXPECT_EQ(model.getObjectsInColumnAsArray(kSize), (QVariantList{1, 1.0, 2}));
    EXPECT_FALSE(model.getObjectsInColumnAsArray(kPath).has_value());

    EXPECT_FALSE(model.itemObject(1, kSize).isValid());
    EXPECT_FALSE(model.itemObject(9, kName).isValid());
    model.setItemObject(QVariant(), 0, kSize);
    EXPECT_FALSE(model.data()[0].contains(kSize));
}

TEST_F(TableModelTest, SortStringsLiterallyAndNumbersNumerically)
{
    for (const char *name : {"b", "B", "a", "A", "\u00e9", "ab"})
        appendRow(QString::fromUtf8(name));
    model.sortDataByColumnIdentifier(kName);
    EXPECT_EQ(model.comparisonType(), ObjectTableDataSource::ComparisonType::Strings);
    EXPECT_EQ(model.lastSortHeader(), kName);
    EXPECT_EQ(column(kName), (QVariantList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("a"),
                                           QStringLiteral("ab"), QStringLiteral("b"), QString::fromUtf8("\u00e9")}));

    model.removeAllItems();
    const QVariantList numbers{QVariant(10), QVariant(2.5), QVariant(qulonglong(18446744073709551615ULL)),
                               QVariant(qlonglong(-9223372036854775807LL - 1)), QVariant(true), QVariant(-0.5),
                               QVariant(qlonglong(9007199254740993LL)), QVariant(qlonglong(9007199254740992LL))};
    for (const QVariant &number : numbers)
        appendRow(QStringLiteral("n"), number);
    model.sortDataByColumnIdentifier(kSize);
    EXPECT_EQ(model.comparisonType(), ObjectTableDataSource::ComparisonType::Numbers);
    EXPECT_EQ(column(kSize), (QVariantList{QVariant(qlonglong(-9223372036854775807LL - 1)), QVariant(-0.5),
                                           QVariant(true), QVariant(2.5), QVariant(10),
                                           QVariant(qlonglong(9007199254740992LL)),
                                           QVariant(qlonglong(9007199254740993LL)),
                                           QVariant(qulonglong(18446744073709551615ULL))}));
}

TEST_F(TableModelTest, SortKeepsTheOrderWhenTheFirstValueCannotBeCompared)
{
    const QDateTime date(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
    appendRow(QStringLiteral("c"), date);
    appendRow(QStringLiteral("a"), 3);
    appendRow(QStringLiteral("b"), 1);
    QSignalSpy layoutChanges(&model, &QAbstractItemModel::layoutChanged);
    model.sortDataByColumnIdentifier(kSize);
    EXPECT_EQ(model.comparisonType(), ObjectTableDataSource::ComparisonType::NotComparable);
    EXPECT_EQ(column(kName), (QVariantList{QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b")}));

    // No value in the first row: the sort remembers the column and stops.
    model.sortDataByColumnIdentifier(kPath);
    EXPECT_EQ(model.lastSortHeader(), kPath);
    EXPECT_EQ(model.comparisonType(), ObjectTableDataSource::ComparisonType::NotComparable);
    EXPECT_EQ(column(kName), (QVariantList{QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(layoutChanges.count(), 0);
}

// Missing and mismatched values compare "same" as everything, which is no strict weak order:
// the sort must survive it, lose no row and keep the rows that compare properly in order where
// nothing stands between them.
TEST_F(TableModelTest, SortOfMixedValuesKeepsEveryRowAndFollowsPersistentIndexes)
{
    QRandomGenerator random(20240501);
    QVariantList rows{QVariantMap{{kName, QStringLiteral("first")}, {kSize, QStringLiteral("m")}}};
    for (int number = 0; number < 600; ++number) {
        QVariantMap row{{kName, QStringLiteral("row %1").arg(number)}};
        switch (random.bounded(5)) {
        case 0: break; // no value
        case 1: row.insert(kSize, random.bounded(100)); break;
        case 2: row.insert(kSize, QDateTime::fromSecsSinceEpoch(random.bounded(1000000))); break;
        default: row.insert(kSize, QString::number(random.bounded(1000), 36)); break;
        }
        rows.append(row);
    }
    model.importFromArray(rows);
    const QPersistentModelIndex followed = model.index(345, 0);
    const QVariant followedName = followed.data();

    std::multiset<QString> before;
    for (const QVariantMap &row : model.data())
        before.insert(row.value(kName).toString());
    model.sortDataByColumnIdentifier(kSize);

    std::multiset<QString> after;
    for (const QVariantMap &row : model.data())
        after.insert(row.value(kName).toString());
    EXPECT_EQ(after, before);
    ASSERT_TRUE(followed.isValid());
    EXPECT_EQ(followed.data(), followedName);

    // Every stretch of strings without anything else between them is in order.
    for (int row = 1; row < model.count(); ++row) {
        const QVariant previous = model.itemObject(row - 1, kSize);
        const QVariant current = model.itemObject(row, kSize);
        if (previous.typeId() == QMetaType::QString && current.typeId() == QMetaType::QString) {
            EXPECT_LE(previous.toString(), current.toString()) << "rows " << row - 1 << " and " << row;
        }
    }
}

class RecordingDelegate final : public ObjectTableDataSourceDelegate
{
public:
    void tableViewSetObjectValue(ObjectTableDataSource *source, const QVariant &value, const QString &identifier,
                                 int row) override
    {
        edits.append({value, identifier, row});
        storedWhenTold = source->itemObject(row, identifier);
    }
    std::optional<bool> tableViewWriteRows(ObjectTableDataSource *, const QList<int> &rows, QMimeData *pasteboard) override
    {
        draggedRows = rows;
        pasteboard->setText(QStringLiteral("rows"));
        return true;
    }
    std::optional<Qt::DropAction> tableViewValidateDrop(ObjectTableDataSource *, const QMimeData *, Qt::DropAction action,
                                                        int row, TableDropOperation operation) override
    {
        validated.append({row, operation});
        return action == Qt::CopyAction ? std::optional(Qt::CopyAction) : std::nullopt;
    }
    std::optional<bool> tableViewAcceptDrop(ObjectTableDataSource *, const QMimeData *, Qt::DropAction, int row,
                                            TableDropOperation operation) override
    {
        accepted.append({row, operation});
        return true;
    }

    QList<QVariantList> edits;
    QVariant storedWhenTold;
    QList<int> draggedRows;
    QList<std::pair<int, TableDropOperation>> validated;
    QList<std::pair<int, TableDropOperation>> accepted;
};

TEST_F(TableModelTest, EditsAreStoredBeforeTheDelegateHearsOfThem)
{
    RecordingDelegate delegate;
    model.setDelegate(&delegate);
    appendRow(QStringLiteral("old"));
    appendRow(QStringLiteral("other"));

    EXPECT_TRUE(model.setData(model.index(1, 0), QStringLiteral("new")));
    EXPECT_EQ(model.itemObject(1, kName), QStringLiteral("new"));
    ASSERT_EQ(delegate.edits.size(), 1);
    EXPECT_EQ(delegate.edits[0], (QVariantList{QStringLiteral("new"), kName, 1}));
    EXPECT_EQ(delegate.storedWhenTold, QStringLiteral("new"));

    // A row at the count does not exist: no index, no edit.
    EXPECT_FALSE(model.setData(model.index(2, 0), QStringLiteral("x")));

    model.setReadOnly(true);
    EXPECT_FALSE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(model.setData(model.index(0, 0), QStringLiteral("refused")));
    EXPECT_EQ(model.itemObject(0, kName), QStringLiteral("old"));
    EXPECT_EQ(delegate.edits.size(), 1);
    model.setDelegate(nullptr);
}

TEST_F(TableModelTest, DragAndDropBelongToTheDelegate)
{
    appendRow(QStringLiteral("a"));
    appendRow(QStringLiteral("b"));
    QMimeData data;
    EXPECT_EQ(model.mimeData({model.index(0, 0)}), nullptr);
    EXPECT_FALSE(model.canDropMimeData(&data, Qt::CopyAction, 1, 0, QModelIndex()));
    EXPECT_FALSE(model.dropMimeData(&data, Qt::CopyAction, 1, 0, QModelIndex()));

    RecordingDelegate delegate;
    model.setDelegate(&delegate);
    const std::unique_ptr<QMimeData> dragged(model.mimeData({model.index(1, 2), model.index(0, 1), model.index(1, 0)}));
    ASSERT_NE(dragged, nullptr);
    EXPECT_EQ(dragged->text(), QStringLiteral("rows"));
    EXPECT_EQ(delegate.draggedRows, (QList<int>{0, 1}));

    EXPECT_TRUE(model.canDropMimeData(&data, Qt::CopyAction, -1, -1, model.index(1, 0)));
    EXPECT_FALSE(model.canDropMimeData(&data, Qt::MoveAction, 1, 0, QModelIndex()));
    EXPECT_TRUE(model.dropMimeData(&data, Qt::CopyAction, -1, -1, QModelIndex()));
    using Drop = std::pair<int, TableDropOperation>;
    EXPECT_EQ(delegate.validated, (QList<Drop>{{1, TableDropOperation::On}, {1, TableDropOperation::Above}}));
    EXPECT_EQ(delegate.accepted, (QList<Drop>{{2, TableDropOperation::Above}}));
    model.setDelegate(nullptr);
}

class PropertyListImportTest : public TableModelTest
{
protected:
    QString writeFile(const QByteArray &content)
    {
        const QString path = folder.filePath(QStringLiteral("rows%1.plist").arg(++files));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    QTemporaryDir folder;
    int files = 0;
};

TEST_F(PropertyListImportTest, ImportsAnArrayOfDictionaries)
{
    appendRow(QStringLiteral("already there"));
    const QString path = writeFile(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<array>
  <dict><key>name</key><string>index.html</string><key>size</key><integer>4663</integer></dict>
  <dict><key>name</key><string>Caf&#233; &amp; more</string><key>path</key><string>/tmp/a</string></dict>
  <dict/>
</array>
</plist>
)");
    EXPECT_TRUE(model.importFromPListFile(path));
    EXPECT_EQ(model.count(), 4);
    EXPECT_EQ(column(kName), (QVariantList{QStringLiteral("already there"), QStringLiteral("index.html"),
                                           QString::fromUtf8("Caf\u00e9 & more"), QVariant()}));
    EXPECT_EQ(model.itemObject(1, kSize), QVariant(qlonglong(4663)));
    EXPECT_EQ(model.itemObject(2, kPath), QStringLiteral("/tmp/a"));
}

TEST_F(PropertyListImportTest, FilesThatHoldNoArrayChangeNothing)
{
    appendRow(QStringLiteral("kept"));
    const QList<QByteArray> contents{
        R"(<plist version="1.0"><dict><key>name</key><string>x</string></dict></plist>)",
        R"(<plist version="1.0"><array><dict><key>name</key><string>x</string></dict>)",
        "not a property list",
        "",
    };
    for (const QByteArray &content : contents)
        EXPECT_FALSE(model.importFromPListFile(writeFile(content))) << content.toStdString();
    EXPECT_FALSE(model.importFromPListFile(folder.filePath(QStringLiteral("missing.plist"))));
    EXPECT_FALSE(model.importFromPListFile(QString()));
    EXPECT_EQ(column(kName), (QVariantList{QStringLiteral("kept")}));
}

} // namespace
