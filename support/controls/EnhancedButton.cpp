#include "support/controls/EnhancedButton.h"

#include <QDropEvent>
#include <QLineEdit>

EnhancedButton::EnhancedButton(QWidget *parent)
    : QPushButton(parent), mDropTarget(this, [this](bool highlighted) { setDown(highlighted); })
{
}

void EnhancedButton::setTextField(QLineEdit *textField)
{
    mTextField = textField;
}

void EnhancedButton::dragEnterEvent(QDragEnterEvent *event)
{
    mDropTarget.draggingEntered(event);
}

void EnhancedButton::dragMoveEvent(QDragMoveEvent *event)
{
    mDropTarget.draggingUpdated(event);
}

void EnhancedButton::dragLeaveEvent(QDragLeaveEvent *event)
{
    mDropTarget.draggingExited(event);
}

void EnhancedButton::dropEvent(QDropEvent *event)
{
    const QStringList filePaths = mDropTarget.takeDrop(event);
    if (filePaths.isEmpty())
        return;
    if (mTextField)
        mTextField->setText(filePaths.first());
    if (mDelegate) {
        // A delegate may close the window, and the button with it, from inside its message.
        const QPointer<EnhancedButton> alive(this);
        mDelegate->filesDropped(this, filePaths);
        if (!alive)
            return;
    }
    mDropTarget.setHighlighted(false);
}
