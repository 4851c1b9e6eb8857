#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A scripted HTTP server on 127.0.0.1 with an ephemeral port, for what real servers will not do
// on demand: stall, trickle, cut a body short, send a malformed status line, challenge forever.
// It serves one connection at a time on a thread of its own; the script runs for each accepted
// connection and the connection closes when the script returns. Stops when destroyed.
class FaultConnection
{
public:
    // The next request's header block; empty when the peer closed first or the server stops.
    QByteArray readRequest();
    void send(const QByteArray &bytes);
    // Waits; false when the server is stopping, so scripts end promptly.
    bool pause(int milliseconds);

private:
    friend class FaultServer;
    FaultConnection(int descriptor, class FaultServer &server) : _descriptor(descriptor), _server(server) {}
    int _descriptor;
    FaultServer &_server;
    QByteArray _pending;
};

class FaultServer final
{
public:
    using Script = std::function<void(FaultConnection &)>;
    explicit FaultServer(Script script);
    ~FaultServer();
    FaultServer(const FaultServer &) = delete;
    FaultServer &operator=(const FaultServer &) = delete;

    int port() const { return _port; }
    QByteArray url(const QByteArray &path = "/") const;
    int connectionCount() const { return _connections; }
    // Every request header block read so far, in order.
    std::vector<QByteArray> requests() const;

private:
    friend class FaultConnection;
    void serve();
    void record(const QByteArray &request);

    Script _script;
    int _listener = -1;
    int _port = 0;
    std::atomic<bool> _stopping{false};
    std::atomic<int> _connections{0};
    mutable std::mutex _mutex;
    std::vector<QByteArray> _requests;
    std::thread _thread;
};

// A script that answers every request on a connection with `response` (kept alive when the
// response allows it).
FaultServer::Script AnswerEveryRequest(QByteArray response);
