#pragma once

#include "support/controls/FileDropTarget.h"

#include <QLineEdit>

// A text field that takes a dropped path (or a dropped piece of text) as its text. While a drag
// is over it the field is not editable, so the drop cannot be mixed into what was being typed.
class DragAndDropTextField final : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DragAndDropTextField)

public:
    explicit DragAndDropTextField(QWidget *parent = nullptr);

    // Not owned; a delegate that goes away first calls setDelegate(nullptr).
    void setDelegate(FileDropDelegate *delegate) { mDelegate = delegate; }
    FileDropDelegate *delegate() const { return mDelegate; }
    // File names first, then plain text.
    void setDragTypes(const QStringList &types) { mDropTarget.setDragTypes(types); }
    const QStringList &dragTypes() const { return mDropTarget.dragTypes(); }
    const QString &desiredType() const { return mDropTarget.desiredType(); }
    bool isHighlighted() const { return mDropTarget.isHighlighted(); }
    // A dropped file then stands for the folder that holds it.
    void setUseParentForDraggedFiles(bool useParent) { mUseParentForDraggedFiles = useParent; }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void concludeDragOperation(const QStringList &items);

    FileDropDelegate *mDelegate = nullptr;
    FileDropTarget mDropTarget;
    bool mUseParentForDraggedFiles = false;
    // Whether the field was editable before the drag; a read-only field stays read-only after.
    bool mEditableBeforeDrag = true;
};
