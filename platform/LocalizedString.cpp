#include "platform/LocalizedString.h"

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QLocale>
#include <QPointer>
#include <QTranslator>
#include <memory>
#include <mutex>
#include <optional>

namespace {

const QString kTranslationFolder = QStringLiteral(":/i18n");
const QString kFallbackLanguage = QStringLiteral("en");

std::mutex overridesMutex;
QHash<QByteArray, QString> overrides;

// Translators installed per base name, so that installing again replaces them instead of
// stacking a second copy on top.
QHash<QString, QList<QPointer<QTranslator>>> installedTranslators;

std::optional<QString> overrideFor(const char *key)
{
    std::lock_guard lock(overridesMutex);
    const auto found = overrides.constFind(QByteArray(key));
    if (found == overrides.constEnd())
        return std::nullopt;
    return *found;
}

void removeInstalledTranslators(const QString &baseName)
{
    for (const QPointer<QTranslator> &translator : installedTranslators.take(baseName)) {
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
}

// The translator is owned by the application object, so it goes away with it.
QTranslator *installedTranslator(std::unique_ptr<QTranslator> translator, const QString &baseName)
{
    if (!QCoreApplication::installTranslator(translator.get()))
        return nullptr;
    translator->setParent(QCoreApplication::instance());
    installedTranslators[baseName].append(translator.get());
    return translator.release();
}

} // namespace

QString LocalizedString(const char *key)
{
    if (!key)
        return {};
    if (std::optional<QString> value = overrideFor(key))
        return *value;
    // qtTrId answers a key it does not know with the key itself.
    QString text = qtTrId(key);
    if (text == QLatin1String(key))
        return {};
    return text;
}

bool InstallTranslations(const QString &baseName)
{
    if (!QCoreApplication::instance())
        return false;
    removeInstalledTranslators(baseName);

    // English goes in first: translators installed later are asked first, so a partial
    // translation still shows English for the keys it lacks.
    auto fallback = std::make_unique<QTranslator>();
    const bool haveFallback = fallback->load(baseName + QLatin1Char('_') + kFallbackLanguage, kTranslationFolder)
                              && installedTranslator(std::move(fallback), baseName);

    auto userLanguage = std::make_unique<QTranslator>();
    bool haveUserLanguage = false;
    if (userLanguage->load(QLocale(), baseName, QStringLiteral("_"), kTranslationFolder)) {
        const bool isFallbackAgain = haveFallback && userLanguage->language() == kFallbackLanguage;
        haveUserLanguage = isFallbackAgain || installedTranslator(std::move(userLanguage), baseName);
    }

    return haveFallback || haveUserLanguage;
}

void SetLocalizedStringOverride(const char *key, const QString &value)
{
    std::lock_guard lock(overridesMutex);
    overrides.insert(QByteArray(key), value);
}

void ClearLocalizedStringOverride(const char *key)
{
    std::lock_guard lock(overridesMutex);
    overrides.remove(QByteArray(key));
}
