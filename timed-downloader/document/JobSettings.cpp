#include "timed-downloader/document/JobSettings.h"

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

int32_t IntegerValueOfText(const QString &text)
{
    qsizetype index = 0;
    while (index < text.size() && text.at(index).isSpace())
        ++index;
    bool negative = false;
    if (index < text.size() && (text.at(index) == QLatin1Char('-') || text.at(index) == QLatin1Char('+'))) {
        negative = text.at(index) == QLatin1Char('-');
        ++index;
    }
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    for (; index < text.size(); ++index) {
        const QChar character = text.at(index);
        if (character < QLatin1Char('0') || character > QLatin1Char('9'))
            break;
        value = std::min(value * 10 + (character.unicode() - '0'), kLimit);
    }
    if (negative)
        return int32_t(std::max(-value, int64_t(std::numeric_limits<int32_t>::min())));
    return int32_t(std::min(value, int64_t(std::numeric_limits<int32_t>::max())));
}

uint8_t LeadingZeroCountOfText(const QString &text)
{
    return static_cast<uint8_t>(static_cast<uint32_t>(IntegerValueOfText(text)) & 0xFF);
}
