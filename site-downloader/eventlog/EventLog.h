#pragma once

#include <QString>

class EventLogWindowController;

// The program's one event log, created on the first call and kept until the process ends; its
// window is not shown until asked for. It starts with four standard entries that say where the
// log comes from: the process, the operating system, the host and the date.
// Main thread only, once a QApplication exists: anywhere else it returns nullptr, because the log
// is a window.
EventLogWindowController *GetGlobalEventLog();

// How long a thread other than the main thread waits for its entry to reach the log. The wait
// keeps the entries of busy workers from piling up unseen; the bound keeps a worker going when
// the main thread cannot take the entry now: when it is waiting for that very worker, or when its
// event loop has ended. An entry that is late still arrives once the main thread runs its loop.
inline constexpr int kEventLogHandOffWaitMilliseconds = 1000;

// Appends `message` as an error entry to `log`, or to the global log when `log` is null. Callable
// from any thread; `log` must outlive the call. The message is final text, built by the caller
// (QString::arg, LocalizedString), so nothing in it is read as a format a second time: an address
// with "%n" or "%d" in it is logged exactly as it is.
void AddErrorLogEntry(EventLogWindowController *log, const QString &message);
