#pragma once

#include <QFontMetricsF>
#include <QString>

// `string` shortened in the middle with the ellipsis ("kEllipsisKey", "..." when that is empty)
// so that it measures less than `maxWidth` in `metrics`; the application font's metrics when
// none are given. A null string stays null.
QString CenterTruncateString(const QString &string, double maxWidth);
QString CenterTruncateString(const QString &string, double maxWidth, const QFontMetricsF &metrics);

// Deletes the whole character (a grapheme, with its combining marks) at index length / 2 - 1 and
// answers where it started; a string of fewer than two characters is left as it is and gives 0.
qsizetype removeCenterChar(QString &string);
