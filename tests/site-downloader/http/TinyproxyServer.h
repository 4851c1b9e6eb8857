#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// Debian's tinyproxy on 127.0.0.1, in the foreground, started by the test and ended with it.
// With a user name it asks for Basic credentials (407).
class TinyproxyServer final
{
public:
    explicit TinyproxyServer(QString username = {}, QString password = {});
    ~TinyproxyServer();

    bool start(QString *problem = nullptr);
    int port() const { return _port; }
    QByteArray url() const;

private:
    QString _username;
    QString _password;
    QTemporaryDir _folder;
    std::unique_ptr<QProcess> _process;
    int _port = 0;
};
