#pragma once

#include <QDateTime>
#include <optional>

// Whether the launch-time update check is due: when none is recorded, 30 full days after the
// recorded one, and also when the recorded time lies ahead of `now` (a clock that was wrong once
// must not put the checks off for years).
bool IsAutomaticUpdateCheckDue(const QDateTime &now, const std::optional<QDateTime> &lastCheck);
