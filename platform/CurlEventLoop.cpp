#include "platform/CurlEventLoop.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

class CurlDriver final
{
public:
    CurlDriver()
    {
        static const bool initialized = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
        (void)initialized;
        _multi = curl_multi_init();
        curl_multi_setopt(_multi, CURLMOPT_SOCKETFUNCTION, &CurlDriver::socketCallback);
        curl_multi_setopt(_multi, CURLMOPT_SOCKETDATA, this);
        curl_multi_setopt(_multi, CURLMOPT_TIMERFUNCTION, &CurlDriver::timerCallback);
        curl_multi_setopt(_multi, CURLMOPT_TIMERDATA, this);
        _timer = new QTimer(QCoreApplication::instance());
        _timer->setSingleShot(true);
        QObject::connect(_timer, &QTimer::timeout, _timer, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
    }

    CURLMcode add(CURL *easy, CurlTransferListener *listener)
    {
        curl_easy_setopt(easy, CURLOPT_PRIVATE, listener);
        const CURLMcode result = curl_multi_add_handle(_multi, easy);
        if (result == CURLM_OK)
            _transfers.insert(easy);
        return result;
    }

    void remove(CURL *easy)
    {
        if (_transfers.erase(easy))
            curl_multi_remove_handle(_multi, easy);
    }

    void noteActivity(CURL *easy) { _active.push_back(easy); }

private:
    struct SocketWatch {
        QPointer<QSocketNotifier> read;
        QPointer<QSocketNotifier> write;
    };

    static int socketCallback(CURL *, curl_socket_t socket, int what, void *driverPointer, void *)
    {
        auto *driver = static_cast<CurlDriver *>(driverPointer);
        SocketWatch &watch = driver->_sockets[socket];
        const bool wantRead = what == CURL_POLL_IN || what == CURL_POLL_INOUT;
        const bool wantWrite = what == CURL_POLL_OUT || what == CURL_POLL_INOUT;
        driver->setWatching(watch.read, socket, QSocketNotifier::Read, wantRead);
        driver->setWatching(watch.write, socket, QSocketNotifier::Write, wantWrite);
        if (what == CURL_POLL_REMOVE)
            driver->_sockets.erase(socket);
        return 0;
    }

    static int timerCallback(CURLM *, long milliseconds, void *driverPointer)
    {
        auto *driver = static_cast<CurlDriver *>(driverPointer);
        if (!driver->_timer)
            return 0;
        if (milliseconds < 0)
            driver->_timer->stop();
        else
            driver->_timer->start(static_cast<int>(std::min<long>(milliseconds, INT32_MAX)));
        return 0;
    }

    // A notifier may be switched off from inside its own signal (the socket action closes the
    // socket it was called for), so it is disabled at once and freed later.
    void setWatching(QPointer<QSocketNotifier> &notifier, curl_socket_t socket, QSocketNotifier::Type type, bool wanted)
    {
        if (wanted && !notifier) {
            notifier = new QSocketNotifier(socket, type, QCoreApplication::instance());
            const int mask = type == QSocketNotifier::Read ? CURL_CSELECT_IN : CURL_CSELECT_OUT;
            QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                             [this, socket, mask] { act(socket, mask); });
        } else if (!wanted && notifier) {
            notifier->setEnabled(false);
            QObject::disconnect(notifier, nullptr, nullptr, nullptr);
            notifier->deleteLater();
            notifier = nullptr;
        }
    }

    void act(curl_socket_t socket, int mask)
    {
        int running = 0;
        curl_multi_socket_action(_multi, socket, mask, &running);
        deliver();
    }

    // Listeners may remove or free any transfer, their own included, so each one is looked up
    // again right before it is called.
    void deliver()
    {
        std::vector<CURL *> active;
        active.swap(_active);
        for (CURL *easy : active) {
            if (_transfers.contains(easy))
                listenerOf(easy)->curlTransferActive();
        }
        int queued = 0;
        while (CURLMsg *message = curl_multi_info_read(_multi, &queued)) {
            if (message->msg != CURLMSG_DONE || !_transfers.contains(message->easy_handle))
                continue;
            CURL *easy = message->easy_handle;
            const CURLcode result = message->data.result;
            listenerOf(easy)->curlTransferDone(result);
        }
    }

    static CurlTransferListener *listenerOf(CURL *easy)
    {
        void *listener = nullptr;
        curl_easy_getinfo(easy, CURLINFO_PRIVATE, &listener);
        return static_cast<CurlTransferListener *>(listener);
    }

    CURLM *_multi = nullptr;
    QPointer<QTimer> _timer;
    std::unordered_map<curl_socket_t, SocketWatch> _sockets;
    std::unordered_set<CURL *> _transfers;
    std::vector<CURL *> _active;
};

// Lives as long as its thread: connections in its cache outlast every single transfer.
CurlDriver &threadDriver()
{
    thread_local CurlDriver *driver = new CurlDriver;
    return *driver;
}

} // namespace

CURLMcode AddCurlTransfer(CURL *easy, CurlTransferListener *listener)
{
    return threadDriver().add(easy, listener);
}

void RemoveCurlTransfer(CURL *easy)
{
    threadDriver().remove(easy);
}

void NoteCurlTransferActivity(CURL *easy)
{
    threadDriver().noteActivity(easy);
}
