#pragma once

#include "support/controls/FileDropTarget.h"

#include <QGroupBox>
#include <QMetaObject>
#include <QPointer>

class QLineEdit;

// A box onto which one file or folder is dropped; its path goes into a text field. Boxes that
// share a notification name and key show the same path: a drop on one is posted to the others,
// which take it without posting again.
class DragAndDropBox final : public QGroupBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DragAndDropBox)

public:
    explicit DragAndDropBox(QWidget *parent = nullptr);
    ~DragAndDropBox() override;

    void setDragTypes(const QStringList &types) { mDropTarget.setDragTypes(types); }
    const QStringList &dragTypes() const { return mDropTarget.dragTypes(); }
    const QString &desiredType() const { return mDropTarget.desiredType(); }
    bool isHighlighted() const { return mDropTarget.isHighlighted(); }
    // A dropped file stands for the folder that holds it; a dropped folder stands for itself.
    void setUseParentForDraggedFiles(bool useParent) { mUseParentForDraggedFiles = useParent; }
    // Not owned; cleared by itself when the field goes away.
    void setTextField(QLineEdit *textField);
    void setDelegate(FileDropDelegate *delegate) { mDelegate = delegate; }
    FileDropDelegate *delegate() const { return mDelegate; }

    void setPath(const QString &path) { setPath(path, true); }
    // Shows and stores the path as a drop would, telling the delegate; posts the notification
    // only when `notify` is set.
    void setPath(const QString &path, bool notify);

    // Name and key come together: a call with only one of them changes nothing. An empty text
    // means "none". `prefKey` names the setting that keeps the path.
    void setNotificationName(const QString &name, const QString &key, const QString &prefKey);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void concludeDragOperation(const QStringList &filePaths);
    void pathDidChange(QObject *sender, const QVariantMap &userInfo);
    void showPath(const QString &path);
    void storePathPreference(const QString &path) const;
    void postPathNotification(const QString &path);

    FileDropDelegate *mDelegate = nullptr;
    QPointer<QLineEdit> mTextField;
    FileDropTarget mDropTarget;
    bool mUseParentForDraggedFiles = false;
    QString mNotificationName;
    QString mNotificationKey;
    QString mPrefKey;
    QMetaObject::Connection mNotificationObservation;
};
