#include "site-downloader/eventlog/EventLog.h"

#include "site-downloader/eventlog/EventLogInbox.h"
#include "site-downloader/eventlog/EventLogWindowController.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>
#include <atomic>

namespace {

// Set once, on the main thread; other threads read it to find the global log's inbox. Never
// deleted: the log lives as long as the process.
std::atomic<EventLogWindowController *> globalEventLog{nullptr};

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

} // namespace

EventLogWindowController *GetGlobalEventLog()
{
    if (!onMainThread() || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return nullptr;
    EventLogWindowController *log = globalEventLog.load(std::memory_order_acquire);
    if (!log) {
        log = EventLogWindowController::eventLogWithName(processName(), 0).release();
        addHeaderEntries(log);
        globalEventLog.store(log, std::memory_order_release);
    }
    return log;
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
    // then neither would go on.
    if (!log)
        log = globalEventLog.load(std::memory_order_acquire);
    if (log) {
        log->inbox()->deliverErrorEntry(message, kEventLogHandOffWaitMilliseconds);
        return;
    }
    // Before the global log exists, which happens only during start-up: the main thread makes it
    // when it comes to the entry, and nobody waits for that.
    QMetaObject::invokeMethod(
        application,
        [message] {
            try {
                appendError(nullptr, message);
            } catch (...) {
            }
        },
        Qt::QueuedConnection);
}
