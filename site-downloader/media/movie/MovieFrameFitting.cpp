#include "site-downloader/media/movie/MovieFrameFitting.h"

#include <algorithm>

namespace {

QSizeF nonNegative(const QSizeF &size)
{
    return QSizeF(std::max(0.0, size.width()), std::max(0.0, size.height()));
}

bool hasPicture(const QSizeF &size)
{
    return size.width() > 0 && size.height() > 0;
}

} // namespace

QRectF adjustRectForPixelBorder(int32_t border, const QRectF &rect)
{
    if (rect.height() > border && rect.width() > border)
        return QRectF(rect.x() + border, rect.y() + border, rect.width() - 2.0 * border, rect.height() - 2.0 * border);
    return rect;
}

std::optional<QRectF> fitMediaViewMovieFrame(const MediaViewFitting &fitting)
{
    const QRectF &frame = fitting.viewFrame;
    QRectF r = frame;
    if (fitting.controllerVisible && r.height() > kMediaViewControllerHeight) {
        r.setHeight(r.height() - kMediaViewControllerHeight);
        r.moveTop(r.y() + kMediaViewControllerHeight);
    }
    const QSizeF natural = nonNegative(fitting.naturalSize);
    if (fitting.preserveAspectRatio && hasPicture(natural)) {
        const double nw = natural.width();
        const double nh = natural.height();
        double w = 0;
        double h = 0;
        if (frame.width() <= frame.height()) {
            w = nw * frame.height() / nh;
            h = frame.height();
            if (frame.width() < w) {
                h = nh * frame.width() / nw;
                w = frame.width();
            }
        } else {
            h = nh * frame.width() / nw;
            w = frame.width();
            if (frame.height() < h) {
                w = nw * frame.height() / nh;
                h = frame.height();
            }
        }
        r = QRectF(1, r.y(), w, h);
    }
    r.setWidth(r.width() + 1);
    r.setHeight(r.height() + 1);
    r = adjustRectForPixelBorder(fitting.pixelBorderSize, r);
    if (r.y() > r.height() || r.x() > r.width())
        return std::nullopt;
    return r;
}

QRectF fitPlaylistMovieFrame(const QSizeF &superviewSize, const QSizeF &naturalSize, bool resizeForAspectRatio,
                             bool controllerVisible, int32_t pixelBorderSize)
{
    const QSizeF parent = nonNegative(superviewSize);
    const QSizeF natural = nonNegative(naturalSize);
    QSizeF size = parent;
    if (resizeForAspectRatio && hasPicture(natural)) {
        if (natural.width() > natural.height())
            size = QSizeF(parent.width(), parent.width() * natural.height() / natural.width());
        else
            size = QSizeF(parent.height() * natural.width() / natural.height(), parent.height());
    }
    size += QSizeF(1, 1);
    if (controllerVisible)
        size.setHeight(size.height() - kPlaylistControllerHeight);
    size -= QSizeF(2.0 * pixelBorderSize, 2.0 * pixelBorderSize);
    return QRectF(QPointF(pixelBorderSize, pixelBorderSize), nonNegative(size));
}

QSize playerWindowSizeForMovie(const QSize &naturalSize, const QRect &availableGeometry)
{
    QSize size(std::max(0, naturalSize.width()), std::max(0, naturalSize.height()) + kPlayerWindowExtraHeight);
    if (availableGeometry.isValid())
        size = size.boundedTo(availableGeometry.size());
    return size;
}
