#pragma once

#include <functional>

// Where work is handed to the main thread. The file processor talks to this instead of Qt, so that
// its threading can be tested (and run under ThreadSanitizer) with a plain dispatcher of the test's
// own, while the program uses the application's event loop.
class MainThreadDispatcher
{
public:
    virtual ~MainThreadDispatcher() = default;
    virtual bool isMainThread() const = 0;
    // Queues `work` for the main thread and returns at once; false when nothing will ever run it.
    virtual bool post(std::function<void()> work) = 0;
};

// The application object's thread, through its event loop; never freed. With no application
// object, isMainThread() is false and post() refuses.
MainThreadDispatcher *GetApplicationMainThreadDispatcher();
