#include "support/defaults/UserDefaults.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <memory>

namespace {

// One store for the whole process: a QSettings that is destroyed writes itself out, and the
// setters are not meant to touch the disk each time.
QSettings &store()
{
    static std::unique_ptr<QSettings> settings = std::make_unique<QSettings>();
    return *settings;
}

bool isList(const QVariant &value)
{
    const int type = value.metaType().id();
    return type == QMetaType::QVariantList || type == QMetaType::QStringList;
}

// The native format writes a list of strings as plain comma-separated text, which reads back as
// one string when the list had a single entry and as nothing when it was empty. Lists of any
// other shape keep their form; so the store never sees a list of strings as such.
QVariant storableForm(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QStringList)
        return QVariant(value.toList());
    return value;
}

} // namespace

QVariant UserDefaults::objectForKey(const QString &key)
{
    return store().value(key);
}

std::optional<QString> UserDefaults::stringForKey(const QString &key)
{
    const QVariant value = objectForKey(key);
    if (!value.isValid() || isList(value) || !value.canConvert<QString>())
        return std::nullopt;
    return value.toString();
}

std::optional<QVariantList> UserDefaults::arrayForKey(const QString &key)
{
    const QVariant value = objectForKey(key);
    if (!isList(value))
        return std::nullopt;
    return value.toList();
}

std::optional<QVariantMap> UserDefaults::dictionaryForKey(const QString &key)
{
    const QVariant value = objectForKey(key);
    if (value.metaType().id() != QMetaType::QVariantMap)
        return std::nullopt;
    return value.toMap();
}

std::optional<QByteArray> UserDefaults::dataForKey(const QString &key)
{
    const QVariant value = objectForKey(key);
    if (value.metaType().id() != QMetaType::QByteArray)
        return std::nullopt;
    return value.toByteArray();
}

QVariant UserDefaults::objectForKey(const QString &key, const QVariant &defaultValue)
{
    return store().contains(key) ? objectForKey(key) : defaultValue;
}

QString UserDefaults::stringForKey(const QString &key, const QString &defaultValue)
{
    return store().contains(key) ? stringForKey(key).value_or(QString()) : defaultValue;
}

QVariantList UserDefaults::arrayForKey(const QString &key, const QVariantList &defaultValue)
{
    return store().contains(key) ? arrayForKey(key).value_or(QVariantList()) : defaultValue;
}

QVariantMap UserDefaults::dictionaryForKey(const QString &key, const QVariantMap &defaultValue)
{
    return store().contains(key) ? dictionaryForKey(key).value_or(QVariantMap()) : defaultValue;
}

QByteArray UserDefaults::dataForKey(const QString &key, const QByteArray &defaultValue)
{
    return store().contains(key) ? dataForKey(key).value_or(QByteArray()) : defaultValue;
}

qint64 UserDefaults::integerForKey(const QString &key)
{
    return integerForKey(key, 0);
}

double UserDefaults::floatForKey(const QString &key)
{
    return floatForKey(key, 0.0);
}

bool UserDefaults::boolForKey(const QString &key)
{
    return boolForKey(key, false);
}

qint64 UserDefaults::integerForKey(const QString &key, qint64 defaultValue)
{
    if (!store().contains(key))
        return defaultValue;
    const QVariant value = objectForKey(key);
    const int type = value.metaType().id();
    bool isInteger = false;
    const qint64 integer = value.toLongLong(&isInteger);
    // The integer value of 2.5 is 2, whether it is a number here or text read from the file;
    // QVariant would round it.
    if (type == QMetaType::Double || type == QMetaType::Float || !isInteger)
        return qint64(value.toDouble());
    return integer;
}

double UserDefaults::floatForKey(const QString &key, double defaultValue)
{
    return store().contains(key) ? objectForKey(key).toDouble() : defaultValue;
}

bool UserDefaults::boolForKey(const QString &key, bool defaultValue)
{
    return store().contains(key) ? objectForKey(key).toBool() : defaultValue;
}

void UserDefaults::setObject(const QVariant &value, const QString &key)
{
    if (!value.isValid()) {
        removeObjectForKey(key);
        return;
    }
    store().setValue(key, storableForm(value));
}

void UserDefaults::setInteger(qint64 value, const QString &key)
{
    store().setValue(key, value);
}

void UserDefaults::setFloat(double value, const QString &key)
{
    store().setValue(key, value);
}

void UserDefaults::setBool(bool value, const QString &key)
{
    store().setValue(key, value);
}

void UserDefaults::removeObjectForKey(const QString &key)
{
    store().remove(key);
}

// Qt reports an access error for a program without an organization name even though it writes
// the file; the programs set one.
bool UserDefaults::synchronize()
{
    store().sync();
    return store().status() == QSettings::NoError;
}

bool UserDefaults::synchronizePrivately()
{
    if (!synchronize())
        return false;
    return QFile::setPermissions(store().fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
