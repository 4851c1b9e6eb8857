#include "site-downloader/eventlog/EventLog.h"

#include "site-downloader/eventlog/EventLogWindowController.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

// Touched on the main thread only. Never deleted: the log lives as long as the process.
EventLogWindowController *globalEventLog = nullptr;

bool onMainThread()
{
    const QCoreApplication *application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

QString processName()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QFileInfo(QCoreApplication::applicationFilePath()).fileName() : name;
}

QString operatingSystemVersion()
{
    return QSysInfo::prettyProductName() + QStringLiteral(" (") + QSysInfo::kernelType() + QLatin1Char(' ')
        + QSysInfo::kernelVersion() + QLatin1Char(')');
}

// "2026-12-06 21:20:50 +0100": local time with its offset from UTC.
QString currentDateDescription()
{
    const QDateTime now = QDateTime::currentDateTime();
    const int offsetMinutes = now.offsetFromUtc() / 60;
    const int magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    return now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + QLatin1Char(offsetMinutes < 0 ? '-' : '+')
        + QStringLiteral("%1%2").arg(magnitude / 60, 2, 10, QLatin1Char('0')).arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}

void addHeaderEntries(EventLogWindowController *log)
{
    log->addStandardLogEntryString(QStringLiteral("Process: ") + processName());
    log->addStandardLogEntryString(QStringLiteral("Operating System: ") + operatingSystemVersion());
    log->addStandardLogEntryString(QStringLiteral("Host: ") + QSysInfo::machineHostName());
    // The line feed leaves an empty line between the header and the first real entry.
    log->addStandardLogEntryString(QStringLiteral("Date: ") + currentDateDescription() + QLatin1Char('\n'));
}

void appendError(EventLogWindowController *log, const QString &message)
{
    if (!log)
        log = GetGlobalEventLog();
    if (log)
        log->addErrorLogEntryString(message);
}

struct HandOff {
    std::mutex mutex;
    std::condition_variable appended;
    bool done = false;
};

} // namespace

EventLogWindowController *GetGlobalEventLog()
{
    if (!onMainThread() || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return nullptr;
    if (!globalEventLog) {
        globalEventLog = EventLogWindowController::eventLogWithName(processName(), 0).release();
        addHeaderEntries(globalEventLog);
    }
    return globalEventLog;
}

void AddErrorLogEntry(EventLogWindowController *log, const QString &message)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return;
    if (onMainThread()) {
        appendError(log, message);
        return;
    }

    // Never a blocking queued call: the main thread may be waiting for this very thread, and
    // then neither would go on. An explicit log is the receiver, so that a log that is gone
    // before the main thread gets round to it takes the entry with it.
    auto handOff = std::make_shared<HandOff>();
    QObject *receiver = log ? static_cast<QObject *>(log) : application;
    const bool posted = QMetaObject::invokeMethod(
        receiver,
        [log, message, handOff] {
            try {
                appendError(log, message);
            } catch (...) {
            }
            {
                std::lock_guard lock(handOff->mutex);
                handOff->done = true;
            }
            handOff->appended.notify_all();
        },
        Qt::QueuedConnection);
    if (!posted)
        return;
    std::unique_lock lock(handOff->mutex);
    handOff->appended.wait_for(lock, std::chrono::milliseconds(kEventLogHandOffWaitMilliseconds),
                               [&handOff] { return handOff->done; });
}
