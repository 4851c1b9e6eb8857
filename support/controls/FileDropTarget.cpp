#include "support/controls/FileDropTarget.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {

// Neither a copy nor a link asks the source to give up its file; a move-only drag might make a
// file manager delete the original once we accept, so it is refused.
Qt::DropAction harmlessDropAction(Qt::DropActions possible)
{
    if (possible & Qt::CopyAction)
        return Qt::CopyAction;
    if (possible & Qt::LinkAction)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

} // namespace

FileDropTarget::FileDropTarget(QWidget *view, std::function<void(bool highlighted)> highlightChanged)
    : _view(view), _highlightChanged(std::move(highlightChanged)), _dragTypes{fileNamesType()}
{
    _view->setAcceptDrops(true);
}

QString FileDropTarget::fileNamesType()
{
    return QStringLiteral("text/uri-list");
}

void FileDropTarget::setHighlighted(bool highlighted)
{
    if (_highlighted == highlighted)
        return;
    _highlighted = highlighted;
    if (_highlightChanged)
        _highlightChanged(highlighted);
}

QStringList FileDropTarget::itemsOfType(const QMimeData *data, const QString &type)
{
    if (!data || type.isEmpty() || !data->hasFormat(type))
        return {};
    if (type == fileNamesType()) {
        QStringList paths;
        for (const QUrl &url : data->urls()) {
            if (!url.isLocalFile())
                return {};
            paths << url.toLocalFile();
        }
        return paths;
    }
    const QString text = QString::fromUtf8(data->data(type));
    return text.isEmpty() ? QStringList{} : QStringList{text};
}

void FileDropTarget::draggingEntered(QDragEnterEvent *event)
{
    _desiredType.clear();
    for (const QString &type : std::as_const(_dragTypes)) {
        if (event->mimeData()->hasFormat(type)) {
            _desiredType = type;
            break;
        }
    }
    const Qt::DropAction action = harmlessDropAction(event->possibleActions());
    const qsizetype itemCount = itemsOfType(event->mimeData(), _desiredType).size();
    const bool countAccepted = _acceptsSeveralItems ? itemCount >= 1 : itemCount == 1;
    if (!countAccepted || action == Qt::IgnoreAction) {
        // Qt sends no leave event after a refused entry, so a highlight set now would stay.
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
    setHighlighted(true);
}

void FileDropTarget::draggingUpdated(QDragMoveEvent *event)
{
    const Qt::DropAction action = harmlessDropAction(event->possibleActions());
    if (action == Qt::IgnoreAction || _desiredType.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void FileDropTarget::draggingExited(QDragLeaveEvent *event)
{
    event->accept();
    setHighlighted(false);
}

QStringList FileDropTarget::takeDrop(QDropEvent *event)
{
    const QStringList items = itemsOfType(event->mimeData(), _desiredType);
    const Qt::DropAction action = harmlessDropAction(event->possibleActions());
    if (items.isEmpty() || action == Qt::IgnoreAction) {
        event->ignore();
        setHighlighted(false);
        return {};
    }
    event->setDropAction(action);
    event->accept();
    return items;
}
