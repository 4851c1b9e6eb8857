#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <optional>

// Hiding a view so that it can come back later in the same place. The view keeps its parent and
// its place in the layout while hidden: it never becomes a window of its own, and its neighbours
// do not move into the gap.
namespace ShowHideAddition {

// Hides a view that sits in a parent, remembering it; a view already hidden this way, or one
// without a parent, is left alone.
void hide(QWidget *view);
// Brings back the view hidden last with hide(), in front of its siblings; a view that was never
// hidden this way stays as it is.
void show(QWidget *view);
// Whether hide() took the view away and show() has not yet brought it back.
bool isHiddenByRepository(const QWidget *view);

} // namespace ShowHideAddition

struct NSViewRecord {
    QPointer<QWidget> _view;
    QPointer<QWidget> _superview;
    // The view's own wish, given back on show, for layouts that collapse it when it is hidden
    // in the ordinary way.
    bool _retainedSizeWhenHidden = false;
};

// The hidden views, newest last. Lives for the whole process.
class NSHiddenViewRepository final
{
public:
    static NSHiddenViewRepository &sharedHiddenViewRepository();

    void addRecordForView(QWidget *view);
    // The newest record for the view, taken out of the repository; none when it has none.
    std::optional<NSViewRecord> deleteRecordForView(const QWidget *view);
    bool hasRecordForView(const QWidget *view) const;

private:
    NSHiddenViewRepository() { _hiddenViewRecords.reserve(20); }
    void forgetDestroyedViews();

    QList<NSViewRecord> _hiddenViewRecords;
};
