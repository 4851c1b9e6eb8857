#include "support/controls/DragAndDropBox.h"

#include "support/controls/NotificationCenter.h"
#include "support/defaults/UserDefaults.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QPainter>

namespace {

constexpr int kHighlightWidth = 2;

} // namespace

DragAndDropBox::DragAndDropBox(QWidget *parent)
    : QGroupBox(parent), mDropTarget(this, [this](bool) { update(); })
{
}

DragAndDropBox::~DragAndDropBox()
{
    disconnect(mNotificationObservation);
}

void DragAndDropBox::setTextField(QLineEdit *textField)
{
    mTextField = textField;
}

void DragAndDropBox::setNotificationName(const QString &name, const QString &key, const QString &prefKey)
{
    if (name.isEmpty() != key.isEmpty())
        return;
    mNotificationKey = key;
    mPrefKey = prefKey;
    if (name == mNotificationName)
        return;
    disconnect(mNotificationObservation);
    mNotificationObservation = {};
    mNotificationName = name;
    if (!name.isEmpty()) {
        mNotificationObservation = NotificationCenter::defaultCenter().addObserver(
            this, name, [this](QObject *sender, const QVariantMap &userInfo) { pathDidChange(sender, userInfo); });
    }
}

void DragAndDropBox::setPath(const QString &path, bool notify)
{
    showPath(path);
    storePathPreference(path);
    if (mDelegate)
        mDelegate->filesDropped(this, QStringList{path});
    if (notify)
        postPathNotification(path);
}

void DragAndDropBox::dragEnterEvent(QDragEnterEvent *event)
{
    mDropTarget.draggingEntered(event);
}

void DragAndDropBox::dragMoveEvent(QDragMoveEvent *event)
{
    mDropTarget.draggingUpdated(event);
}

void DragAndDropBox::dragLeaveEvent(QDragLeaveEvent *event)
{
    mDropTarget.draggingExited(event);
}

void DragAndDropBox::dropEvent(QDropEvent *event)
{
    const QStringList filePaths = mDropTarget.takeDrop(event);
    if (!filePaths.isEmpty())
        concludeDragOperation(filePaths);
}

void DragAndDropBox::concludeDragOperation(const QStringList &filePaths)
{
    QString path = filePaths.first();
    if (mUseParentForDraggedFiles && !QFileInfo(path).isDir())
        path = QFileInfo(path).absolutePath();
    showPath(path);
    storePathPreference(path);
    if (mDelegate) {
        // A delegate may close the window, and the box with it, from inside its message.
        const QPointer<DragAndDropBox> alive(this);
        mDelegate->filesDropped(this, filePaths);
        if (!alive)
            return;
    }
    postPathNotification(path);
    mDropTarget.setHighlighted(false);
}

void DragAndDropBox::pathDidChange(QObject *sender, const QVariantMap &userInfo)
{
    if (mNotificationKey.isEmpty() || sender == this)
        return;
    const QVariant path = userInfo.value(mNotificationKey);
    if (path.typeId() != QMetaType::QString)
        return;
    setPath(path.toString(), false);
}

void DragAndDropBox::showPath(const QString &path)
{
    if (!mTextField)
        return;
    mTextField->setText(path);
    // A field may have been coloured to flag a missing folder; a chosen path reads as normal text.
    QPalette palette = mTextField->palette();
    palette.setColor(QPalette::Text, QApplication::palette(mTextField).color(QPalette::Text));
    mTextField->setPalette(palette);
}

void DragAndDropBox::storePathPreference(const QString &path) const
{
    if (!mPrefKey.isEmpty())
        UserDefaults::setObject(path, mPrefKey);
}

void DragAndDropBox::postPathNotification(const QString &path)
{
    if (mNotificationName.isEmpty() || mNotificationKey.isEmpty())
        return;
    NotificationCenter::defaultCenter().postNotification(mNotificationName, this, {{mNotificationKey, path}});
}

void DragAndDropBox::paintEvent(QPaintEvent *event)
{
    QGroupBox::paintEvent(event);
    if (!isHighlighted())
        return;
    QPainter painter(this);
    QPen pen(palette().color(QPalette::Highlight));
    pen.setWidth(kHighlightWidth);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
}
