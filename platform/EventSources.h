#pragma once

#include <functional>
#include <memory>

// The event-loop services the engines need, behind a small interface so their cores stay free
// of Qt types. Everything runs on the thread that owns the event loop. Destroying a source stops
// it; a source may be destroyed from inside its own callback.
class EventSource
{
public:
    virtual ~EventSource() = default;
};

// Calls `onReadable` whenever `descriptor` has data or end of file to read. The descriptor stays
// the caller's: it is not closed.
std::unique_ptr<EventSource> WatchDescriptorReadable(int descriptor, std::function<void()> onReadable);

// Calls `onTimeout` once after `milliseconds`.
std::unique_ptr<EventSource> StartSingleShotTimer(int milliseconds, std::function<void()> onTimeout);
