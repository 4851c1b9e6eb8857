#include "site-downloader/media/ImageBrowserText.h"

#include "platform/LocalizedString.h"

#include <QGuiApplication>
#include <QTextBoundaryFinder>

namespace {

constexpr int kMaximumRemovals = 200;

QString ellipsis()
{
    const QString localized = LocalizedString("kEllipsisKey");
    return localized.isEmpty() ? QStringLiteral("...") : localized;
}

} // namespace

qsizetype removeCenterChar(QString &string)
{
    const qsizetype index = string.length() / 2 - 1;
    if (index < 0)
        return 0;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, string);
    graphemes.setPosition(index);
    const qsizetype start = graphemes.isAtBoundary() ? index : graphemes.toPreviousBoundary();
    graphemes.setPosition(index);
    qsizetype end = graphemes.toNextBoundary();
    if (start < 0 || end < 0)
        return 0;
    string.remove(start, end - start);
    return start;
}

QString CenterTruncateString(const QString &string, double maxWidth)
{
    return CenterTruncateString(string, maxWidth, QFontMetricsF(QGuiApplication::font()));
}

QString CenterTruncateString(const QString &string, double maxWidth, const QFontMetricsF &metrics)
{
    if (string.isNull())
        return {};
    const QString mark = ellipsis();
    const double budget = maxWidth - metrics.horizontalAdvance(mark);
    if (metrics.horizontalAdvance(string) < budget)
        return string;

    QString working = string;
    QString result = string;
    for (int attempt = 0; attempt < kMaximumRemovals; ++attempt) {
        const qsizetype start = removeCenterChar(working);
        if (start == 0 || start >= working.length() - 1)
            break;
        result = working;
        result.insert(start, mark);
        if (metrics.horizontalAdvance(result) < budget)
            break;
    }
    return result;
}
