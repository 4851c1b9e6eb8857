// Expanding a folder tree into a file list: the file processor's build phase against
// `find DIR -printf '%D %i %p\n' > /dev/null` on the same tree, in alternating rounds, warm cache.
#include "bench/BenchRuns.h"
#include "site-downloader/media/FileProcessor.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct FindRun {
    double seconds = 0;
    double cpuSeconds = 0;
    int exitStatus = -1;
    uint64_t lines = 0;
};

// find with its standard output on /dev/null, or on a pipe that is counted when `countLines`.
FindRun runFind(const std::string &folder, bool countLines)
{
    int pipeEnds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (countLines) {
        if (pipe2(pipeEnds, O_CLOEXEC) != 0)
            return {};
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    const char *const arguments[] = {"find", folder.c_str(), "-printf", "%D %i %p\n", nullptr};
    FindRun run;
    const double cpuBefore = ProcessCpuSeconds(RUSAGE_CHILDREN);
    const auto start = Clock::now();
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "find", &actions, nullptr, const_cast<char **>(arguments), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (countLines) {
        close(pipeEnds[1]);
        std::vector<char> buffer(1 << 16);
        for (ssize_t count; (count = read(pipeEnds[0], buffer.data(), buffer.size())) > 0;)
            run.lines += std::count(buffer.data(), buffer.data() + count, '\n');
        close(pipeEnds[0]);
    }
    if (spawned != 0)
        return run;
    int status = 0;
    waitpid(pid, &status, 0);
    run.seconds = secondsSince(start);
    run.cpuSeconds = ProcessCpuSeconds(RUSAGE_CHILDREN) - cpuBefore;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

struct ProcessorRun {
    double seconds = 0;
    double cpuSeconds = 0;
    Status result = kNoErr;
    int32_t files = 0;
};

ProcessorRun runProcessor(const QString &folder)
{
    auto processor = FileProcessor::fileProcessor();
    processor->setOnlyBuildFileList(true);
    processor->setMainThreadDispatcher(nullptr); // the list alone: no delegate, no main thread
    const double cpuBefore = ProcessCpuSeconds(RUSAGE_SELF);
    const auto start = Clock::now();
    ProcessorRun run;
    run.result = processor->addSourcePath(folder);
    if (run.result == kNoErr)
        run.result = processor->process();
    run.files = processor->totalFiles();
    run.seconds = secondsSince(start);
    run.cpuSeconds = ProcessCpuSeconds(RUSAGE_SELF) - cpuBefore;
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    int rounds = 5;
    int folders = 1000;
    int filesPerFolder = 100;
    QString folder;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString &argument = arguments[index];
        if (argument == "--rounds" && index + 1 < arguments.size())
            rounds = std::max(1, arguments[++index].toInt());
        else if (argument == "--folders" && index + 1 < arguments.size())
            folders = std::max(1, arguments[++index].toInt());
        else if (argument == "--files-per-folder" && index + 1 < arguments.size())
            filesPerFolder = std::max(0, arguments[++index].toInt());
        else if (!argument.startsWith("--"))
            folder = argument;
        else {
            std::fprintf(stderr, "usage: folderwalk_bench [FOLDER] [--rounds N] [--folders N] [--files-per-folder N]\n");
            return 2;
        }
    }

    QTemporaryDir generated;
    if (folder.isEmpty()) {
        if (!generated.isValid())
            return 2;
        folder = generated.path() + "/tree";
        QDir().mkpath(folder);
        std::fprintf(stderr, "generating %d folders of %d files\n", folders, filesPerFolder);
        WriteEmptyFileTree(folder, folders, filesPerFolder);
    }
    folder = QDir(folder).absolutePath();
    const std::string folderBytes = QFile::encodeName(folder).toStdString();

    // Warms the cache and counts find's entries; find also prints the starting folder itself.
    const FindRun counted = runFind(folderBytes, true);
    const ProcessorRun warmed = runProcessor(folder);
    if (counted.exitStatus != 0 || warmed.result != kNoErr) {
        std::fprintf(stderr, "find exit status %d, processor result %d\n", counted.exitStatus, int(warmed.result));
        return 2;
    }

    double bestFind = 1e9, bestProcessor = 1e9, bestFindCpu = 1e9, bestProcessorCpu = 1e9;
    QJsonArray findRuns, processorRuns;
    for (int round = 0; round < rounds; ++round) {
        const FindRun find = runFind(folderBytes, false);
        const ProcessorRun processor = runProcessor(folder);
        bestFind = std::min(bestFind, find.seconds);
        bestProcessor = std::min(bestProcessor, processor.seconds);
        bestFindCpu = std::min(bestFindCpu, find.cpuSeconds);
        bestProcessorCpu = std::min(bestProcessorCpu, processor.cpuSeconds);
        findRuns.append(find.seconds);
        processorRuns.append(processor.seconds);
        std::fprintf(stderr, "round %d: find %.4f s, processor %.4f s\n", round + 1, find.seconds, processor.seconds);
    }

    const bool agree = uint64_t(warmed.files) + 1 == counted.lines;
    PrintFigures(QJsonObject{
        {"folder", folder},
        {"files", warmed.files},
        {"find_entries", qint64(counted.lines)},
        {"same_counts", agree},
        {"processor_seconds", bestProcessor},
        {"find_seconds", bestFind},
        {"ratio_to_find", bestProcessor / bestFind},
        {"processor_cpu_seconds", bestProcessorCpu},
        {"find_cpu_seconds", bestFindCpu},
        {"cpu_ratio_to_find", bestProcessorCpu / bestFindCpu},
        {"processor_runs", processorRuns},
        {"find_runs", findRuns},
    });
    return agree ? 0 : 1;
}
