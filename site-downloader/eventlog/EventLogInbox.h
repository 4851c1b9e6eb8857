#pragma once

#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

class EventLogWindowController;
class EventSource;

// Where other threads leave error entries for one log, which the main thread appends. Nothing of
// Qt's crosses threads: the entries pass through this object's own lock, and the main thread is
// woken through an eventfd that it watches. So everything the threads share is visible to
// ThreadSanitizer, which cannot see the locks inside Debian's Qt.
class EventLogInbox final
{
public:
    // On the main thread, by the log that owns it.
    explicit EventLogInbox(EventLogWindowController *log);
    ~EventLogInbox();
    EventLogInbox(const EventLogInbox &) = delete;
    EventLogInbox &operator=(const EventLogInbox &) = delete;

    // Any thread but the main thread. Returns once the main thread has appended `message`, or
    // after `waitMilliseconds` when it cannot take the entry now.
    void deliverErrorEntry(const QString &message, int waitMilliseconds);

private:
    struct HandOff {
        std::mutex mutex;
        std::condition_variable appended;
        bool done = false;
        void finish();
    };
    struct Entry {
        QString message;
        // Shared with the waiting sender, who may have given up waiting and gone.
        std::shared_ptr<HandOff> handOff;
    };

    void wakeMainThread();
    void appendWaitingEntries();

    EventLogWindowController *_log;
    int _wakeDescriptor = -1;
    std::unique_ptr<EventSource> _wakeWatch;
    std::mutex _mutex;
    std::vector<Entry> _entries;
};
