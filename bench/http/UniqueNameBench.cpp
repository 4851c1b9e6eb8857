// GetUniqueFileNameInDirectory in a folder that already holds a name and 9,999 of its variants,
// so every call walks 10,000 taken names to the first free one. The peer is the floor of that
// walk: the same number of bare lstat calls on the same names, in the same run.
//
//   unique_name_bench [--variants N] [--rounds N]
//
// The last line of standard output is one JSON object; the exit status is 0 when the answer was
// the expected free name, 1 when it was not, 2 when the benchmark could not run.

#include "bench/BenchRuns.h"
#include "platform/UniqueFileName.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

QString variantName(int counter)
{
    return counter == 0 ? QStringLiteral("photo.jpg") : QStringLiteral("photo#%1.jpg").arg(counter);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    int variants = 10000;
    int rounds = 5;
    const QStringList arguments = application.arguments().mid(1);
    for (qsizetype index = 0; index + 1 < arguments.size(); index += 2) {
        bool ok = false;
        if (arguments[index] == QLatin1String("--variants"))
            variants = arguments[index + 1].toInt(&ok);
        else if (arguments[index] == QLatin1String("--rounds"))
            rounds = arguments[index + 1].toInt(&ok);
        if (!ok || variants < 1 || rounds < 1) {
            std::fprintf(stderr, "usage: unique_name_bench [--variants N] [--rounds N]\n");
            return 2;
        }
    }

    QTemporaryDir folder;
    if (!folder.isValid())
        return 2;
    std::vector<QByteArray> paths;
    for (int counter = 0; counter <= variants; ++counter) {
        paths.push_back(QFile::encodeName(folder.filePath(variantName(counter))));
        if (counter == variants)
            break;
        const int descriptor = ::open(paths.back().constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (descriptor < 0)
            return 2;
        ::close(descriptor);
    }

    double bestFunction = 1e100;
    double bestFloor = 1e100;
    bool right = true;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        int missing = 0;
        for (const QByteArray &path : paths) {
            struct stat status;
            missing += ::lstat(path.constData(), &status) != 0;
        }
        bestFloor = std::min(bestFloor, clock.nsecsElapsed() / 1e9);
        right &= missing == 1;

        clock.restart();
        const std::optional<QString> answer = GetUniqueFileNameInDirectory(QStringLiteral("photo.jpg"), folder.path());
        bestFunction = std::min(bestFunction, clock.nsecsElapsed() / 1e9);
        right &= answer == variantName(variants);
    }

    QJsonObject figures;
    figures[QStringLiteral("variants")] = variants;
    figures[QStringLiteral("seconds")] = bestFunction;
    figures[QStringLiteral("lstat_floor_seconds")] = bestFloor;
    figures[QStringLiteral("ratio_to_lstat_floor")] = bestFunction / bestFloor;
    figures[QStringLiteral("microseconds_per_taken_name")] = bestFunction * 1e6 / (variants + 1);
    figures[QStringLiteral("right_answer")] = right;
    PrintFigures(figures);
    return right ? 0 : 1;
}
