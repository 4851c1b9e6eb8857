#include "platform/EventSources.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

namespace {

// Owners routinely destroy a source from inside its own callback (an engine that stops when its
// last output ends). So the Qt object is switched off at once but freed later, and the callback
// lives in the connection, which Qt keeps alive for the duration of the call.
template <typename QtSource>
class DeferredSource final : public EventSource
{
public:
    explicit DeferredSource(QtSource *source) : _source(source) {}
    ~DeferredSource() override
    {
        if (!_source)
            return;
        QObject::disconnect(_source, nullptr, nullptr, nullptr);
        if constexpr (std::is_same_v<QtSource, QSocketNotifier>)
            _source->setEnabled(false);
        else
            _source->stop();
        _source->deleteLater();
    }

private:
    QPointer<QtSource> _source;
};

} // namespace

std::unique_ptr<EventSource> WatchDescriptorReadable(int descriptor, std::function<void()> onReadable)
{
    // Parented to the application so that a source still waiting for deletion when the event
    // loop ends is freed with the application.
    auto *notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [callback = std::move(onReadable)] { callback(); });
    return std::make_unique<DeferredSource<QSocketNotifier>>(notifier);
}

std::unique_ptr<EventSource> StartSingleShotTimer(int milliseconds, std::function<void()> onTimeout)
{
    auto *timer = new QTimer(QCoreApplication::instance());
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, timer, [callback = std::move(onTimeout)] { callback(); });
    timer->start(milliseconds);
    return std::make_unique<DeferredSource<QTimer>>(timer);
}
