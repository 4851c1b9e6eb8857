// The mirror benchmark through a real download document window (offscreen) with its table and
// log file attached, against plain wget with the same arguments in the same run.
//   document_mirror_bench URL OUTPUT_FOLDER [--rounds N]
//   document_mirror_bench [--pages N] [--rounds N]      a generated site from a loopback nginx
#include "bench/BenchRuns.h"
#include "bench/MirrorTarget.h"
#include "bench/PlainWgetComparison.h"
#include "platform/LocalizedString.h"
#include "site-downloader/document/VellicorDocument.h"
#include "site-downloader/wget/WgetEnginePreferences.h"
#include "support/defaults/UserDefaults.h"
#include "support/table/ObjectTableDataSource.h"
#include "tests/fixtures/NginxServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

// Every saved file stays in the table, so the whole run is measured with the table attached.
constexpr qint64 kTableRowLimit = 1000000;

int usage()
{
    std::fprintf(stderr, "usage: document_mirror_bench URL OUTPUT_FOLDER [--rounds N]\n"
                         "       document_mirror_bench [--pages N] [--rounds N]\n");
    return 2;
}

EngineRun RunThroughDocument(const std::shared_ptr<WgetEnginePreferences> &preferences)
{
    EngineRun run;
    VellicorDocument document;
    document.setPreferences(preferences);
    document.makeWindow();
    document.window()->show();

    const double ownBefore = ProcessCpuSeconds(RUSAGE_SELF);
    const double childrenBefore = ProcessCpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer timer;
    timer.start();
    document.buttonClickedStartStop(nullptr);
    if (document.isBusy()) {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!document.isBusy())
                loop.quit();
        });
        poll.start(2);
        loop.exec();
    } else {
        run.startResult = kParamErr;
    }
    run.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    run.ownCpuSeconds = ProcessCpuSeconds(RUSAGE_SELF) - ownBefore;
    run.childCpuSeconds = ProcessCpuSeconds(RUSAGE_CHILDREN) - childrenBefore;

    for (const QVariantMap &row : document.tableDataSource()->data()) {
        ++run.events.savedEvents;
        if (!row.contains(VellicorDocument::kURLColumn))
            ++run.events.savedWithoutSource;
        run.events.savedPaths.insert(row.value(VellicorDocument::kPathColumn).toString());
    }
    run.events.finishedEvents = 1;
    run.events.result = document.lastRunResult();
    document.close();
    // The log file is the document's own, not a download: plain wget leaves none to compare.
    if (const std::optional<QString> log = preferences->logFilePath())
        QFile::remove(*log);
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    PrepareWgetEnvironment();
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The document reads and writes settings: keep them out of the user's own.
    QTemporaryDir settingsHome;
    setenv("XDG_CONFIG_HOME", qPrintable(settingsHome.path()), 1);
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("VellicorBenchmark"));
    QApplication::setApplicationName(QStringLiteral("document_mirror_bench"));
    PrepareBenchApplication();
    InstallTranslations(QStringLiteral("support"));
    UserDefaults::setInteger(kTableRowLimit, VellicorDocument::kMaxTableURLsDefaultsKey);

    MirrorTarget target;
    target.comparison.runEngine = RunThroughDocument;
    if (const int prepared = PrepareMirrorTarget(application.arguments().mid(1), &target); prepared != 0)
        return prepared == 1 ? usage() : 2;

    bool consistent = false;
    QJsonObject figures = ComparePlainWget(target.comparison, &consistent);
    AddMirrorTargetFigures(target, &figures);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    figures[QStringLiteral("peak_memory_kib")] = static_cast<qint64>(usage.ru_maxrss);
    PrintFigures(figures);
    return figures.contains(QStringLiteral("problem")) ? 2 : consistent ? 0 : 1;
}
