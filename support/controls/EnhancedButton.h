#pragma once

#include "support/controls/FileDropTarget.h"

#include <QPointer>
#include <QPushButton>

class QLineEdit;

// A button onto which one file is dropped. While a drag is over it the button looks pressed; the
// dropped path goes into its text field and the delegate hears of the drop.
class EnhancedButton final : public QPushButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EnhancedButton)

public:
    explicit EnhancedButton(QWidget *parent = nullptr);

    void setDragTypes(const QStringList &types) { mDropTarget.setDragTypes(types); }
    const QStringList &dragTypes() const { return mDropTarget.dragTypes(); }
    const QString &desiredType() const { return mDropTarget.desiredType(); }
    bool isHighlighted() const { return mDropTarget.isHighlighted(); }
    // Not owned; cleared by itself when the field goes away.
    void setTextField(QLineEdit *textField);
    void setDelegate(FileDropDelegate *delegate) { mDelegate = delegate; }
    FileDropDelegate *delegate() const { return mDelegate; }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    FileDropDelegate *mDelegate = nullptr;
    QPointer<QLineEdit> mTextField;
    FileDropTarget mDropTarget;
};
