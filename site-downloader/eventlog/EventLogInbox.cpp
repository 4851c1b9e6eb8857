#include "site-downloader/eventlog/EventLogInbox.h"

#include "platform/EventSources.h"
#include "site-downloader/eventlog/EventLogWindowController.h"

#include <QMetaObject>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

void EventLogInbox::HandOff::finish()
{
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    appended.notify_all();
}

EventLogInbox::EventLogInbox(EventLogWindowController *log) : _log(log)
{
    _wakeDescriptor = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (_wakeDescriptor >= 0)
        _wakeWatch = WatchDescriptorReadable(_wakeDescriptor, [this] { appendWaitingEntries(); });
}

EventLogInbox::~EventLogInbox()
{
    _wakeWatch.reset();
    if (_wakeDescriptor >= 0)
        close(_wakeDescriptor);
    // The log is going away with entries not yet appended: their senders need not wait any more.
    std::lock_guard lock(_mutex);
    for (Entry &entry : _entries)
        entry.handOff->finish();
}

void EventLogInbox::deliverErrorEntry(const QString &message, int waitMilliseconds)
{
    auto handOff = std::make_shared<HandOff>();
    {
        std::lock_guard lock(_mutex);
        _entries.push_back({message, handOff});
    }
    wakeMainThread();

    std::unique_lock lock(handOff->mutex);
    handOff->appended.wait_for(lock, std::chrono::milliseconds(waitMilliseconds), [&handOff] { return handOff->done; });
}

void EventLogInbox::wakeMainThread()
{
    if (_wakeDescriptor >= 0) {
        const uint64_t one = 1;
        while (write(_wakeDescriptor, &one, sizeof one) < 0 && errno == EINTR) {
        }
        // EAGAIN means the counter is full of wake-ups already: the main thread will come.
        return;
    }
    // Without a descriptor (the process ran out of them), a queued call does the waking; the log
    // as its context drops it if the log goes first.
    QMetaObject::invokeMethod(_log, [this] { appendWaitingEntries(); }, Qt::QueuedConnection);
}

void EventLogInbox::appendWaitingEntries()
{
    if (_wakeDescriptor >= 0) {
        uint64_t wakeUps = 0;
        while (read(_wakeDescriptor, &wakeUps, sizeof wakeUps) < 0 && errno == EINTR) {
        }
    }
    std::vector<Entry> entries;
    {
        std::lock_guard lock(_mutex);
        entries.swap(_entries);
    }
    for (Entry &entry : entries) {
        try {
            _log->addErrorLogEntryString(entry.message);
        } catch (...) {
        }
        entry.handOff->finish();
    }
}
