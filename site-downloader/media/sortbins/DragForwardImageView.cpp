#include "site-downloader/media/sortbins/DragForwardImageView.h"

#include <QDropEvent>
#include <QMouseEvent>
#include <QPointer>

DragForwardImageView::DragForwardImageView(QWidget *parent)
    : QLabel(parent), mDropTarget(this, [this](bool) { update(); })
{
    mDropTarget.setAcceptsSeveralItems(true);
    setAlignment(Qt::AlignCenter);
    setBezel(false);
}

void DragForwardImageView::setBezel(bool shown)
{
    setFrameShape(shown ? QFrame::Panel : QFrame::NoFrame);
    setFrameShadow(QFrame::Sunken);
}

void DragForwardImageView::dragEnterEvent(QDragEnterEvent *event)
{
    mDropTarget.draggingEntered(event);
    if (event->isAccepted())
        setBezel(true);
}

void DragForwardImageView::dragMoveEvent(QDragMoveEvent *event)
{
    mDropTarget.draggingUpdated(event);
}

void DragForwardImageView::dragLeaveEvent(QDragLeaveEvent *event)
{
    mDropTarget.draggingExited(event);
    setBezel(false);
}

void DragForwardImageView::dropEvent(QDropEvent *event)
{
    const QStringList filePaths = mDropTarget.takeDrop(event);
    if (!filePaths.isEmpty() && _delegate) {
        const QPointer<DragForwardImageView> alive(this);
        _delegate->filesDropped(this, filePaths);
        if (!alive)
            return;
    }
    mDropTarget.setHighlighted(false);
    setBezel(false);
}

void DragForwardImageView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        setBezel(true);
    QLabel::mousePressEvent(event);
}

void DragForwardImageView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        setBezel(false);
    QLabel::mouseReleaseEvent(event);
}

void DragForwardImageView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
        return;
    }
    QLabel::mouseDoubleClickEvent(event);
}
