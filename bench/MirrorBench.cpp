// A recursive mirror with the program's default options, through the engine and by plain wget
// with the same arguments.
//
//   mirror_bench URL OUTPUT_FOLDER [--rounds N]
//   mirror_bench [--pages N] [--rounds N]     a generated site from a loopback nginx
//
// The last line of standard output is one JSON object. The exit status is 0 when both sides
// did the same thing, 1 when they did not, 2 when the benchmark could not run.

#include "bench/BenchRuns.h"
#include "bench/PlainWgetComparison.h"
#include "platform/LocalizedString.h"
#include "platform/ResourceFolder.h"
#include "tests/fixtures/NginxServer.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int kDefaultPageCount = 2000;

int usage()
{
    std::fprintf(stderr, "usage: mirror_bench URL OUTPUT_FOLDER [--rounds N]\n"
                         "       mirror_bench [--pages N] [--rounds N]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    PrepareWgetEnvironment();
    QCoreApplication application(argc, argv);
    PrepareBenchApplication();

    QStringList positional;
    int rounds = 2;
    int pageCount = kDefaultPageCount;
    const QStringList arguments = application.arguments().mid(1);
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString &argument = arguments[index];
        bool ok = true;
        if (argument == QLatin1String("--rounds") && index + 1 < arguments.size())
            rounds = arguments[++index].toInt(&ok);
        else if (argument == QLatin1String("--pages") && index + 1 < arguments.size())
            pageCount = arguments[++index].toInt(&ok);
        else if (argument.startsWith(QLatin1String("--")))
            return usage();
        else
            positional << argument;
        if (!ok || rounds < 1 || pageCount < 1)
            return usage();
    }
    if (positional.size() != 0 && positional.size() != 2)
        return usage();

    PlainWgetComparison comparison;
    comparison.rounds = rounds;
    std::unique_ptr<QTemporaryDir> scratch;
    std::unique_ptr<NginxServer> server;
    int filesServed = 0;
    if (positional.size() == 2) {
        comparison.url = positional[0];
        comparison.outputFolder = positional[1];
    } else {
        scratch = std::make_unique<QTemporaryDir>();
        if (!scratch->isValid())
            return 2;
        const QString root = scratch->filePath(QStringLiteral("site"));
        filesServed = GeneratedSite::write(root, pageCount);
        server = std::make_unique<NginxServer>(root);
        QString problem;
        if (!server->start(&problem)) {
            std::fprintf(stderr, "nginx: %s\n", qPrintable(problem));
            return 2;
        }
        comparison.url = server->url();
        comparison.outputFolder = scratch->filePath(QStringLiteral("output"));
    }

    bool consistent = false;
    QJsonObject figures = ComparePlainWget(comparison, &consistent);
    if (server) {
        figures[QStringLiteral("pages")] = pageCount;
        figures[QStringLiteral("files_served")] = filesServed;
    }
    PrintFigures(figures);
    return figures.contains(QStringLiteral("problem")) ? 2 : consistent ? 0 : 1;
}
