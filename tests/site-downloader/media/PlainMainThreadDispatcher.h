#pragma once

#include "site-downloader/media/MainThreadDispatcher.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// A main thread without Qt: the thread that made the dispatcher runs queued work only inside
// runUntil(), so a test decides exactly when the main thread is busy elsewhere.
class PlainMainThreadDispatcher final : public MainThreadDispatcher
{
public:
    bool isMainThread() const override { return std::this_thread::get_id() == _mainThread; }

    bool post(std::function<void()> work) override
    {
        {
            std::lock_guard guard(_lock);
            _queue.push_back(std::move(work));
        }
        _queued.notify_all();
        return true;
    }

    // Runs queued work until `condition` holds (checked between pieces of work) or the time is up.
    bool runUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout = std::chrono::seconds(20))
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!condition()) {
            std::function<void()> work;
            {
                std::unique_lock guard(_lock);
                if (!_queued.wait_until(guard, std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(5)),
                                        [this] { return !_queue.empty(); })) {
                    if (std::chrono::steady_clock::now() >= deadline)
                        return condition();
                    continue;
                }
                work = std::move(_queue.front());
                _queue.pop_front();
            }
            work();
        }
        return true;
    }

private:
    const std::thread::id _mainThread = std::this_thread::get_id();
    std::mutex _lock;
    std::condition_variable _queued;
    std::deque<std::function<void()>> _queue;
};
