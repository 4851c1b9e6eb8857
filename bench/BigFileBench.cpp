// One large file (sparse, from a loopback nginx) downloaded without recursion through the
// engine and by plain wget with the same arguments. The engine reads and interprets every dot
// progress line, so this shows whether its reader is cheap per line.
//
//   bigfile_bench [--size BYTES] [--rounds N] [OUTPUT_FOLDER]
//
// The downloaded copies are deleted afterwards. The last line of standard output is one JSON
// object; the exit status is 0 when both sides did the same thing, 1 when they did not, 2 when
// the benchmark could not run.

#include "bench/BenchRuns.h"
#include "bench/PlainWgetComparison.h"
#include "platform/LocalizedString.h"
#include "platform/ResourceFolder.h"
#include "site-downloader/wget/WgetEnginePreferences.h"
#include "tests/fixtures/NginxServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr qint64 kDefaultSize = qint64(1) << 30;
const QString kFileName = QStringLiteral("big.bin");

int usage()
{
    std::fprintf(stderr, "usage: bigfile_bench [--size BYTES] [--rounds N] [OUTPUT_FOLDER]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    PrepareWgetEnvironment();
    QCoreApplication application(argc, argv);
    PrepareBenchApplication();

    qint64 size = kDefaultSize;
    int rounds = 2;
    QString outputFolder;
    const QStringList arguments = application.arguments().mid(1);
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString &argument = arguments[index];
        bool ok = true;
        if (argument == QLatin1String("--size") && index + 1 < arguments.size())
            size = arguments[++index].toLongLong(&ok);
        else if (argument == QLatin1String("--rounds") && index + 1 < arguments.size())
            rounds = arguments[++index].toInt(&ok);
        else if (argument.startsWith(QLatin1String("--")) || !outputFolder.isEmpty())
            return usage();
        else
            outputFolder = argument;
        if (!ok || size < 0 || rounds < 1)
            return usage();
    }

    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 2;
    const QString root = scratch.filePath(QStringLiteral("site"));
    QDir().mkpath(root);
    // Sparse: nginx serves a gigabyte without the disk holding one.
    QFile served(root + QLatin1Char('/') + kFileName);
    if (!served.open(QIODevice::WriteOnly) || !served.resize(size))
        return 2;
    served.close();

    NginxServer server(root);
    QString problem;
    if (!server.start(&problem)) {
        std::fprintf(stderr, "nginx: %s\n", qPrintable(problem));
        return 2;
    }

    PlainWgetComparison comparison;
    comparison.url = server.url(QLatin1Char('/') + kFileName);
    comparison.outputFolder = outputFolder.isEmpty() ? scratch.filePath(QStringLiteral("output")) : outputFolder;
    comparison.rounds = rounds;
    comparison.removeEarlierRunsAtOnce = true;
    comparison.adjustPreferences = [](WgetEnginePreferences &preferences) {
        preferences._recursive = false;
        preferences._recreateFolderHierarchyOnLocalDisk = false;
        preferences._relinkForOfflineBrowsing = false;
        preferences._getAllFilesRequiredToViewHTMLPage = false;
        preferences._fileHandlingType = 1;
    };
    bool consistent = false;
    QJsonObject figures = ComparePlainWget(comparison, &consistent);
    for (const char *side : {"engine", "wget"})
        QDir(QDir(comparison.outputFolder).absoluteFilePath(QLatin1String(side))).removeRecursively();

    figures[QStringLiteral("bytes")] = size;
    PrintFigures(figures);
    if (figures.contains(QStringLiteral("problem")))
        return 2;
    // The progress the delegate saw last must be the whole file, with its 64-bit size.
    const bool progressComplete = figures[QStringLiteral("last_percent")].toInteger() == 100
                                  && figures[QStringLiteral("last_total_bytes")].toInteger() == size;
    return consistent && progressComplete ? 0 : 1;
}
