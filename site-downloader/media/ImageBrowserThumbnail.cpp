#include "site-downloader/media/ImageBrowserThumbnail.h"

#include <QFileInfo>
#include <QImageReader>
#include <algorithm>
#include <cmath>

namespace {

// Pictures not much shorter than the box shrink by this much instead of keeping their size.
constexpr double kNearlyFullHeightMargin = 25;
constexpr double kSmallPictureShrink = 0.75;

QSizeF scaledToWidth(const QSizeF &size, double width)
{
    return {width, size.height() * width / size.width()};
}

QSizeF tableSize(const QSizeF &size, double width, double height)
{
    const double w = size.width();
    const double h = size.height();
    if (w >= width && h >= height) {
        if (w == h)
            return {width, height};
        if (w > h)
            return scaledToWidth(size, width);
        return {w * height / h, height};
    }
    if (h < height - kNearlyFullHeightMargin)
        return w <= width ? size : scaledToWidth(size, width);
    if (h >= w)
        return size * kSmallPictureShrink;
    return scaledToWidth(size, width);
}

QSizeF fittedIntoBox(const QSizeF &size, double width, double height)
{
    const double factor = std::min({1.0, width / size.width(), height / size.height()});
    return size * factor;
}

} // namespace

QSizeF ThumbnailDisplaySize(const QSizeF &size, double width, double height, bool keepProportions)
{
    if (!keepProportions)
        return {width, height};
    if (size.width() <= 0 || size.height() <= 0)
        return {0, 0};
    return fittedIntoBox(tableSize(size, width, height), width, height);
}

QString NaturalSizeText(const QSize &size)
{
    return QStringLiteral("{%1, %2}").arg(size.width()).arg(size.height());
}

ThumbnailImage LoadThumbnailImage(const QString &path)
{
    ThumbnailImage thumbnail;
    if (path.isEmpty())
        return thumbnail;
    QImageReader reader(path);
    QSize originalSize = reader.size();
    QImage fullPicture;
    if (!originalSize.isValid()) {
        // A few formats state no size before decoding; those are read whole, once.
        fullPicture = reader.read();
        originalSize = fullPicture.size();
    }
    if (originalSize.width() <= 0 || originalSize.height() <= 0)
        return thumbnail;

    thumbnail.originalSize = originalSize;
    thumbnail.displaySize = ThumbnailDisplaySize(QSizeF(originalSize), kThumbnailSide, kThumbnailSide, true);
    const QSize decodeSize(std::max(1, int(std::ceil(thumbnail.displaySize.width()))),
                           std::max(1, int(std::ceil(thumbnail.displaySize.height()))));
    if (!fullPicture.isNull()) {
        thumbnail.picture = fullPicture.scaled(decodeSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        if (decodeSize != originalSize)
            reader.setScaledSize(decodeSize);
        thumbnail.picture = reader.read();
    }
    if (thumbnail.picture.isNull())
        return {};
    const QFileInfo info(path);
    thumbnail.fileSize = info.exists() ? info.size() : 0;
    return thumbnail;
}
