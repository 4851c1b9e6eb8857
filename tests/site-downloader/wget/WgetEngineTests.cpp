// The engine against scripted children: line framing, classification, results and lifecycle.
#include "site-downloader/wget/WgetEngine.h"
#include "tests/fixtures/ProcessProbe.h"

#include <QByteArray>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct RecordedEvent {
    int32_t event;
    std::string line;
};

// Runs a shell script as the child and records every event.
class EngineRun
{
public:
    explicit EngineRun(const std::string &script, const std::string &executable = "/bin/sh") : _script(script)
    {
        EXPECT_EQ(WgetCreate(&engine), kNoErr);
        EXPECT_EQ(WgetInit(engine, &EngineRun::callBack, this), kNoErr);
        _arguments = {executable.c_str(), "sh", "-c", _script.c_str(), nullptr};
        _executable = executable;
        _arguments[0] = _executable.c_str();
    }
    ~EngineRun()
    {
        if (engine)
            WgetDelete(engine);
    }

    Status start() { return WgetStartWithArguments(engine, _arguments.data()); }
    bool waitForStop(int milliseconds = 10000)
    {
        return ProcessProbe::runEventLoopUntil([this] { return stops > 0; }, milliseconds);
    }
    std::vector<std::string> lines() const
    {
        std::vector<std::string> result;
        for (const RecordedEvent &recorded : events)
            if (recorded.event == kWgetEventLine)
                result.push_back(recorded.line);
        return result;
    }
    std::vector<int32_t> eventsOfLine(const std::string &line) const
    {
        std::vector<int32_t> result;
        for (const RecordedEvent &recorded : events)
            if (recorded.line == line)
                result.push_back(recorded.event);
        return result;
    }

    WgetEngine *engine = nullptr;
    std::vector<RecordedEvent> events;
    int stops = 0;
    Status result = 1;
    std::function<void(int32_t)> onEvent;

private:
    static void callBack(int32_t event, WgetEngine *engine, void *context)
    {
        auto *run = static_cast<EngineRun *>(context);
        run->events.push_back({event, std::string(engine->lineStart, engine->lineEnd)});
        if (event == kWgetEventStopped) {
            ++run->stops;
            run->result = engine->error;
        }
        if (run->onEvent)
            run->onEvent(event);
    }

    std::string _script;
    std::string _executable;
    std::vector<const char *> _arguments;
};

} // namespace

TEST(WgetEngineFraming, CarriageReturnsAndEmptyLines)
{
    EngineRun run(R"(printf 'one\r\n\r\n\ntwo\rthree\n' >&2)");
    ASSERT_EQ(run.start(), kNoErr);
    ASSERT_TRUE(run.waitForStop());
    EXPECT_EQ(run.lines(), (std::vector<std::string>{"one", "", "", "two\rthree"}));
}

TEST(WgetEngineFraming, LinesSplitAcrossReadsAndOutputsStayWhole)
{
    EngineRun run(R"(printf 'first ha' >&2; sleep 0.05; printf 'lf\nsecond' >&2; sleep 0.05; printf ' line\n' >&2)");
    ASSERT_EQ(run.start(), kNoErr);
    ASSERT_TRUE(run.waitForStop());
    EXPECT_EQ(run.lines(), (std::vector<std::string>{"first half", "second line"}));
}

TEST(WgetEngineFraming, FinalLineWithoutLineFeedIsDelivered)
{
    EngineRun run(R"(printf 'complete\nunfinished' >&2)");
    ASSERT_EQ(run.start(), kNoErr);
    ASSERT_TRUE(run.waitForStop());
    EXPECT_EQ(run.lines(), (std::vector<std::string>{"complete", "unfinished"}));
}

TEST(WgetEngineFraming, VeryLongLinesArriveIntact)
{
    EngineRun run(R"(head -c 5000 /dev/zero | tr '\0' a >&2; sleep 0.05; head -c 10000000 /dev/zero | tr '\0' b >&2; echo >&2; echo end >&2)");
    ASSERT_EQ(run.start(), kNoErr);
    ASSERT_TRUE(run.waitForStop(30000));
    const std::vector<std::string> lines = run.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(5000, 'a') + std::string(10000000, 'b'));
    EXPECT_EQ(lines[1], "end");
}

TEST(WgetEngineFraming, RunLastsUntilBothOutputsEnd)
{
    for (const char *script : {R"(exec 1>&-; sleep 0.2; echo 'late error line' >&2)",
                               R"(exec 2>&-; sleep 0.2; echo 'late output line')"}) {
        EngineRun run(script);
        ASSERT_EQ(run.start(), kNoErr);
        ASSERT_TRUE(run.waitForStop());
        EXPECT_EQ(run.stops, 1);
        ASSERT_EQ(run.lines().size(), 1u) << script;
        EXPECT_EQ(run.lines().back().substr(0, 4), "late");
    }
}

TEST(WgetEngineClassification, EventsFollowTheConnectionState)
{
    EngineRun run(R"(
echo '--2026-12-06 21:20:50--  http://127.0.0.1:45703/' >&2
echo 'Connecting to 127.0.0.1:45703... connected. http://x/' >&2
echo 'Connecting to 127.0.0.1:45703... connected.' >&2
echo '--2026-12-06 21:20:50--  https://127.0.0.1:45703/a.html' >&2
echo 'Length: 204800 (200K) [application/octet-stream]' >&2
echo '     0K .......... .......... .......... .......... .......... 25%  140M 0s' >&2
echo "2026-12-06 21:20:50 (31.7 MB/s) - ‘/tmp/a.html’ saved [191/191]" >&2
echo 'Location: ftp://127.0.0.1/x [following] Length: 5 KB/s' >&2
echo 'FINISHED --2026-12-06 21:20:50--' >&2
exit 3)");
    ASSERT_EQ(run.start(), kNoErr);
    ASSERT_TRUE(run.waitForStop());
    EXPECT_EQ(run.eventsOfLine("--2026-12-06 21:20:50--  http://127.0.0.1:45703/"),
              std::vector<int32_t>{kWgetEventLine});
    EXPECT_EQ(run.eventsOfLine("Connecting to 127.0.0.1:45703... connected. http://x/"),
              (std::vector<int32_t>{kWgetEventLine, kWgetEventConnected}));
    EXPECT_EQ(run.eventsOfLine("Connecting to 127.0.0.1:45703... connected."), std::vector<int32_t>{kWgetEventLine});
    EXPECT_EQ(run.eventsOfLine("--2026-12-06 21:20:50--  https://127.0.0.1:45703/a.html"),
              (std::vector<int32_t>{kWgetEventLine, kWgetEventURL}));
    EXPECT_EQ(run.eventsOfLine("Length: 204800 (200K) [application/octet-stream]"),
              (std::vector<int32_t>{kWgetEventLine, kWgetEventProgress}));
    EXPECT_EQ(run.eventsOfLine("     0K .......... .......... .......... .......... .......... 25%  140M 0s"),
              (std::vector<int32_t>{kWgetEventLine, kWgetEventProgress}));
    EXPECT_EQ(run.eventsOfLine("2026-12-06 21:20:50 (31.7 MB/s) - ‘/tmp/a.html’ saved [191/191]"),
              (std::vector<int32_t>{kWgetEventLine, kWgetEventSaved}));
    EXPECT_EQ(run.eventsOfLine("Location: ftp://127.0.0.1/x [following] Length: 5 KB/s"),
              (std::vector<int32_t>{kWgetEventLine, kWgetEventURL, kWgetEventProgress}));
    EXPECT_TRUE(run.engine->finished);
    EXPECT_EQ(run.engine->exitStatus, 3);
}

TEST(WgetEngineResult, ExitStatusDecidesWhenTheChildExits)
{
    const std::pair<const char *, Status> cases[] = {
        {"echo done >&2; exit 0", kNoErr},          // a single address prints no FINISHED
        {"echo FINISHED >&2; exit 8", kResponseErr}, // a server error during recursion
        {"exit 4", kConnectionErr},
        {"exit 6", kAuthenticationErr},
        {"exit 3", kWriteErr},
        {"exit 2", kOptionErr},
        {"kill -9 $$", kConnectionErr},              // no exit status: judged by the output
        {"echo connected. >&2; echo FINISHED >&2; kill -9 $$", kNoErr},
    };
    for (const auto &[script, expected] : cases) {
        EngineRun run(script);
        ASSERT_EQ(run.start(), kNoErr);
        ASSERT_TRUE(run.waitForStop()) << script;
        EXPECT_EQ(run.result, expected) << script;
        EXPECT_EQ(run.stops, 1);
    }
}

TEST(WgetEngineResult, WaitsForAChildThatExitsAfterItsOutputsClose)
{
    EngineRun run("exec <&- >&- 2>&-; sleep 0.3; exit 3");
    ASSERT_EQ(run.start(), kNoErr);
    ASSERT_TRUE(run.waitForStop());
    EXPECT_EQ(run.result, kWriteErr);
    EXPECT_EQ(run.engine->pid, -1);
}

TEST(WgetEngineResult, KillsAChildThatNeverExitsAfterItsOutputsClose)
{
    EngineRun run("echo connected. >&2; echo FINISHED >&2; exec <&- >&- 2>&-; sleep 60");
    ASSERT_EQ(run.start(), kNoErr);
    ASSERT_FALSE(run.waitForStop(kWgetExitWaitMilliseconds / 2));
    ASSERT_TRUE(run.waitForStop(kWgetExitWaitMilliseconds * 2));
    EXPECT_EQ(run.result, kNoErr);
    EXPECT_EQ(run.engine->exitStatus, 128 + 9);
    EXPECT_EQ(ProcessProbe::childProcessCount(), 0);
}

TEST(WgetEngineResult, FailedExecEndsTheRunWithItsErrno)
{
    EngineRun run("true", "/nonexistent/wget");
    ASSERT_EQ(run.start(), kNoErr);
    ASSERT_TRUE(run.waitForStop());
    EXPECT_EQ(run.result, ENOENT);
}

TEST(WgetEngineLifecycle, DeleteWhileRunningKillsTheChildAndStopsOnce)
{
    EngineRun run("echo started >&2; sleep 60");
    ASSERT_EQ(run.start(), kNoErr);
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return !run.lines().empty(); }));
    const pid_t child = run.engine->pid;
    WgetDelete(std::exchange(run.engine, nullptr));
    EXPECT_EQ(run.stops, 1);
    EXPECT_EQ(run.result, kEndingErr);
    EXPECT_EQ(kill(child, 0), -1); // killed and reaped
}

TEST(WgetEngineLifecycle, DeleteAfterStopSendsNoSecondStop)
{
    EngineRun run("echo one >&2");
    ASSERT_EQ(run.start(), kNoErr);
    ASSERT_TRUE(run.waitForStop());
    WgetDelete(std::exchange(run.engine, nullptr));
    EXPECT_EQ(run.stops, 1);
}

TEST(WgetEngineLifecycle, DeleteFromInsideTheStopEvent)
{
    for (const char *script : {"echo one >&2", "sleep 60"}) {
        EngineRun run(script);
        run.onEvent = [&run](int32_t event) {
            if (event == kWgetEventStopped && run.engine)
                WgetDelete(std::exchange(run.engine, nullptr));
        };
        ASSERT_EQ(run.start(), kNoErr);
        if (std::string(script) == "sleep 60") {
            // The stop event deletes the engine again from inside this call.
            WgetDelete(run.engine);
        }
        ASSERT_TRUE(run.waitForStop());
        EXPECT_EQ(run.stops, 1);
        EXPECT_EQ(run.engine, nullptr);
    }
}

TEST(WgetEngineLifecycle, DeleteFromInsideALineEventStopsReading)
{
    EngineRun run("echo one >&2; echo two >&2; echo three >&2");
    run.onEvent = [&run](int32_t event) {
        if (event == kWgetEventLine && run.engine)
            WgetDelete(std::exchange(run.engine, nullptr));
    };
    ASSERT_EQ(run.start(), kNoErr);
    ASSERT_TRUE(run.waitForStop());
    EXPECT_EQ(run.lines().size(), 1u);
    EXPECT_EQ(run.result, kEndingErr);
}

TEST(WgetEngineLifecycle, ManyRunsLeaveNoDescriptorOrChildBehind)
{
    const int descriptorsBefore = ProcessProbe::openDescriptorCount();
    for (int cycle = 0; cycle < 40; ++cycle) {
        EngineRun run(cycle % 2 ? "echo line >&2" : "echo line >&2; sleep 60");
        ASSERT_EQ(run.start(), kNoErr);
        if (cycle % 2)
            ASSERT_TRUE(run.waitForStop());
        else
            ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return !run.lines().empty(); }));
    }
    ProcessProbe::runEventLoopUntil([] { return false; }, 50); // let deferred deletions run
    EXPECT_EQ(ProcessProbe::openDescriptorCount(), descriptorsBefore);
    EXPECT_EQ(ProcessProbe::childProcessCount(), 0);
}

TEST(WgetEngineChild, InheritsNoDescriptorAndRunsInEnglish)
{
    const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int stray = fcntl(devNull, F_DUPFD, 200); // deliberately not close-on-exec
    close(devNull);
    ASSERT_GE(stray, 200);
    setenv("LANGUAGE", "de", 1);
    // ls lists its own directory descriptor (3) besides what it inherited.
    EngineRun run(R"(ls /proc/self/fd >&2; echo "locale $LC_ALL|${LANGUAGE-unset}" >&2)");
    ASSERT_EQ(run.start(), kNoErr);
    ASSERT_TRUE(run.waitForStop());
    unsetenv("LANGUAGE");
    close(stray);
    EXPECT_EQ(run.lines(), (std::vector<std::string>{"0", "1", "2", "3", "locale C.UTF-8|unset"}));
}

TEST(WgetEngineArguments, NullsAreRefused)
{
    WgetEngine *engine = nullptr;
    EXPECT_EQ(WgetCreate(nullptr), kParamErr);
    EXPECT_EQ(WgetInit(nullptr, nullptr, nullptr), kParamErr);
    ASSERT_EQ(WgetCreate(&engine), kNoErr);
    ASSERT_EQ(WgetInit(engine, nullptr, nullptr), kNoErr);
    EXPECT_EQ(WgetStartWithArguments(engine, nullptr), kParamErr);
    EXPECT_EQ(WgetStop(nullptr, 0), kParamErr);
    EXPECT_EQ(WgetDelete(nullptr), kParamErr);
    EXPECT_EQ(WgetDelete(engine), kNoErr);
}
