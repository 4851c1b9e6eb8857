#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>

// Named notifications with a sender and a user-info map, delivered at once to every observer of
// that name. Lets controls in different windows keep each other up to date without knowing each
// other. Main thread only.
class NotificationCenter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NotificationCenter)

public:
    using Handler = std::function<void(QObject *sender, const QVariantMap &userInfo)>;

    static NotificationCenter &defaultCenter();

    void postNotification(const QString &name, QObject *sender, const QVariantMap &userInfo);

    // Calls `handler` for each notification named `name` until the connection is disconnected
    // or `observer` is destroyed.
    QMetaObject::Connection addObserver(QObject *observer, const QString &name, Handler handler);

signals:
    void notificationPosted(const QString &name, QObject *sender, const QVariantMap &userInfo);

private:
    NotificationCenter() = default;
};
