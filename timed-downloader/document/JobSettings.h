#pragma once

#include <QString>
#include <QVariantMap>
#include <cstdint>

// The five settings of a timed download job, kept as the window's fields hold them: the document
// file stores exactly what was typed.
namespace JobSettingsKey {
inline const QString kURL = QStringLiteral("_URLTextKey");
inline const QString kDownloadInterval = QStringLiteral("_downloadIntervalTextKey");
inline const QString kBaseFileName = QStringLiteral("_baseFileNameTextKey");
inline const QString kNumberLeadingZeroes = QStringLiteral("_numberLeadingZeroesTextKey");
inline const QString kTargetFolderPath = QStringLiteral("_targetFolderPathTextKey");
} // namespace JobSettingsKey

// Every key the document file may hold.
const QStringList &JobSettingsKeys();

// False, with `problem` set, when a known key holds something other than a string. Unknown keys
// are ignored; missing keys are fine (older files leave those fields as they are).
bool CheckJobSettingsValues(const QVariantMap &values, QString *problem);

// The counter's minimum digit count as the job uses it: the typed value modulo 256.
uint8_t LeadingZeroCountOfText(const QString &text);

// The settings as typed, in the window or in a document file.
struct JobSettings {
    QString urlText;
    QString downloadIntervalText;
    QString baseFileNameText;
    QString numberLeadingZeroesText;
    QString targetFolderPathText;
};
