#include "site-downloader/media/ImageBrowserExtendedImageView.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace {

constexpr int kDragPictureSide = 128;
constexpr int kDragPictureOffset = 20;

} // namespace

ExtendedImageView::ExtendedImageView(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
}

void ExtendedImageView::setImage(const QImage &image)
{
    _image = image;
    setPixmap(QPixmap::fromImage(image));
    adjustSize();
}

void ExtendedImageView::clearImage()
{
    _image = QImage();
    clear();
}

QPixmap ExtendedImageView::dragPicture(const QImage &image)
{
    QPixmap picture(kDragPictureSide, kDragPictureSide);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    const QString label = QStringLiteral("(%1 x %2)").arg(image.width()).arg(image.height());
    const QRect labelRect = painter.fontMetrics().boundingRect(label).adjusted(-2, 0, 2, 0).translated(2, 0);
    const QRect placed(QPoint(0, 0), labelRect.size());
    painter.fillRect(placed, Qt::black);
    painter.setPen(Qt::white);
    painter.drawText(placed, Qt::AlignCenter, label);
    painter.setOpacity(0.5);
    painter.drawImage(QRect(0, 0, kDragPictureSide, kDragPictureSide), image);
    return picture;
}

void ExtendedImageView::mousePressEvent(QMouseEvent *event)
{
    _downPosition = event->position().toPoint();
    _mouseDown = event->button() == Qt::LeftButton;
    event->accept();
}

void ExtendedImageView::mouseMoveEvent(QMouseEvent *event)
{
    if (!_mouseDown || _dragging || _image.isNull() || !_dragFileWriter
        || (event->position().toPoint() - _downPosition).manhattanLength() < QApplication::startDragDistance())
        return;
    _mouseDown = false;
    const QString path = _dragFileWriter();
    if (path.isEmpty())
        return;
    auto *data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(dragPicture(_image));
    drag->setHotSpot(QPoint(kDragPictureOffset, kDragPictureSide - kDragPictureOffset));
    _dragging = true;
    drag->exec(Qt::CopyAction);
    _dragging = false;
}
