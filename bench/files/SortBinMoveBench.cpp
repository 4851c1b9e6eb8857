// Moving many files into a sort bin (the safe move: a free name, no replacing, a flushed copy
// across file systems) against `mv -t BIN FILES...` of the same files, in alternating rounds.
#include "bench/BenchRuns.h"
#include "site-downloader/media/sortbins/FileSortBin.h"

#include <QApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    int files = 10000;
    int rounds = 3;
    int fileBytes = 4096;
};

Options parseOptions(int argc, char **argv)
{
    Options options;
    for (int index = 1; index + 1 < argc; index += 2) {
        const int value = std::atoi(argv[index + 1]);
        if (std::strcmp(argv[index], "--files") == 0)
            options.files = std::max(1, value);
        else if (std::strcmp(argv[index], "--rounds") == 0)
            options.rounds = std::max(1, value);
        else if (std::strcmp(argv[index], "--file-bytes") == 0)
            options.fileBytes = std::max(0, value);
    }
    return options;
}

QString makeFolder(const QByteArray &base, const char *name)
{
    QByteArray pattern = base + "/" + name + "-XXXXXX";
    return ::mkdtemp(pattern.data()) ? QFile::decodeName(pattern) : QString();
}

// `count` files of `bytes` bytes each, named as a download would name them.
QStringList generateFiles(const QString &folder, int count, int bytes)
{
    const std::string content(static_cast<size_t>(bytes), 'x');
    QStringList names;
    for (int index = 0; index < count; ++index) {
        const QString name = QStringLiteral("picture%1.jpg").arg(index, 5, 10, QChar('0'));
        const QByteArray path = QFile::encodeName(folder + '/' + name);
        const int descriptor = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (descriptor >= 0) {
            if (::write(descriptor, content.data(), content.size()) != static_cast<ssize_t>(content.size()))
                std::fprintf(stderr, "short write to %s\n", path.constData());
            ::close(descriptor);
        }
        names << name;
    }
    return names;
}

void emptyFolder(const QString &folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

int countFiles(const QString &folder)
{
    return static_cast<int>(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).size());
}

struct Comparison {
    std::vector<double> binSeconds;
    std::vector<double> mvSeconds;
    bool allMoved = true;
};

// Both movers take the same fresh files from `source` into an empty `bin`, round by round.
Comparison compare(const QString &source, const QString &bin, const Options &options)
{
    Comparison result;
    FileSortBin sortBin(QString{});
    sortBin.setNewDropPath(bin);
    for (int round = 0; round < options.rounds; ++round) {
        for (const bool viaBin : {true, false}) {
            emptyFolder(source);
            emptyFolder(bin);
            const QStringList names = generateFiles(source, options.files, options.fileBytes);
            if (viaBin) {
                QStringList paths;
                paths.reserve(names.size());
                for (const QString &name : names)
                    paths << source + '/' + name;
                const auto start = Clock::now();
                const int handled = sortBin.movePathsToDropPath(paths);
                result.binSeconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
                result.allMoved = result.allMoved && handled == options.files;
            } else {
                // Names relative to the source folder keep the argument list short.
                std::vector<QByteArray> arguments{"/usr/bin/mv", "mv", "-t", QFile::encodeName(bin), "--"};
                for (const QString &name : names)
                    arguments.push_back(QFile::encodeName(name));
                const QByteArray previous = QFile::encodeName(QDir::currentPath());
                if (::chdir(QFile::encodeName(source).constData()) != 0)
                    return result;
                const ChildRun run = RunDrainedChild(arguments, 400);
                if (::chdir(previous.constData()) != 0)
                    return result;
                result.mvSeconds.push_back(run.seconds);
                result.allMoved = result.allMoved && run.exitStatus == 0;
                if (run.exitStatus != 0)
                    std::fprintf(stderr, "mv: %s\n", run.output.constData());
            }
            result.allMoved = result.allMoved && countFiles(bin) == options.files && countFiles(source) == 0;
        }
    }
    return result;
}

double best(const std::vector<double> &seconds)
{
    return seconds.empty() ? 0 : *std::min_element(seconds.begin(), seconds.end());
}

QJsonArray asArray(const std::vector<double> &seconds)
{
    QJsonArray array;
    for (const double value : seconds)
        array.append(value);
    return array;
}

QJsonObject figuresOf(const Comparison &comparison, const Options &options)
{
    const double bin = best(comparison.binSeconds);
    const double mv = best(comparison.mvSeconds);
    return QJsonObject{{"bin_seconds", bin},
                       {"mv_seconds", mv},
                       {"ratio_to_mv", mv > 0 ? bin / mv : 0},
                       {"bin_files_per_second", bin > 0 ? options.files / bin : 0},
                       {"bin_runs", asArray(comparison.binSeconds)},
                       {"mv_runs", asArray(comparison.mvSeconds)},
                       {"all_moved", comparison.allMoved}};
}

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    PrepareBenchApplication();
    const Options options = parseOptions(argc, argv);

    const char *temporary = std::getenv("TMPDIR");
    const QByteArray base = temporary && *temporary ? QByteArray(temporary) : QByteArrayLiteral("/tmp");
    const QString source = makeFolder(base, "sortbin-bench-source");
    const QString sameDiskBin = makeFolder(base, "sortbin-bench-bin");
    if (source.isEmpty() || sameDiskBin.isEmpty())
        return 2;
    std::fprintf(stderr, "moving %d files of %d bytes, %d rounds, same file system\n", options.files,
                 options.fileBytes, options.rounds);
    const Comparison sameDisk = compare(source, sameDiskBin, options);
    QJsonObject figures{{"files", options.files}, {"file_bytes", options.fileBytes}, {"rounds", options.rounds},
                        {"same_file_system", figuresOf(sameDisk, options)}};
    bool allMoved = sameDisk.allMoved;

    struct stat sourceStatus;
    struct stat shmStatus;
    if (::stat(QFile::encodeName(source).constData(), &sourceStatus) == 0 && ::stat("/dev/shm", &shmStatus) == 0 &&
        sourceStatus.st_dev != shmStatus.st_dev) {
        const QString otherDiskBin = makeFolder("/dev/shm", "sortbin-bench-bin");
        std::fprintf(stderr, "and into a bin on /dev/shm\n");
        const Comparison otherDisk = compare(source, otherDiskBin, options);
        figures["other_file_system"] = figuresOf(otherDisk, options);
        allMoved = allMoved && otherDisk.allMoved;
        QDir(otherDiskBin).removeRecursively();
    }
    QDir(source).removeRecursively();
    QDir(sameDiskBin).removeRecursively();
    figures["all_moved"] = allMoved;
    PrintFigures(figures);
    return allMoved ? 0 : 1;
}
