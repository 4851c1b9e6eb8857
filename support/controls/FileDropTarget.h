#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QDragEnterEvent;
class QDragLeaveEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QWidget;

// What a control that takes dropped files tells its owner. Every message is optional: the
// defaults do nothing. A delegate is never owned by the control; one that goes away first clears
// itself with the control's setDelegate(nullptr).
class FileDropDelegate
{
public:
    virtual ~FileDropDelegate() = default;
    virtual void filesDropped(QWidget * /*sender*/, const QStringList & /*filePaths*/) {}
};

// The drag handling that every drop-target control shares: the accepted types, the type found
// on the current drag and the highlight. The owning widget forwards its drag events here and
// decides itself what a drop means.
class FileDropTarget final
{
public:
    // `highlightChanged` lets the owner show the highlight its own way (a frame, a pressed look).
    FileDropTarget(QWidget *view, std::function<void(bool highlighted)> highlightChanged);
    FileDropTarget(const FileDropTarget &) = delete;
    FileDropTarget &operator=(const FileDropTarget &) = delete;

    // Local files travel as a URI list; only file: URLs count as file names.
    static QString fileNamesType();

    const QStringList &dragTypes() const { return _dragTypes; }
    void setDragTypes(const QStringList &types) { _dragTypes = types; }
    // The accepted type found on the current (or last) drag; empty when none matched.
    const QString &desiredType() const { return _desiredType; }
    bool isHighlighted() const { return _highlighted; }
    void setHighlighted(bool highlighted);

    // A drag is taken only when it carries exactly one item of an accepted type; a list of
    // several files, a remote address or an empty list is refused for the whole drag. Qt offers
    // no later chance to take a drag refused on entry, so a target that sorts several files at
    // once allows several items here.
    void setAcceptsSeveralItems(bool accepts) { _acceptsSeveralItems = accepts; }
    void draggingEntered(QDragEnterEvent *event);
    void draggingUpdated(QDragMoveEvent *event);
    void draggingExited(QDragLeaveEvent *event);
    // Accepts the drop and answers what it carries. The highlight stays until the owner has
    // handled the items and calls setHighlighted(false).
    QStringList takeDrop(QDropEvent *event);

    // The items the data holds under `type`: local paths for file names, the text otherwise.
    static QStringList itemsOfType(const QMimeData *data, const QString &type);

private:
    QWidget *_view;
    std::function<void(bool)> _highlightChanged;
    QStringList _dragTypes;
    QString _desiredType;
    bool _highlighted = false;
    bool _acceptsSeveralItems = false;
};
