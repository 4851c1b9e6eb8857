// A recursive mirror with the program's default options, through the engine and by plain wget
// with the same arguments.
//
//   mirror_bench URL OUTPUT_FOLDER [--rounds N]
//   mirror_bench [--pages N] [--rounds N]     a generated site from a loopback nginx
//
// The last line of standard output is one JSON object. The exit status is 0 when both sides
// did the same thing, 1 when they did not, 2 when the benchmark could not run.

#include "bench/BenchRuns.h"
#include "bench/MirrorTarget.h"
#include "bench/PlainWgetComparison.h"
#include "platform/LocalizedString.h"
#include "platform/ResourceFolder.h"
#include "tests/fixtures/NginxServer.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>

namespace {


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

    MirrorTarget target;
    if (const int prepared = PrepareMirrorTarget(application.arguments().mid(1), &target); prepared != 0)
        return prepared == 1 ? usage() : 2;

    bool consistent = false;
    QJsonObject figures = ComparePlainWget(target.comparison, &consistent);
    AddMirrorTargetFigures(target, &figures);
    PrintFigures(figures);
    return figures.contains(QStringLiteral("problem")) ? 2 : consistent ? 0 : 1;
}
