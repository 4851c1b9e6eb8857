#include "site-downloader/tools/IncrementalAddressPattern.h"

#include "site-downloader/tools/DownloadToolFiles.h"

#include <QStringList>
#include <algorithm>

std::optional<QString> IncrementalAddress(const QString &pattern, int64_t number, int32_t minimumDigits)
{
    if (!pattern.contains(kIncrementalNumberPlaceholder))
        return std::nullopt;
    const int width = std::clamp(minimumDigits, int32_t(0), kMaximumIncrementalDigits);
    QString digits = QString::number(number < 0 ? -number : number);
    if (digits.size() < width)
        digits.prepend(QString(width - digits.size(), QLatin1Char('0')));
    if (number < 0)
        digits.prepend(QLatin1Char('-'));
    QString address = pattern;
    address.replace(kIncrementalNumberPlaceholder, digits);
    return AddressWithDefaultScheme(address);
}

QString IncrementalSubfolderName(const QString &pattern)
{
    const QStringList components = pattern.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (components.size() < 2)
        return QString();
    const QString &folder = components.at(components.size() - 2);
    if (folder == QLatin1String(".") || folder == QLatin1String(".."))
        return QString();
    return folder;
}
