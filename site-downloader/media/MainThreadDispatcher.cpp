#include "site-downloader/media/MainThreadDispatcher.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace {

class ApplicationMainThreadDispatcher final : public MainThreadDispatcher
{
public:
    bool isMainThread() const override
    {
        const QCoreApplication *application = QCoreApplication::instance();
        return application && QThread::currentThread() == application->thread();
    }

    bool post(std::function<void()> work) override
    {
        QCoreApplication *application = QCoreApplication::instance();
        if (!application)
            return false;
        return QMetaObject::invokeMethod(
            application,
            [work = std::move(work)] {
                try {
                    work();
                } catch (...) {
                }
            },
            Qt::QueuedConnection);
    }
};

} // namespace

MainThreadDispatcher *GetApplicationMainThreadDispatcher()
{
    static ApplicationMainThreadDispatcher dispatcher;
    return &dispatcher;
}
