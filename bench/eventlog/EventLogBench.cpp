// The event log with many entries: appending them to a log whose window is on screen (and, for
// comparison, to one that is hidden), and saving the log as rich text. The peers are Qt's own: a bare QPlainTextEdit that appends the same lines
// without colours or counts, and a save of the same text as plain UTF-8 through QSaveFile.
//
//   eventlog_bench [ENTRIES] [--rounds N]      ENTRIES defaults to 100,000; 3 rounds
//
// The last line of standard output is one JSON object. The exit status is 0 when the log held
// every entry and the saved file every line, 1 when it did not, 2 when it could not run.

#include "bench/BenchRuns.h"
#include "platform/RtfWriter.h"
#include "site-downloader/eventlog/EventLogWindowController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

constexpr int kDefaultEntryCount = 100000;
constexpr int kDeciles = 10;

// Lines like the ones the download tools report, with some non-ASCII to make the writer escape.
QStringList entryTexts(int count)
{
    QStringList texts;
    texts.reserve(count);
    for (int index = 0; index < count; ++index) {
        switch (index % 4) {
        case 0:
            texts << QStringLiteral("Cannot fetch http://127.0.0.1:45703/pictures/image-%1.jpg: the server answered 404").arg(index);
            break;
        case 1:
            texts << QStringLiteral("The folder /tmp/dl/Vellicor Download/site-%1 already exists").arg(index);
            break;
        case 2:
            texts << QStringLiteral("Saved “Grüße %1.html” {%2 bytes}").arg(index).arg(index * 17);
            break;
        default:
            texts << QStringLiteral("Connection to mirror %1 closed by the peer").arg(index);
            break;
        }
    }
    return texts;
}

uint32_t entryType(int index)
{
    return index % 4 == 0 ? EventLogWindowController::kErrorEntryType
        : index % 4 == 1  ? EventLogWindowController::kWarningEntryType
                          : EventLogWindowController::kStandardEntryType;
}

struct AppendRun {
    double seconds = 0;
    double decileSeconds[kDeciles] = {};
};

// Times the appends in tenths, so a cost that grows with the log shows as a ratio of the last
// tenth to the first.
template <typename Append>
AppendRun timeAppends(const QStringList &texts, Append append)
{
    AppendRun run;
    const int perDecile = std::max<int>(1, texts.size() / kDeciles);
    QElapsedTimer total;
    total.start();
    for (int decile = 0; decile < kDeciles; ++decile) {
        QElapsedTimer timer;
        timer.start();
        const int end = decile == kDeciles - 1 ? texts.size() : (decile + 1) * perDecile;
        for (int index = decile * perDecile; index < end; ++index)
            append(index, texts[index]);
        run.decileSeconds[decile] = timer.nsecsElapsed() / 1e9;
    }
    run.seconds = total.nsecsElapsed() / 1e9;
    return run;
}

double timeSave(const std::function<bool()> &save, bool *ok)
{
    QElapsedTimer timer;
    timer.start();
    *ok = save() && *ok;
    return timer.nsecsElapsed() / 1e9;
}

bool savePlainText(const QString &path, const QString &text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size() && file.commit();
}

int parseArguments(int argc, char **argv, int *entries, int *rounds)
{
    for (int index = 1; index < argc; ++index) {
        const QByteArray argument(argv[index]);
        if (argument == "--rounds" && index + 1 < argc)
            *rounds = std::atoi(argv[++index]);
        else if (argument.toInt() > 0)
            *entries = argument.toInt();
        else
            return 2;
    }
    return *entries > 0 && *rounds > 0 ? 0 : 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    int entries = kDefaultEntryCount;
    int rounds = 3;
    if (parseArguments(argc, argv, &entries, &rounds) != 0) {
        std::fprintf(stderr, "usage: eventlog_bench [ENTRIES] [--rounds N]\n");
        return 2;
    }
    QTemporaryDir folder;
    if (!folder.isValid())
        return 2;
    const QStringList texts = entryTexts(entries);

    double best = std::numeric_limits<double>::max(), bestPeer = best, bestExport = best, bestPeerExport = best, bestWriter = best, bestHidden = best;
    AppendRun bestRun;
    qint64 rtfBytes = 0;
    bool complete = true;
    for (int round = 0; round < rounds; ++round) {
        // Ours and the peer alternate, each with a fresh window of the same size on screen.
        auto log = EventLogWindowController::eventLogWithName(QStringLiteral("Bench"), 0);
        log->resize(700, 500);
        log->showLogWindow();
        const AppendRun run = timeAppends(texts, [&log](int index, const QString &text) { log->addLogEntryString(text, entryType(index)); });
        complete = complete && log->logText().count(QLatin1Char('\n')) == entries
            && log->errorCount() + log->warningCount() + log->standardCount() == uint32_t(entries);

        QPlainTextEdit peer;
        peer.setReadOnly(true);
        peer.resize(700, 500);
        peer.show();
        const AppendRun peerRun = timeAppends(texts, [&peer](int, const QString &text) { peer.appendPlainText(text); });

        const QString rtfPath = folder.filePath(QStringLiteral("log.rtf"));
        const double exportSeconds = timeSave([&] { return log->saveLogAsRichText(rtfPath); }, &complete);
        const QString logText = log->logText();
        QByteArray rtf;
        const double writerSeconds = timeSave([&] { rtf = RtfFromPlainText(logText); return !rtf.isEmpty(); }, &complete);
        const double peerExportSeconds = timeSave([&] { return savePlainText(folder.filePath(QStringLiteral("log.txt")), logText); }, &complete);
        rtfBytes = QFile(rtfPath).size();
        complete = complete && QFile(rtfPath).size() == rtf.size();

        // The global log spends most of its life hidden.
        auto hiddenLog = EventLogWindowController::eventLogWithName(QStringLiteral("Hidden"), 0);
        const AppendRun hiddenRun = timeAppends(texts, [&hiddenLog](int index, const QString &text) { hiddenLog->addLogEntryString(text, entryType(index)); });

        if (run.seconds < best) {
            best = run.seconds;
            bestRun = run;
        }
        bestPeer = std::min(bestPeer, peerRun.seconds);
        bestExport = std::min(bestExport, exportSeconds);
        bestWriter = std::min(bestWriter, writerSeconds);
        bestHidden = std::min(bestHidden, hiddenRun.seconds);
        bestPeerExport = std::min(bestPeerExport, peerExportSeconds);
        std::fprintf(stderr, "round %d: append %.3f s (peer %.3f s, hidden %.3f s), export %.3f s (writer %.3f s, plain %.3f s)\n",
                     round + 1, run.seconds, peerRun.seconds, hiddenRun.seconds, exportSeconds, writerSeconds, peerExportSeconds);
    }

    QJsonArray deciles;
    for (double seconds : bestRun.decileSeconds)
        deciles.append(seconds);
    PrintFigures({
        {QStringLiteral("entries"), entries},
        {QStringLiteral("rounds"), rounds},
        {QStringLiteral("append_seconds"), best},
        {QStringLiteral("append_microseconds_per_entry"), best * 1e6 / entries},
        {QStringLiteral("peer_append_seconds"), bestPeer},
        {QStringLiteral("append_ratio_to_peer"), best / bestPeer},
        {QStringLiteral("append_last_to_first_tenth"), bestRun.decileSeconds[kDeciles - 1] / bestRun.decileSeconds[0]},
        {QStringLiteral("append_tenth_seconds"), deciles},
        {QStringLiteral("hidden_append_seconds"), bestHidden},
        {QStringLiteral("export_seconds"), bestExport},
        {QStringLiteral("rtf_writer_seconds"), bestWriter},
        {QStringLiteral("peer_plain_save_seconds"), bestPeerExport},
        {QStringLiteral("export_ratio_to_plain_save"), bestExport / bestPeerExport},
        {QStringLiteral("rtf_bytes"), rtfBytes},
        {QStringLiteral("complete"), complete},
    });
    return complete ? 0 : 1;
}
