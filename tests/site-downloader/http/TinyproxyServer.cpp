#include "tests/site-downloader/http/TinyproxyServer.h"

#include "tests/fixtures/LoopbackPorts.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kReadyTimeoutMilliseconds = 5000;


} // namespace

TinyproxyServer::TinyproxyServer(QString username, QString password)
    : _username(std::move(username))
    , _password(std::move(password))
{
}

TinyproxyServer::~TinyproxyServer()
{
    if (_process) {
        _process->terminate();
        if (!_process->waitForFinished(3000))
            _process->kill();
        _process->waitForFinished(1000);
    }
}

bool TinyproxyServer::start(QString *problem)
{
    _port = LoopbackPorts::pickFreePort();
    const QString configPath = _folder.filePath(QStringLiteral("tinyproxy.conf"));
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly)) {
        if (problem)
            *problem = QStringLiteral("cannot write %1").arg(configPath);
        return false;
    }
    QByteArray text = "Port " + QByteArray::number(_port)
        + "\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 30\nMaxClients 20\nLogLevel Info\n";
    if (!_username.isEmpty())
        text += "BasicAuth " + _username.toUtf8() + ' ' + _password.toUtf8() + '\n';
    config.write(text);
    config.close();

    _process = std::make_unique<QProcess>();
    _process->setStandardErrorFile(QProcess::nullDevice());
    _process->setStandardOutputFile(QProcess::nullDevice());
    // A test that crashes must not leave a proxy behind.
    _process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    _process->start(QStringLiteral("/usr/bin/tinyproxy"), {QStringLiteral("-d"), QStringLiteral("-c"), configPath});
    if (!_process->waitForStarted(kReadyTimeoutMilliseconds)) {
        if (problem)
            *problem = QStringLiteral("tinyproxy did not start: %1").arg(_process->errorString());
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    while (!LoopbackPorts::acceptsConnections(_port)) {
        if (waited.elapsed() > kReadyTimeoutMilliseconds || _process->state() != QProcess::Running) {
            if (problem)
                *problem = QStringLiteral("tinyproxy does not accept connections on port %1").arg(_port);
            return false;
        }
        QThread::msleep(10);
    }
    return true;
}

QByteArray TinyproxyServer::url() const
{
    return "http://127.0.0.1:" + QByteArray::number(_port);
}
