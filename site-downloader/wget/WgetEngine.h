#pragma once

#include "utilities/ErrorCodes.h"

#include <cstdint>
#include <memory>
#include <sys/types.h>

#include "platform/EventSources.h"

// Runs wget as a child process, cuts its standard output and standard error into lines on the
// event loop of the calling thread, classifies each line and reports what it finds to one
// callback. Calling order: WgetCreate, WgetInit, WgetStartWithArguments, then events arrive;
// WgetStop may come from the engine itself or from the owner; WgetDelete ends the run and frees
// the engine once nothing can touch it any more.

enum WgetEvent : int32_t {
    kWgetEventStarted = 0,   // the child runs and both outputs are watched
    kWgetEventStopped = 1,   // the run is over; `error` holds the result; exactly once per start
    kWgetEventConnected = 2, // the first line containing "connected."
    kWgetEventProgress = 3,  // after the connection: a size line or a progress line
    kWgetEventSaved = 5,     // after the connection: a line containing "saved"
    kWgetEventURL = 6,       // after the connection: a line with an http, https or ftp address
    kWgetEventLine = 7,      // every complete line, before any other event for it
};

struct WgetEngine;
using WgetEventProc = void (*)(int32_t event, WgetEngine *engine, void *context);

struct WgetSocketSet {
    int32_t sock = -1;                    // the descriptor, owned by the set; -1 when none
    std::unique_ptr<EventSource> watch;   // calls the reader when the descriptor is readable
    std::unique_ptr<EventSource> resume;  // ends a pause of the watch
    WgetEngine *engine = nullptr;
};

struct WgetEngine {
    int32_t state = 0;          // 0 until a line containing "connected." was seen, then 1
    pid_t pid = -1;             // the child; -1 when there is none (or it has been reaped)
    int32_t exitStatus = -1;    // the child's exit status; 128 + signal when a signal ended it;
                                // -1 while unknown
    WgetSocketSet outSet;       // the child's standard input and output (a socket pair)
    WgetSocketSet errSet;       // the child's standard error (a pipe)
    char *buf = nullptr;        // one line buffer serves both descriptors
    uint32_t bufSize = 0;
    char *bufEnd = nullptr;     // end of the bytes read so far
    char *bufPos = nullptr;     // first byte not yet consumed as part of a line
    bool stopped = false;       // the stop has been reported
    int32_t error = 0;          // the run's final result, handed over with the stop event
    WgetEventProc callBack = nullptr;
    void *context = nullptr;
    bool finished = false;      // a "FINISHED" line has been seen
    const char *lineStart = "";  // the current line, zero-terminated in place
    const char *lineEnd = lineStart;

    // Waiting for the child's exit once its outputs have ended.
    int32_t pidfd = -1;
    std::unique_ptr<EventSource> exitWatch;
    std::unique_ptr<EventSource> exitDeadline;
    int32_t pendingResult = 0;
    uint64_t bytesReadInDrain = 0;
    // Nesting depth of calls that are still running on the stack and read the record; the
    // record is freed when the last one leaves after WgetDelete.
    int32_t activeCalls = 0;
    bool deleted = false;
};

// How long the engine waits for the child to exit after both of its outputs have ended, before
// it kills it.
inline constexpr int kWgetExitWaitMilliseconds = 5000;

Status WgetCreate(WgetEngine **outEngine);
Status WgetInit(WgetEngine *engine, WgetEventProc callBack, void *context);
// `arguments` is null-terminated: the executable's path, then the child's argument vector
// beginning with its program name.
Status WgetStartWithArguments(WgetEngine *engine, const char *const *arguments);
Status WgetStop(WgetEngine *engine, Status result);
// Stops the run with kEndingErr (delivering the stop event if none was sent) and frees the
// engine. May be called from inside the engine's own stop event.
Status WgetDelete(WgetEngine *engine);
