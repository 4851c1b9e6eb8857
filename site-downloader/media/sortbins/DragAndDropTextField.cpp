#include "site-downloader/media/sortbins/DragAndDropTextField.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QPointer>

DragAndDropTextField::DragAndDropTextField(QWidget *parent)
    : QLineEdit(parent), mDropTarget(this, [this](bool) { update(); })
{
    mDropTarget.setAcceptsSeveralItems(true);
    mDropTarget.setDragTypes({FileDropTarget::fileNamesType(), QStringLiteral("text/plain")});
}

void DragAndDropTextField::dragEnterEvent(QDragEnterEvent *event)
{
    mEditableBeforeDrag = !isReadOnly();
    setReadOnly(true);
    mDropTarget.draggingEntered(event);
    // A refused drag gets no leave event, so the field must be editable again now.
    if (!event->isAccepted())
        setReadOnly(!mEditableBeforeDrag);
}

void DragAndDropTextField::dragMoveEvent(QDragMoveEvent *event)
{
    mDropTarget.draggingUpdated(event);
}

void DragAndDropTextField::dragLeaveEvent(QDragLeaveEvent *event)
{
    mDropTarget.draggingExited(event);
    setReadOnly(!mEditableBeforeDrag);
}

void DragAndDropTextField::dropEvent(QDropEvent *event)
{
    const QStringList items = mDropTarget.takeDrop(event);
    if (items.isEmpty()) {
        setReadOnly(!mEditableBeforeDrag);
        return;
    }
    concludeDragOperation(items);
}

void DragAndDropTextField::concludeDragOperation(const QStringList &items)
{
    QString text = items.first();
    if (mDropTarget.desiredType() == FileDropTarget::fileNamesType() && mUseParentForDraggedFiles &&
        !QFileInfo(text).isDir())
        text = QFileInfo(text).absolutePath();
    setText(text);
    // A field coloured to flag a bad entry reads as normal text once something was dropped.
    QPalette normal = palette();
    normal.setColor(QPalette::Text, QApplication::palette(this).color(QPalette::Text));
    setPalette(normal);
    if (mDelegate) {
        const QPointer<DragAndDropTextField> alive(this);
        mDelegate->filesDropped(this, items);
        if (!alive)
            return;
    }
    mDropTarget.setHighlighted(false);
    setReadOnly(!mEditableBeforeDrag);
}
