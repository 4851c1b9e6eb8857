#include "bench/PlainWgetComparison.h"

#include "bench/BenchRuns.h"
#include "site-downloader/wget/WgetEnginePreferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

// Earlier runs' files are moved aside and removed only at the end: ext4 makes each new file
// slower to create while many files were just deleted, which would slow every later run.
void emptyFolder(const QString &folder, const QString &earlierRuns, bool removeAtOnce)
{
    if (QFileInfo::exists(folder)) {
        static int moved = 0;
        if (removeAtOnce || !QDir().mkpath(earlierRuns)
            || !QDir().rename(folder, earlierRuns + QStringLiteral("/%1").arg(++moved)))
            QDir(folder).removeRecursively();
    }
    QDir().mkpath(folder);
}

// The helper's own vector with the download folder swapped, so both sides get the same options.
std::vector<QByteArray> plainWgetArguments(const std::shared_ptr<WgetEnginePreferences> &preferences,
                                           const QString &wgetFolder)
{
    WgetEngineHelper helper;
    helper.setPreferences(preferences);
    if (helper.setupArguments() != kNoErr)
        return {};
    std::vector<QByteArray> arguments = helper.arguments();
    bool replaced = false;
    for (QByteArray &argument : arguments) {
        if (argument == "--")
            break;
        if (argument.startsWith("-P")) {
            argument = "-P" + QFile::encodeName(wgetFolder);
            replaced = true;
            break;
        }
    }
    return replaced ? arguments : std::vector<QByteArray>{};
}

QString joined(const std::vector<QByteArray> &arguments)
{
    QStringList texts;
    for (const QByteArray &argument : arguments)
        texts << QString::fromUtf8(argument);
    return texts.join(QLatin1Char(' '));
}

} // namespace

QJsonObject ComparePlainWget(const PlainWgetComparison &comparison, bool *consistent)
{
    const QString engineFolder = QDir(comparison.outputFolder).absoluteFilePath(QStringLiteral("engine"));
    const QString wgetFolder = QDir(comparison.outputFolder).absoluteFilePath(QStringLiteral("wget"));
    const QString earlierRuns = QDir(comparison.outputFolder).absoluteFilePath(QStringLiteral(".earlier-runs"));

    auto preferences = std::make_shared<WgetEnginePreferences>();
    preferences->setBaseURL(comparison.url);
    preferences->setOutputDirectory(engineFolder, false);
    if (comparison.adjustPreferences)
        comparison.adjustPreferences(*preferences);

    QJsonObject figures;
    *consistent = false;
    QDir(earlierRuns).removeRecursively();
    const std::vector<QByteArray> wgetArguments = plainWgetArguments(preferences, wgetFolder);
    if (wgetArguments.empty()) {
        figures[QStringLiteral("problem")] = QStringLiteral("the helper built no argument vector with -P");
        return figures;
    }
    std::fprintf(stderr, "plain wget: %s\n", qPrintable(joined(wgetArguments)));

    double engineSeconds = std::numeric_limits<double>::infinity();
    double wgetSeconds = std::numeric_limits<double>::infinity();
    double engineCpuSeconds = std::numeric_limits<double>::infinity();
    double engineOwnCpuSeconds = std::numeric_limits<double>::infinity();
    double wgetCpuSeconds = std::numeric_limits<double>::infinity();
    double wgetReaderCpuSeconds = std::numeric_limits<double>::infinity();
    EngineRun lastEngine;
    ChildRun lastWget;
    QJsonArray engineTimes;
    QJsonArray wgetTimes;
    for (int round = 0; round < std::max(1, comparison.rounds); ++round) {
        emptyFolder(wgetFolder, earlierRuns, comparison.removeEarlierRunsAtOnce);
        lastWget = RunDrainedChild(wgetArguments);
        wgetSeconds = std::min(wgetSeconds, lastWget.seconds);
        wgetCpuSeconds = std::min(wgetCpuSeconds, lastWget.cpuSeconds);
        wgetReaderCpuSeconds = std::min(wgetReaderCpuSeconds, lastWget.readerCpuSeconds);
        wgetTimes.append(lastWget.seconds);

        emptyFolder(engineFolder, earlierRuns, comparison.removeEarlierRunsAtOnce);
        lastEngine = comparison.runEngine(preferences);
        engineSeconds = std::min(engineSeconds, lastEngine.seconds);
        engineCpuSeconds = std::min(engineCpuSeconds, lastEngine.ownCpuSeconds + lastEngine.childCpuSeconds);
        engineOwnCpuSeconds = std::min(engineOwnCpuSeconds, lastEngine.ownCpuSeconds);
        engineTimes.append(lastEngine.seconds);
        std::fprintf(stderr, "round %d: wget %.3f s (cpu %.3f s, reader %.3f s), engine %.3f s (cpu %.3f s, own %.3f s)\n",
                     round + 1, lastWget.seconds, lastWget.cpuSeconds, lastWget.readerCpuSeconds, lastEngine.seconds,
                     lastEngine.ownCpuSeconds + lastEngine.childCpuSeconds, lastEngine.ownCpuSeconds);
    }

    QDir(earlierRuns).removeRecursively();

    const RecordingDelegate &events = lastEngine.events;
    const QSet<QString> engineFiles = RelativeFiles(engineFolder);
    const QSet<QString> wgetFiles = RelativeFiles(wgetFolder);
    int missingSavedFiles = 0;
    for (const QString &path : events.savedPaths) {
        if (!QFileInfo(path).isFile())
            ++missingSavedFiles;
    }
    const bool sameFileSets = engineFiles == wgetFiles;
    for (const QString &file : engineFiles - wgetFiles)
        std::fprintf(stderr, "only the engine left %s\n", qPrintable(file));
    for (const QString &file : wgetFiles - engineFiles)
        std::fprintf(stderr, "only plain wget left %s\n", qPrintable(file));

    figures[QStringLiteral("url")] = comparison.url;
    figures[QStringLiteral("rounds")] = engineTimes.size();
    figures[QStringLiteral("engine_seconds")] = engineSeconds;
    figures[QStringLiteral("wget_seconds")] = wgetSeconds;
    figures[QStringLiteral("engine_runs")] = engineTimes;
    figures[QStringLiteral("wget_runs")] = wgetTimes;
    figures[QStringLiteral("ratio")] = wgetSeconds > 0 ? engineSeconds / wgetSeconds : 0.0;
    figures[QStringLiteral("engine_cpu_seconds")] = engineCpuSeconds;
    figures[QStringLiteral("engine_own_cpu_seconds")] = engineOwnCpuSeconds;
    figures[QStringLiteral("wget_cpu_seconds")] = wgetCpuSeconds;
    figures[QStringLiteral("wget_reader_cpu_seconds")] = wgetReaderCpuSeconds;
    figures[QStringLiteral("cpu_ratio")] = wgetCpuSeconds + wgetReaderCpuSeconds > 0
                                               ? engineCpuSeconds / (wgetCpuSeconds + wgetReaderCpuSeconds)
                                               : 0.0;
    figures[QStringLiteral("saved_files")] = static_cast<qint64>(events.savedPaths.size());
    figures[QStringLiteral("saved_events")] = static_cast<qint64>(events.savedEvents);
    figures[QStringLiteral("saved_without_source")] = static_cast<qint64>(events.savedWithoutSource);
    figures[QStringLiteral("missing_saved_files")] = missingSavedFiles;
    figures[QStringLiteral("engine_files")] = static_cast<qint64>(engineFiles.size());
    figures[QStringLiteral("wget_saved_files")] = static_cast<qint64>(wgetFiles.size());
    figures[QStringLiteral("same_file_sets")] = sameFileSets;
    figures[QStringLiteral("progress_events")] = static_cast<qint64>(events.progressEvents);
    figures[QStringLiteral("last_percent")] = static_cast<qint64>(events.lastPercent);
    figures[QStringLiteral("last_total_bytes")] = static_cast<qint64>(events.lastTotalBytes);
    figures[QStringLiteral("status_events")] = static_cast<qint64>(events.statusEvents);
    figures[QStringLiteral("lines")] = static_cast<qint64>(events.verboseLogPieces / 3);
    figures[QStringLiteral("wget_output_bytes")] = static_cast<qint64>(lastWget.outputBytes);
    figures[QStringLiteral("finished_events")] = events.finishedEvents;
    figures[QStringLiteral("start_result")] = lastEngine.startResult;
    figures[QStringLiteral("result")] = events.result;
    figures[QStringLiteral("engine_exit_status")] = lastEngine.exitStatus;
    figures[QStringLiteral("wget_exit_status")] = lastWget.exitStatus;

    *consistent = sameFileSets && missingSavedFiles == 0 && events.finishedEvents == 1
                  && (events.result == 0) == (lastWget.exitStatus == 0);
    return figures;
}
