#pragma once

#include "site-downloader/wget/WgetEngineHelper.h"

#include <QByteArray>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class WgetEnginePreferences;

// Timed runs for the benchmark programs: one through the engine and its helper on the event
// loop, one of a plain child process (the peer) whose output goes into a pipe that is drained.

// Hears everything the helper says and keeps what a benchmark reports. Cheap per call: the
// figures measure the engine, not this recorder.
class RecordingDelegate final : public WgetEngineHelperDelegate
{
public:
    void wgetStatus(WgetEngineHelper *, const QString &) override { ++statusEvents; }
    void wgetVerboseLog(WgetEngineHelper *, const QString &) override { ++verboseLogPieces; }
    void wgetFileDownloadProgress(uint32_t percent, uint64_t totalBytes) override;
    void wgetFileSaved(WgetEngineHelper *, const QString &path, const std::optional<QString> &sourceURL) override;
    void wgetFinished(WgetEngineHelper *, int32_t error) override;

    uint64_t statusEvents = 0;
    uint64_t verboseLogPieces = 0;
    uint64_t progressEvents = 0;
    uint32_t lastPercent = 0;
    uint64_t lastTotalBytes = 0;
    uint64_t savedEvents = 0;
    uint64_t savedWithoutSource = 0;
    QSet<QString> savedPaths;
    int finishedEvents = 0;
    int32_t result = 0;
};

struct EngineRun {
    double seconds = 0;
    // Processor time during the run: this process (the engine, the helper, the delegate) and
    // the children reaped meanwhile (wget). Less disturbed by a busy machine than wall time.
    double ownCpuSeconds = 0;
    double childCpuSeconds = 0;
    Status startResult = kNoErr;
    int32_t exitStatus = -1;
    RecordingDelegate events;
};

// Runs the helper with `preferences` until wgetFinished.
EngineRun RunEngine(const std::shared_ptr<WgetEnginePreferences> &preferences);

struct ChildRun {
    double seconds = 0;
    double cpuSeconds = 0;    // the child's user and system time
    double readerCpuSeconds = 0; // this process's, while it drained the pipe
    int exitStatus = -1;      // 128 + signal when a signal ended it; -1 when it did not start
    uint64_t outputBytes = 0; // standard output and standard error together
    QByteArray output;        // the first bytes of that output, as many as asked for
};

// Runs `arguments` (the executable's path, then the argument vector beginning with the program
// name) with both outputs into one pipe that is read to the end.
ChildRun RunDrainedChild(const std::vector<QByteArray> &arguments, qsizetype keepOutputBytes = 0);

// wget's environment, as the engine sets it for its child: the peer must run under the same one.
void PrepareWgetEnvironment();

// Once the application object exists: the program's texts and the build tree's resource folder.
void PrepareBenchApplication();

// User and system time of this process (RUSAGE_SELF) or of its reaped children (RUSAGE_CHILDREN).
double ProcessCpuSeconds(int who);

// A tree of `folders` folders under `root`, each with `filesPerFolder` empty "pictureN.jpg" files.
void WriteEmptyFileTree(const QString &root, int folders, int filesPerFolder);

// The figures, as one JSON object on one line: benchmark scripts read the last line.
void PrintFigures(const QJsonObject &figures);

// Regular files under `folder`, as paths relative to it.
QSet<QString> RelativeFiles(const QString &folder);
