// The table model under the loads the programs give it, with a striped view attached and shown
// (offscreen unless a display is asked for), against QStandardItemModel in a plain QTableView
// doing the same work in the same run:
//   - single inserts of four-column rows, as a download document adds saved files, with a row
//     limit of 1,000 and without one; the figure that matters is how the time per insert of
//     the last tenth compares with the first tenth (it must stay flat);
//   - import of the same number of rows from an array and from a property-list file;
//   - sorting them by a text column and by a number column.
//
//   table_bench [--rows N] [--rounds N]        N rows: 100,000 by default; 3 rounds
//
// The last line of standard output is one JSON object. The exit status is 0 when every table
// ended with the rows it should hold, in the order it should, 1 when one did not, 2 when the
// benchmark could not run.

#include "support/table/AlternatingTableView.h"
#include "support/table/ObjectTableDataSource.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>

namespace {

const QString kURL = QStringLiteral("url");
const QString kSize = QStringLiteral("size");
const QString kFileName = QStringLiteral("filename");
const QString kPath = QStringLiteral("path");
const QStringList kColumns{kURL, kSize, kFileName, kPath};
constexpr int kRowLimit = 1000;
// The event loop runs this often during the inserts, so the view lays out and paints as it
// would while a download adds rows.
constexpr int kInsertsBetweenEvents = 500;

struct Row {
    QString url;
    qlonglong size;
    QString fileName;
    QString path;
};

std::vector<Row> makeRows(int count)
{
    QRandomGenerator random(6100);
    std::vector<Row> rows;
    rows.reserve(count);
    for (int number = 0; number < count; ++number) {
        const QString name = QStringLiteral("page%1-%2.html").arg(random.bounded(1000000)).arg(number);
        rows.push_back({QStringLiteral("http://127.0.0.1:45703/site/") + name, random.bounded(10000000), name,
                        QStringLiteral("/tmp/dl/127.0.0.1:45703/site/") + name});
    }
    return rows;
}

struct InsertTimes {
    double seconds = 0;
    double firstTenthSeconds = 0;
    double lastTenthSeconds = 0;
    double ratio() const { return firstTenthSeconds > 0 ? lastTenthSeconds / firstTenthSeconds : 0; }
};

// Times `insert` over every row; the tenths are timed apart, with the event loop's share of each.
InsertTimes timeInserts(const std::vector<Row> &rows, const std::function<void(const Row &)> &insert)
{
    const int tenth = std::max<int>(1, static_cast<int>(rows.size()) / 10);
    InsertTimes times;
    QElapsedTimer total;
    QElapsedTimer tenthTimer;
    total.start();
    for (size_t index = 0; index < rows.size(); ++index) {
        if (index == 0 || index == rows.size() - tenth)
            tenthTimer.start();
        insert(rows[index]);
        if ((index + 1) % kInsertsBetweenEvents == 0)
            QApplication::processEvents();
        if (index + 1 == static_cast<size_t>(tenth))
            times.firstTenthSeconds = tenthTimer.nsecsElapsed() / 1e9;
    }
    QApplication::processEvents();
    times.lastTenthSeconds = tenthTimer.nsecsElapsed() / 1e9;
    times.seconds = total.nsecsElapsed() / 1e9;
    return times;
}

void keepFastest(InsertTimes &best, const InsertTimes &run)
{
    if (best.seconds == 0 || run.seconds < best.seconds)
        best = run;
}

struct Figures {
    InsertTimes limited;
    InsertTimes unlimited;
    InsertTimes peerLimited;
    InsertTimes peerUnlimited;
    double importArraySeconds = std::numeric_limits<double>::max();
    double importFileSeconds = std::numeric_limits<double>::max();
    double sortTextSeconds = std::numeric_limits<double>::max();
    double sortNumberSeconds = std::numeric_limits<double>::max();
    double peerSortTextSeconds = std::numeric_limits<double>::max();
    double peerSortNumberSeconds = std::numeric_limits<double>::max();
    bool correct = true;
};

void fail(Figures &figures, const char *what)
{
    std::fprintf(stderr, "table_bench: %s\n", what);
    figures.correct = false;
}

double timed(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

void runInserts(const std::vector<Row> &rows, int limit, InsertTimes &ours, InsertTimes &peer, Figures &figures)
{
    const int expectedRows = limit > 0 ? std::min<int>(limit + 1, static_cast<int>(rows.size())) : static_cast<int>(rows.size());
    {
        ObjectTableDataSource model;
        model.setColumnIdentifiers(kColumns);
        model.setMaxItems(limit);
        AlternatingTableView view;
        view.setModel(&model);
        view.resize(800, 600);
        view.show();
        keepFastest(ours, timeInserts(rows, [&model](const Row &row) {
            const int index = model.insertItem(-1);
            model.setItemObject(row.url, index, kURL);
            model.setItemObject(row.size, index, kSize);
            model.setItemObject(row.fileName, index, kFileName);
            model.setItemObject(row.path, index, kPath);
        }));
        if (model.count() != expectedRows || model.itemObject(model.count() - 1, kURL) != rows.back().url)
            fail(figures, "the table model did not end with the newest rows");
    }
    {
        QStandardItemModel model(0, static_cast<int>(kColumns.size()));
        QTableView view;
        view.setModel(&model);
        view.resize(800, 600);
        view.show();
        keepFastest(peer, timeInserts(rows, [&model, limit](const Row &row) {
            if (limit > 0 && model.rowCount() > limit)
                model.removeRow(0);
            model.appendRow({new QStandardItem(row.url), new QStandardItem(QString::number(row.size)),
                             new QStandardItem(row.fileName), new QStandardItem(row.path)});
        }));
        if (model.rowCount() != expectedRows)
            fail(figures, "the peer did not end with the newest rows");
    }
}

QVariantList rowsAsArray(const std::vector<Row> &rows)
{
    QVariantList array;
    array.reserve(static_cast<qsizetype>(rows.size()));
    for (const Row &row : rows)
        array.append(QVariantMap{{kURL, row.url}, {kSize, row.size}, {kFileName, row.fileName}, {kPath, row.path}});
    return array;
}

QByteArray rowsAsPropertyList(const std::vector<Row> &rows)
{
    QByteArray text = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<array>
)";
    for (const Row &row : rows) {
        text += "\t<dict>\n\t\t<key>url</key>\n\t\t<string>" + row.url.toUtf8() + "</string>\n\t\t<key>size</key>\n\t\t<integer>"
                + QByteArray::number(row.size) + "</integer>\n\t\t<key>filename</key>\n\t\t<string>" + row.fileName.toUtf8()
                + "</string>\n\t\t<key>path</key>\n\t\t<string>" + row.path.toUtf8() + "</string>\n\t</dict>\n";
    }
    text += "</array>\n</plist>\n";
    return text;
}

template <typename Key>
bool isAscending(const ObjectTableDataSource &model, const QString &column, Key key)
{
    for (int row = 1; row < model.count(); ++row) {
        if (key(model.itemObject(row, column)) < key(model.itemObject(row - 1, column)))
            return false;
    }
    return true;
}

void runImportAndSort(const std::vector<Row> &rows, const QString &plistPath, Figures &figures)
{
    const QVariantList array = rowsAsArray(rows);
    ObjectTableDataSource model;
    model.setColumnIdentifiers(kColumns);
    AlternatingTableView view;
    view.setModel(&model);
    view.resize(800, 600);
    view.show();

    figures.importArraySeconds = std::min(figures.importArraySeconds, timed([&] {
        model.importFromArray(array);
        QApplication::processEvents();
    }));
    if (model.count() != static_cast<int>(rows.size()))
        fail(figures, "the array import lost rows");
    model.removeAllItems();

    figures.importFileSeconds = std::min(figures.importFileSeconds, timed([&] {
        model.importFromPListFile(plistPath);
        QApplication::processEvents();
    }));
    if (model.count() != static_cast<int>(rows.size())
        || model.itemObject(0, kSize) != QVariant(rows.front().size))
        fail(figures, "the property-list import lost rows");

    figures.sortTextSeconds = std::min(figures.sortTextSeconds, timed([&] {
        model.sortDataByColumnIdentifier(kFileName);
        QApplication::processEvents();
    }));
    if (!isAscending(model, kFileName, [](const QVariant &value) { return value.toString(); }))
        fail(figures, "the text sort left rows out of order");
    figures.sortNumberSeconds = std::min(figures.sortNumberSeconds, timed([&] {
        model.sortDataByColumnIdentifier(kSize);
        QApplication::processEvents();
    }));
    if (!isAscending(model, kSize, [](const QVariant &value) { return value.toLongLong(); }))
        fail(figures, "the number sort left rows out of order");

    QStandardItemModel peer(0, static_cast<int>(kColumns.size()));
    QTableView peerView;
    peerView.setModel(&peer);
    peerView.resize(800, 600);
    peerView.show();
    for (const Row &row : rows) {
        auto *size = new QStandardItem;
        size->setData(row.size, Qt::DisplayRole);
        peer.appendRow({new QStandardItem(row.url), size, new QStandardItem(row.fileName), new QStandardItem(row.path)});
    }
    QApplication::processEvents();
    figures.peerSortTextSeconds = std::min(figures.peerSortTextSeconds, timed([&] {
        peer.sort(2);
        QApplication::processEvents();
    }));
    figures.peerSortNumberSeconds = std::min(figures.peerSortNumberSeconds, timed([&] {
        peer.sort(1);
        QApplication::processEvents();
    }));
}

QJsonObject insertFigures(const InsertTimes &times, int rows)
{
    return {
        {"seconds", times.seconds},
        {"microseconds_per_insert", times.seconds / rows * 1e6},
        {"first_tenth_seconds", times.firstTenthSeconds},
        {"last_tenth_seconds", times.lastTenthSeconds},
        {"last_to_first_tenth_ratio", times.ratio()},
    };
}

double ratio(double ours, double peer)
{
    return peer > 0 ? ours / peer : 0;
}

int usage()
{
    std::fprintf(stderr, "usage: table_bench [--rows N] [--rounds N]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);

    int rowCount = 100000;
    int rounds = 3;
    const QStringList arguments = application.arguments().mid(1);
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        bool ok = false;
        if (arguments[index] == QLatin1String("--rows") && index + 1 < arguments.size())
            rowCount = arguments[++index].toInt(&ok);
        else if (arguments[index] == QLatin1String("--rounds") && index + 1 < arguments.size())
            rounds = arguments[++index].toInt(&ok);
        if (!ok || rowCount < 100 || rounds < 1)
            return usage();
    }

    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 2;
    const std::vector<Row> rows = makeRows(rowCount);
    const QString plistPath = scratch.filePath(QStringLiteral("rows.plist"));
    QFile plist(plistPath);
    if (!plist.open(QIODevice::WriteOnly) || plist.write(rowsAsPropertyList(rows)) < 0)
        return 2;
    plist.close();

    Figures figures;
    for (int round = 1; round <= rounds; ++round) {
        std::fprintf(stderr, "round %d of %d: inserts with a limit of %d\n", round, rounds, kRowLimit);
        runInserts(rows, kRowLimit, figures.limited, figures.peerLimited, figures);
        std::fprintf(stderr, "round %d of %d: inserts without a limit\n", round, rounds);
        runInserts(rows, -1, figures.unlimited, figures.peerUnlimited, figures);
        std::fprintf(stderr, "round %d of %d: import and sort\n", round, rounds);
        runImportAndSort(rows, plistPath, figures);
    }

    QJsonObject results{
        {"rows", rowCount},
        {"rounds", rounds},
        {"row_limit", kRowLimit},
        {"limited_inserts", insertFigures(figures.limited, rowCount)},
        {"unlimited_inserts", insertFigures(figures.unlimited, rowCount)},
        {"peer_limited_inserts", insertFigures(figures.peerLimited, rowCount)},
        {"peer_unlimited_inserts", insertFigures(figures.peerUnlimited, rowCount)},
        {"limited_ratio_to_peer", ratio(figures.limited.seconds, figures.peerLimited.seconds)},
        {"unlimited_ratio_to_peer", ratio(figures.unlimited.seconds, figures.peerUnlimited.seconds)},
        {"import_array_seconds", figures.importArraySeconds},
        {"import_plist_file_seconds", figures.importFileSeconds},
        {"plist_file_bytes", QFile(plistPath).size()},
        {"sort_text_seconds", figures.sortTextSeconds},
        {"sort_number_seconds", figures.sortNumberSeconds},
        {"peer_sort_text_seconds", figures.peerSortTextSeconds},
        {"peer_sort_number_seconds", figures.peerSortNumberSeconds},
        {"sort_text_ratio_to_peer", ratio(figures.sortTextSeconds, figures.peerSortTextSeconds)},
        {"sort_number_ratio_to_peer", ratio(figures.sortNumberSeconds, figures.peerSortNumberSeconds)},
        {"correct", figures.correct},
    };
    std::fflush(stderr);
    std::printf("%s\n", QJsonDocument(results).toJson(QJsonDocument::Compact).constData());
    return figures.correct ? 0 : 1;
}
