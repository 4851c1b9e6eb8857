#pragma once

#include <QString>

// User-visible texts are looked up by key ("kStartedMessageKey") in the program's compiled
// translations. An unknown key gives an empty string, never the key itself.
QString LocalizedString(const char *key);

// Loads the translations named `baseName` (for example "vellicor") that are compiled into the
// program, for the user's language with English as the fallback. Returns false when none load.
bool InstallTranslations(const QString &baseName);

// Gives a key a value of its own that wins over the translations, until it is cleared again. Meant for configuration values that tests or packagers set.
void SetLocalizedStringOverride(const char *key, const QString &value);
void ClearLocalizedStringOverride(const char *key);
