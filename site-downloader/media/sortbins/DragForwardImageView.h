#pragma once

#include "support/controls/FileDropTarget.h"

#include <QLabel>

// An image view that takes dropped files and hands them to its delegate (a sort bin, the media
// viewer), showing a grey bezel while a drag is over it or the mouse is down on it. A double
// click emits doubleClicked().
class DragForwardImageView final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DragForwardImageView)

public:
    explicit DragForwardImageView(QWidget *parent = nullptr);

    // Not owned; a delegate that goes away first calls setDelegate(nullptr).
    void setDelegate(FileDropDelegate *delegate) { _delegate = delegate; }
    FileDropDelegate *delegate() const { return _delegate; }
    void setDragTypes(const QStringList &types) { mDropTarget.setDragTypes(types); }
    const QStringList &dragTypes() const { return mDropTarget.dragTypes(); }
    const QString &desiredType() const { return mDropTarget.desiredType(); }
    bool isHighlighted() const { return mDropTarget.isHighlighted(); }
    void setUseParentForDraggedFiles(bool useParent) { mUseParentForDraggedFiles = useParent; }
    // The bezel ("frame style" 2) shows a drag over the view or a press on it.
    bool showsBezel() const { return frameShape() != QFrame::NoFrame; }

signals:
    void doubleClicked();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void setBezel(bool shown);

    FileDropDelegate *_delegate = nullptr;
    FileDropTarget mDropTarget;
    bool mUseParentForDraggedFiles = false;
};
