#include "site-downloader/app/AutomaticUpdateCheck.h"

namespace {

constexpr qint64 kSecondsPerDay = 60 * 60 * 24;
constexpr qint64 kDaysBetweenChecks = 30;

} // namespace

bool IsAutomaticUpdateCheckDue(const QDateTime &now, const std::optional<QDateTime> &lastCheck)
{
    if (!lastCheck || !lastCheck->isValid())
        return true;
    const qint64 seconds = lastCheck->secsTo(now);
    if (seconds <= 0)
        return true;
    return seconds / kSecondsPerDay >= kDaysBetweenChecks;
}
