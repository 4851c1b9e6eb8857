#include "timed-downloader/document/JobSettings.h"

#include "platform/TextIntegerValue.h"

#include <QCoreApplication>
#include <limits>

const QStringList &JobSettingsKeys()
{
    static const QStringList keys{JobSettingsKey::kURL, JobSettingsKey::kDownloadInterval, JobSettingsKey::kBaseFileName,
                                  JobSettingsKey::kNumberLeadingZeroes, JobSettingsKey::kTargetFolderPath};
    return keys;
}

bool CheckJobSettingsValues(const QVariantMap &values, QString *problem)
{
    for (const QString &key : JobSettingsKeys()) {
        const auto found = values.constFind(key);
        if (found != values.constEnd() && found->typeId() != QMetaType::QString) {
            if (problem)
                *problem = QStringLiteral("The value of \"%1\" is not a text.").arg(key);
            return false;
        }
    }
    return true;
}

uint8_t LeadingZeroCountOfText(const QString &text)
{
    return static_cast<uint8_t>(static_cast<uint32_t>(IntegerValueOfText(text)) & 0xFF);
}
