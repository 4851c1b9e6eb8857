#include "support/controls/NotificationCenter.h"

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

void NotificationCenter::postNotification(const QString &name, QObject *sender, const QVariantMap &userInfo)
{
    emit notificationPosted(name, sender, userInfo);
}

QMetaObject::Connection NotificationCenter::addObserver(QObject *observer, const QString &name, Handler handler)
{
    return connect(this, &NotificationCenter::notificationPosted, observer,
                   [name, handler = std::move(handler)](const QString &postedName, QObject *sender,
                                                        const QVariantMap &userInfo) {
                       if (postedName == name)
                           handler(sender, userInfo);
                   });
}
