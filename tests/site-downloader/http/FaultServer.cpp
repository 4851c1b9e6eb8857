#include "tests/site-downloader/http/FaultServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kPollMilliseconds = 50;

} // namespace

QByteArray FaultConnection::readRequest()
{
    while (!_pending.contains("\r\n\r\n")) {
        pollfd readable{_descriptor, POLLIN, 0};
        if (_server._stopping)
            return {};
        if (::poll(&readable, 1, kPollMilliseconds) <= 0)
            continue;
        char buffer[4096];
        const ssize_t count = ::recv(_descriptor, buffer, sizeof buffer, 0);
        if (count <= 0)
            return {};
        _pending.append(buffer, count);
    }
    const qsizetype end = _pending.indexOf("\r\n\r\n") + 4;
    QByteArray request = _pending.left(end);
    _pending.remove(0, end);
    _server.record(request);
    return request;
}

void FaultConnection::send(const QByteArray &bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = ::send(_descriptor, bytes.constData() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0)
            return;
        sent += count;
    }
}

bool FaultConnection::pause(int milliseconds)
{
    for (int waited = 0; waited < milliseconds; waited += 10) {
        if (_server._stopping)
            return false;
        ::usleep(10'000);
    }
    return !_server._stopping;
}

FaultServer::FaultServer(Script script) : _script(std::move(script))
{
    _listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::listen(_listener, 16) == 0
        && ::getsockname(_listener, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        _port = ntohs(address.sin_port);
    _thread = std::thread([this] { serve(); });
}

FaultServer::~FaultServer()
{
    _stopping = true;
    _thread.join();
    ::close(_listener);
}

QByteArray FaultServer::url(const QByteArray &path) const
{
    return "http://127.0.0.1:" + QByteArray::number(_port) + path;
}

std::vector<QByteArray> FaultServer::requests() const
{
    std::lock_guard lock(_mutex);
    return _requests;
}

void FaultServer::record(const QByteArray &request)
{
    std::lock_guard lock(_mutex);
    _requests.push_back(request);
}

void FaultServer::serve()
{
    while (!_stopping) {
        pollfd acceptable{_listener, POLLIN, 0};
        if (::poll(&acceptable, 1, kPollMilliseconds) <= 0)
            continue;
        const int descriptor = ::accept4(_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (descriptor < 0)
            continue;
        ++_connections;
        FaultConnection connection(descriptor, *this);
        _script(connection);
        ::close(descriptor);
    }
}

FaultServer::Script AnswerEveryRequest(QByteArray response)
{
    return [response](FaultConnection &connection) {
        while (!connection.readRequest().isEmpty()) {
            connection.send(response);
            if (response.contains("Connection: close"))
                return;
        }
    };
}
