#include "bench/BenchRuns.h"

#include "platform/LocalizedString.h"
#include "platform/ResourceFolder.h"

#include "site-downloader/wget/WgetEnginePreferences.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The loop that waits for the current engine run; wgetFinished ends it.
QEventLoop *gRunLoop = nullptr;

double cpuSeconds(const rusage &usage)
{
    auto seconds = [](const timeval &time) { return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}


int exitStatusOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

} // namespace

void RecordingDelegate::wgetFileDownloadProgress(uint32_t percent, uint64_t totalBytes)
{
    ++progressEvents;
    lastPercent = percent;
    lastTotalBytes = totalBytes;
}

void RecordingDelegate::wgetFileSaved(WgetEngineHelper *, const QString &path, const std::optional<QString> &sourceURL)
{
    ++savedEvents;
    if (!sourceURL)
        ++savedWithoutSource;
    savedPaths.insert(path);
}

void RecordingDelegate::wgetFinished(WgetEngineHelper *, int32_t error)
{
    ++finishedEvents;
    result = error;
    if (gRunLoop)
        gRunLoop->quit();
}

EngineRun RunEngine(const std::shared_ptr<WgetEnginePreferences> &preferences)
{
    EngineRun run;
    WgetEngineHelper helper;
    helper.setPreferences(preferences);
    helper.setDelegate(&run.events);
    QEventLoop loop;
    gRunLoop = &loop;

    const double ownBefore = ProcessCpuSeconds(RUSAGE_SELF);
    const double childrenBefore = ProcessCpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer timer;
    timer.start();
    run.startResult = helper.start();
    // A start that fails may already have delivered wgetFinished.
    if (run.startResult == kNoErr && run.events.finishedEvents == 0)
        loop.exec();
    run.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    run.ownCpuSeconds = ProcessCpuSeconds(RUSAGE_SELF) - ownBefore;
    run.childCpuSeconds = ProcessCpuSeconds(RUSAGE_CHILDREN) - childrenBefore;

    gRunLoop = nullptr;
    run.exitStatus = helper.wgetExitStatus();
    helper.setDelegate(nullptr);
    return run;
}

ChildRun RunDrainedChild(const std::vector<QByteArray> &arguments, qsizetype keepOutputBytes)
{
    ChildRun run;
    if (arguments.size() < 2)
        return run;
    std::vector<char *> argv;
    for (size_t index = 1; index < arguments.size(); ++index)
        argv.push_back(const_cast<char *>(arguments[index].constData()));
    argv.push_back(nullptr);
    const char *path = arguments[0].constData();

    const double readerBefore = ProcessCpuSeconds(RUSAGE_SELF);
    QElapsedTimer timer;
    timer.start();
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return run;
    const int input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(input, STDIN_FILENO);
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::dup2(pipeEnds[1], STDERR_FILENO);
        ::close_range(3, ~0U, 0);
        ::execv(path, argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    if (input >= 0)
        ::close(input);
    if (pid < 0) {
        ::close(pipeEnds[0]);
        return run;
    }

    // Large reads, as the engine does: the peer must not be slowed by a tiny pipe reader.
    static char buffer[256 * 1024];
    for (;;) {
        const ssize_t count = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (count > 0) {
            run.outputBytes += static_cast<uint64_t>(count);
            if (run.output.size() < keepOutputBytes)
                run.output.append(buffer, std::min<qsizetype>(count, keepOutputBytes - run.output.size()));
        } else if (count == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    run.cpuSeconds = cpuSeconds(usage);
    run.readerCpuSeconds = ProcessCpuSeconds(RUSAGE_SELF) - readerBefore;
    run.exitStatus = exitStatusOf(status);
    return run;
}

void PrepareWgetEnvironment()
{
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::unsetenv("LANGUAGE");
}

void PrepareBenchApplication()
{
    InstallTranslations(QStringLiteral("vellicor"));
    SetResourceFolder(QStringLiteral(VELLICOR_RESOURCE_FOLDER));
}

void PrintFigures(const QJsonObject &figures)
{
    const QByteArray line = QJsonDocument(figures).toJson(QJsonDocument::Compact);
    std::fflush(stderr);
    std::fprintf(stdout, "%s\n", line.constData());
    std::fflush(stdout);
}

QSet<QString> RelativeFiles(const QString &folder)
{
    QSet<QString> files;
    const QDir root(folder);
    QDirIterator iterator(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                          QDirIterator::Subdirectories);
    while (iterator.hasNext())
        files.insert(root.relativeFilePath(iterator.next()));
    return files;
}

double ProcessCpuSeconds(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    return cpuSeconds(usage);
}

void WriteEmptyFileTree(const QString &root, int folders, int filesPerFolder)
{
    for (int folder = 0; folder < folders; ++folder) {
        const std::string folderPath = QString("%1/folder%2").arg(root).arg(folder, 4, 10, QChar('0')).toStdString();
        ::mkdir(folderPath.c_str(), 0755);
        for (int file = 0; file < filesPerFolder; ++file) {
            const std::string path = folderPath + "/picture" + std::to_string(file) + ".jpg";
            const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            if (descriptor >= 0)
                ::close(descriptor);
        }
    }
}
