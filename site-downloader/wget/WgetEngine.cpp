#include "site-downloader/wget/WgetEngine.h"

#include "platform/EventSources.h"
#include "site-downloader/wget/WgetOutputLine.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr uint32_t kInitialBufferSize = 64 * 1024;
// Each read asks for at least this much; a partial line longer than the buffer allows makes it
// grow geometrically, so a line of any length costs linear time.
constexpr uint32_t kMinimumReadSize = 16 * 1024;
// wget writes each progress dot with a write of its own. A drain that found less than this
// pauses the watch briefly, so the dots pile up and one wake-up reads many of them.
constexpr uint64_t kSmallDrainBytes = 4096;
constexpr int kPauseAfterSmallDrainMilliseconds = 10;
// Poll interval when the kernel cannot hand out a descriptor for the child's exit.
constexpr int kExitPollMilliseconds = 20;
// How long a stop waits for a killed child to be reaped before leaving it to a later stop.
constexpr int kKillReapMilliseconds = 2000;

// Children that were killed but not yet reaped; every later stop tries again, so no zombie
// outlives the next run.
std::vector<pid_t> &unreapedChildren()
{
    static std::vector<pid_t> children;
    return children;
}

void reapLeftOverChildren()
{
    auto &children = unreapedChildren();
    std::erase_if(children, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

// Keeps the record alive while a call that reads it is on the stack; WgetDelete only marks it.
class ActiveCall final
{
public:
    explicit ActiveCall(WgetEngine *engine) : _engine(engine) { ++_engine->activeCalls; }
    ~ActiveCall()
    {
        if (--_engine->activeCalls == 0 && _engine->deleted)
            delete _engine;
    }
    ActiveCall(const ActiveCall &) = delete;
    ActiveCall &operator=(const ActiveCall &) = delete;

private:
    WgetEngine *_engine;
};

void sendEvent(WgetEngine *engine, int32_t event)
{
    if (engine->callBack)
        engine->callBack(event, engine, engine->context);
}

int exitStatusFromWaitStatus(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

// Reaps the child without blocking. True when it has exited (or is gone); records its status.
bool reapChild(WgetEngine *engine)
{
    if (engine->pid == -1)
        return true;
    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(engine->pid, &status, WNOHANG);
    } while (waited == -1 && errno == EINTR);
    if (waited == 0)
        return false;
    if (waited == engine->pid)
        engine->exitStatus = exitStatusFromWaitStatus(status);
    engine->pid = -1;
    return true;
}

void killAndReapChild(WgetEngine *engine)
{
    if (reapChild(engine))
        return;
    kill(engine->pid, SIGKILL);
    for (int waitedMilliseconds = 0; waitedMilliseconds < kKillReapMilliseconds; ++waitedMilliseconds) {
        if (reapChild(engine))
            return;
        usleep(1000);
    }
    unreapedChildren().push_back(engine->pid);
    engine->pid = -1;
}

void stopWaitingForExit(WgetEngine *engine)
{
    engine->exitWatch.reset();
    engine->exitDeadline.reset();
    if (engine->pidfd != -1) {
        close(engine->pidfd);
        engine->pidfd = -1;
    }
}

// wget's documented exit statuses, as status codes.
Status resultForExitStatus(int exitStatus)
{
    switch (exitStatus) {
    case 0: return kNoErr;
    case 1: return kUnknownErr;        // generic error
    case 2: return kOptionErr;         // command line or startup file not understood
    case 3: return kWriteErr;          // file input or output failed
    case 4: return kConnectionErr;     // network failure
    case 5: return kSignatureErr;      // certificate verification failed
    case 6: return kAuthenticationErr; // user name or password refused
    case 7: return kResponseErr;       // protocol error
    case 8: return kResponseErr;       // the server answered with an error
    default: return kConnectionErr;
    }
}

// The result of a run whose outputs have ended and whose child is gone.
Status resultOfEndedRun(const WgetEngine *engine)
{
    if (engine->pendingResult != 0)
        return engine->pendingResult; // the child could not run wget at all
    if (engine->exitStatus >= 0 && engine->exitStatus < 128)
        return resultForExitStatus(engine->exitStatus);
    // No exit status (killed, or never reaped): judge by the output alone.
    return engine->finished ? kNoErr : kConnectionErr;
}

Status WgetProcessLine(WgetEngine *engine, const char *start, const char *end);

void WgetTearDownSocketSet(WgetSocketSet *set)
{
    set->watch.reset();
    set->resume.reset();
    if (set->sock != -1) {
        close(set->sock);
        set->sock = -1;
    }
}

void finishAfterChildExit(WgetEngine *engine)
{
    ActiveCall guard(engine);
    if (engine->stopped || !reapChild(engine))
        return;
    stopWaitingForExit(engine);
    WgetStop(engine, resultOfEndedRun(engine));
}

void pollChildExit(WgetEngine *engine)
{
    engine->exitWatch = StartSingleShotTimer(kExitPollMilliseconds, [engine] {
        ActiveCall guard(engine);
        finishAfterChildExit(engine);
        if (!engine->stopped && engine->pid != -1)
            pollChildExit(engine);
    });
}

// Both outputs have ended. The child usually exits a moment later: wait for that (bounded) so
// the run ends with its real exit status and leaves no zombie.
void waitForChildExit(WgetEngine *engine)
{
    if (reapChild(engine)) {
        WgetStop(engine, resultOfEndedRun(engine));
        return;
    }
    engine->pidfd = static_cast<int32_t>(syscall(SYS_pidfd_open, engine->pid, 0));
    if (engine->pidfd != -1) {
        fcntl(engine->pidfd, F_SETFD, FD_CLOEXEC);
        engine->exitWatch = WatchDescriptorReadable(engine->pidfd, [engine] { finishAfterChildExit(engine); });
    } else {
        pollChildExit(engine);
    }
    engine->exitDeadline = StartSingleShotTimer(kWgetExitWaitMilliseconds, [engine] {
        ActiveCall guard(engine);
        stopWaitingForExit(engine);
        killAndReapChild(engine);
        WgetStop(engine, resultOfEndedRun(engine));
    });
}

// Reads everything available on `descriptor` and processes every complete line.
Status WgetReadLine(WgetEngine *engine, int descriptor)
{
    while (true) {
        while (engine->bufPos < engine->bufEnd) {
            char *lineFeed = static_cast<char *>(
                std::memchr(engine->bufPos, '\n', static_cast<size_t>(engine->bufEnd - engine->bufPos)));
            if (!lineFeed)
                break;
            char *lineStart = engine->bufPos;
            char *lineEnd = lineFeed;
            engine->bufPos = lineFeed + 1;
            if (lineEnd > lineStart && lineEnd[-1] == '\r')
                --lineEnd;
            *lineEnd = '\0';
            const Status result = WgetProcessLine(engine, lineStart, lineEnd);
            if (result != kNoErr)
                return result;
        }

        if (engine->bufPos == engine->bufEnd) {
            engine->bufPos = engine->bufEnd = engine->buf;
        } else if (static_cast<uint32_t>(engine->buf + engine->bufSize - engine->bufEnd) < kMinimumReadSize) {
            const size_t pending = static_cast<size_t>(engine->bufEnd - engine->bufPos);
            if (pending > engine->bufSize - kMinimumReadSize) {
                const uint64_t grown = std::max<uint64_t>(uint64_t{engine->bufSize} * 2, pending + kMinimumReadSize);
                if (grown > UINT32_MAX)
                    return kNoMemoryErr;
                char *buffer = static_cast<char *>(std::malloc(grown));
                if (!buffer)
                    return kNoMemoryErr;
                std::memcpy(buffer, engine->bufPos, pending);
                std::free(engine->buf);
                engine->buf = buffer;
                engine->bufSize = static_cast<uint32_t>(grown);
            } else {
                std::memmove(engine->buf, engine->bufPos, pending);
            }
            engine->bufPos = engine->buf;
            engine->bufEnd = engine->buf + pending;
        }

        // One byte stays free so that a final partial line can be terminated in place.
        const size_t room = static_cast<size_t>(engine->buf + engine->bufSize - engine->bufEnd) - 1;
        ssize_t count;
        do {
            count = read(descriptor, engine->bufEnd, room);
        } while (count == -1 && errno == EINTR);
        if (count > 0) {
            engine->bufEnd += count;
            engine->bytesReadInDrain += static_cast<uint64_t>(count);
            continue;
        }
        if (count == 0)
            return kConnectionErr;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return kWouldBlockErr;
        return ErrnoStatus();
    }
}

// A last line that ended without a line feed is still output: deliver it once all output ends.
Status WgetProcessFinalPartialLine(WgetEngine *engine)
{
    if (engine->bufPos >= engine->bufEnd)
        return kNoErr;
    char *lineStart = engine->bufPos;
    char *lineEnd = engine->bufEnd;
    engine->bufPos = engine->bufEnd = engine->buf;
    if (lineEnd[-1] == '\r')
        --lineEnd;
    *lineEnd = '\0';
    return WgetProcessLine(engine, lineStart, lineEnd);
}

void WgetSocketReadCallBack(WgetSocketSet *set);

void watchSet(WgetSocketSet *set)
{
    set->watch = WatchDescriptorReadable(set->sock, [set] { WgetSocketReadCallBack(set); });
}

void pauseWatch(WgetSocketSet *set)
{
    set->watch.reset();
    set->resume = StartSingleShotTimer(kPauseAfterSmallDrainMilliseconds, [set] {
        set->resume.reset();
        watchSet(set);
        WgetSocketReadCallBack(set);
    });
}

void WgetSocketReadCallBack(WgetSocketSet *set)
{
    WgetEngine *engine = set->engine;
    ActiveCall guard(engine);
    engine->bytesReadInDrain = 0;
    Status result = WgetReadLine(engine, set->sock);
    if (engine->stopped)
        return;
    if (result == kWouldBlockErr) {
        if (engine->bytesReadInDrain < kSmallDrainBytes)
            pauseWatch(set);
        return;
    }
    if (result != kConnectionErr) {
        WgetStop(engine, result);
        return;
    }
    WgetTearDownSocketSet(set);
    WgetSocketSet &other = (set == &engine->outSet) ? engine->errSet : engine->outSet;
    if (other.sock != -1)
        return;
    result = WgetProcessFinalPartialLine(engine);
    if (engine->stopped)
        return;
    if (result != kNoErr)
        WgetStop(engine, result);
    else
        waitForChildExit(engine);
}

Status WgetSetupSocketSet(WgetEngine *engine, int *descriptor, WgetSocketSet *set)
{
    const int flags = fcntl(*descriptor, F_GETFL);
    if (flags == -1 || fcntl(*descriptor, F_SETFL, flags | O_NONBLOCK) == -1)
        return ErrnoStatus();
    set->sock = *descriptor;
    *descriptor = -1;
    set->engine = engine;
    watchSet(set);
    return kNoErr;
}

// Moves a descriptor above the standard ones, so the child's dup2 calls cannot clobber it.
Status moveAboveStandardDescriptors(int *descriptor)
{
    if (*descriptor > STDERR_FILENO)
        return kNoErr;
    const int moved = fcntl(*descriptor, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (moved == -1)
        return ErrnoStatus();
    close(*descriptor);
    *descriptor = moved;
    return kNoErr;
}

void closeIfOpen(int &descriptor)
{
    if (descriptor != -1) {
        close(descriptor);
        descriptor = -1;
    }
}

// The child's environment: ours, with English messages and UTF-8 names whatever the user's
// locale (LANGUAGE would override even LC_ALL).
std::vector<std::string> childEnvironment()
{
    std::vector<std::string> variables;
    for (char **variable = environ; variable && *variable; ++variable) {
        const std::string_view text(*variable);
        if (text.starts_with("LANGUAGE=") || text.starts_with("LC_ALL="))
            continue;
        variables.emplace_back(text);
    }
    variables.emplace_back("LC_ALL=C.UTF-8");
    return variables;
}

// Only async-signal-safe calls from here on: the parent may have other threads.
[[noreturn]] void runChild(const char *path, char *const *arguments, char *const *environment, int childSocket,
                           int errorPipe, int execStatusPipe)
{
    dup2(childSocket, STDIN_FILENO);
    dup2(childSocket, STDOUT_FILENO);
    dup2(errorPipe, STDERR_FILENO);
    // Every other descriptor closes at exec, including the exec status pipe.
    if (syscall(SYS_close_range, STDERR_FILENO + 1, ~0U, 4 /* CLOSE_RANGE_CLOEXEC */) != 0) {
        const long limit = sysconf(_SC_OPEN_MAX);
        for (int descriptor = STDERR_FILENO + 1; descriptor < (limit > 0 ? limit : 65536); ++descriptor)
            fcntl(descriptor, F_SETFD, FD_CLOEXEC);
    }
    signal(SIGPIPE, SIG_DFL);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigprocmask(SIG_SETMASK, &noSignals, nullptr);
    execve(path, arguments, environment);
    const int failure = errno;
    ssize_t ignored = write(execStatusPipe, &failure, sizeof failure);
    (void)ignored;
    _exit(127);
}

// Starts `path` with `arguments` as a child whose standard input and output are one end of a
// socket pair and whose standard error is a pipe. `execFailure` receives the errno of an exec
// that failed (the child then exits at once and its outputs end).
Status popenex(const char *path, char *const *arguments, pid_t *outPid, int *outSocket, int *outPipe,
               Status *execFailure)
{
    if (!path || !arguments || !outPid || !outSocket || !outPipe || !execFailure)
        return kParamErr;
    int sockets[2] = {-1, -1};
    int errorPipe[2] = {-1, -1};
    int execStatusPipe[2] = {-1, -1};
    auto closeAll = [&] {
        for (int *descriptor : {&sockets[0], &sockets[1], &errorPipe[0], &errorPipe[1], &execStatusPipe[0],
                                &execStatusPipe[1]})
            closeIfOpen(*descriptor);
    };
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0 || pipe2(errorPipe, O_CLOEXEC) != 0 ||
        pipe2(execStatusPipe, O_CLOEXEC) != 0) {
        const Status failure = ErrnoStatus();
        closeAll();
        return failure;
    }
    for (int *descriptor : {&sockets[1], &errorPipe[1]}) {
        if (const Status failure = moveAboveStandardDescriptors(descriptor); failure != kNoErr) {
            closeAll();
            return failure;
        }
    }

    std::vector<std::string> environmentTexts = childEnvironment();
    std::vector<char *> environment;
    for (std::string &text : environmentTexts)
        environment.push_back(text.data());
    environment.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == -1) {
        const Status failure = ErrnoStatus();
        closeAll();
        return failure;
    }
    if (pid == 0)
        runChild(path, arguments, environment.data(), sockets[1], errorPipe[1], execStatusPipe[1]);

    closeIfOpen(sockets[1]);
    closeIfOpen(errorPipe[1]);
    closeIfOpen(execStatusPipe[1]);
    // The pipe closes at exec, or carries the exec's errno: either way this read returns at once.
    int failure = 0;
    ssize_t count;
    do {
        count = read(execStatusPipe[0], &failure, sizeof failure);
    } while (count == -1 && errno == EINTR);
    closeIfOpen(execStatusPipe[0]);
    *execFailure = (count == static_cast<ssize_t>(sizeof failure)) ? (failure != 0 ? failure : kUnknownErr) : kNoErr;
    *outPid = pid;
    *outSocket = sockets[0];
    *outPipe = errorPipe[0];
    return kNoErr;
}

Status WgetProcessLine(WgetEngine *engine, const char *start, const char *end)
{
    engine->lineStart = start;
    engine->lineEnd = end;
    auto send = [engine](int32_t event) {
        sendEvent(engine, event);
        return !engine->stopped;
    };
    if (!send(kWgetEventLine))
        return kEndingErr;
    const std::string_view line(start, static_cast<size_t>(end - start));
    if (engine->state == 0) {
        if (line.find("connected.") != std::string_view::npos) {
            engine->state = 1;
            if (!send(kWgetEventConnected))
                return kEndingErr;
        }
        return kNoErr;
    }
    if (engine->state != 1)
        return kStateErr;
    if (!WgetOutputLine::addressInLine(line).empty() && !send(kWgetEventURL))
        return kEndingErr;
    if (WgetOutputLine::isProgressLine(line) && !send(kWgetEventProgress))
        return kEndingErr;
    if (line.find("saved") != std::string_view::npos && !send(kWgetEventSaved))
        return kEndingErr;
    if (line.find("FINISHED") != std::string_view::npos)
        engine->finished = true;
    return kNoErr;
}

} // namespace

Status WgetCreate(WgetEngine **outEngine)
{
    if (!outEngine)
        return kParamErr;
    *outEngine = new (std::nothrow) WgetEngine;
    return *outEngine ? kNoErr : kNoMemoryErr;
}

Status WgetInit(WgetEngine *engine, WgetEventProc callBack, void *context)
{
    if (!engine)
        return kParamErr;
    std::signal(SIGPIPE, SIG_IGN);
    std::free(engine->buf);
    *engine = WgetEngine{};
    engine->callBack = callBack;
    engine->context = context;
    engine->buf = static_cast<char *>(std::malloc(kInitialBufferSize));
    if (!engine->buf)
        return kNoMemoryErr;
    engine->bufSize = kInitialBufferSize;
    engine->bufPos = engine->bufEnd = engine->buf;
    return kNoErr;
}

Status WgetStartWithArguments(WgetEngine *engine, const char *const *arguments)
{
    if (!engine || !arguments || !arguments[0] || !arguments[1])
        return kParamErr;
    if (!engine->buf)
        return kNoMemoryErr;
    ActiveCall guard(engine);
    engine->state = 0;
    engine->stopped = false;
    engine->finished = false;
    engine->error = kNoErr;
    engine->exitStatus = -1;
    engine->pendingResult = kNoErr;
    engine->bufPos = engine->bufEnd = engine->buf;

    int socketDescriptor = -1;
    int pipeDescriptor = -1;
    Status result = popenex(arguments[0], const_cast<char *const *>(arguments + 1), &engine->pid, &socketDescriptor,
                            &pipeDescriptor, &engine->pendingResult);
    if (result == kNoErr)
        result = WgetSetupSocketSet(engine, &socketDescriptor, &engine->outSet);
    if (result == kNoErr)
        result = WgetSetupSocketSet(engine, &pipeDescriptor, &engine->errSet);
    closeIfOpen(socketDescriptor);
    closeIfOpen(pipeDescriptor);
    if (result == kNoErr)
        sendEvent(engine, kWgetEventStarted);
    return result;
}

Status WgetStop(WgetEngine *engine, Status result)
{
    if (!engine)
        return kParamErr;
    ActiveCall guard(engine);
    stopWaitingForExit(engine);
    const pid_t child = engine->pid;
    if (child != -1)
        killAndReapChild(engine);
    reapLeftOverChildren();
    WgetTearDownSocketSet(&engine->outSet);
    WgetTearDownSocketSet(&engine->errSet);
    if (engine->stopped)
        return child == -1 ? 0 : child;
    engine->stopped = true;
    engine->error = result;
    sendEvent(engine, kWgetEventStopped);
    return child == -1 ? 0 : child;
}

Status WgetDelete(WgetEngine *engine)
{
    if (!engine)
        return kParamErr;
    ActiveCall guard(engine);
    WgetStop(engine, kEndingErr);
    std::free(engine->buf);
    engine->buf = nullptr;
    engine->bufPos = engine->bufEnd = nullptr;
    engine->lineStart = "";
    engine->lineEnd = engine->lineStart;
    engine->deleted = true;
    return kNoErr;
}
