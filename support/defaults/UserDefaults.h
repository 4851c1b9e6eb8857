#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <optional>

// Shortcuts to the per-user settings store (QSettings in its native format). A value that is
// not stored reads as an empty optional or an invalid QVariant; the forms with a default answer
// the default only then, never for a stored value of 0, false or "". Setters leave the flushing
// to synchronize() or to Qt's own timing. Main thread only.
class UserDefaults final
{
public:
    UserDefaults() = delete;

    static QVariant objectForKey(const QString &key);
    static std::optional<QString> stringForKey(const QString &key);
    static std::optional<QVariantList> arrayForKey(const QString &key);
    static std::optional<QVariantMap> dictionaryForKey(const QString &key);
    static std::optional<QByteArray> dataForKey(const QString &key);

    static QVariant objectForKey(const QString &key, const QVariant &defaultValue);
    static QString stringForKey(const QString &key, const QString &defaultValue);
    static QVariantList arrayForKey(const QString &key, const QVariantList &defaultValue);
    static QVariantMap dictionaryForKey(const QString &key, const QVariantMap &defaultValue);
    static QByteArray dataForKey(const QString &key, const QByteArray &defaultValue);

    static qint64 integerForKey(const QString &key);
    static double floatForKey(const QString &key);
    static bool boolForKey(const QString &key);
    static qint64 integerForKey(const QString &key, qint64 defaultValue);
    static double floatForKey(const QString &key, double defaultValue);
    static bool boolForKey(const QString &key, bool defaultValue);

    // An invalid value removes the key.
    static void setObject(const QVariant &value, const QString &key);
    static void setInteger(qint64 value, const QString &key);
    static void setFloat(double value, const QString &key);
    static void setBool(bool value, const QString &key);
    static void removeObjectForKey(const QString &key);

    // Writes the store to disk; false when that failed.
    static bool synchronize();
    // Writes the store and makes its file readable and writable by the user alone, for settings
    // that hold a password. Later writes keep the mode, because the store replaces its file with
    // one that has the old file's permissions. False when either step failed.
    static bool synchronizePrivately();
};
