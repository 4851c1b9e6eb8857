#include "support/controls/ShowHideAddition.h"

#include <algorithm>

NSHiddenViewRepository &NSHiddenViewRepository::sharedHiddenViewRepository()
{
    static NSHiddenViewRepository repository;
    return repository;
}

void NSHiddenViewRepository::forgetDestroyedViews()
{
    _hiddenViewRecords.removeIf([](const NSViewRecord &record) { return record._view.isNull(); });
}

void NSHiddenViewRepository::addRecordForView(QWidget *view)
{
    forgetDestroyedViews();
    _hiddenViewRecords.append({view, view->parentWidget(), view->sizePolicy().retainSizeWhenHidden()});
}

std::optional<NSViewRecord> NSHiddenViewRepository::deleteRecordForView(const QWidget *view)
{
    forgetDestroyedViews();
    for (qsizetype index = _hiddenViewRecords.size() - 1; index >= 0; --index) {
        if (_hiddenViewRecords[index]._view == view)
            return _hiddenViewRecords.takeAt(index);
    }
    return std::nullopt;
}

bool NSHiddenViewRepository::hasRecordForView(const QWidget *view) const
{
    return std::any_of(_hiddenViewRecords.cbegin(), _hiddenViewRecords.cend(),
                       [view](const NSViewRecord &record) { return record._view == view; });
}

namespace ShowHideAddition {

void hide(QWidget *view)
{
    NSHiddenViewRepository &repository = NSHiddenViewRepository::sharedHiddenViewRepository();
    if (!view || !view->parentWidget() || repository.hasRecordForView(view))
        return;
    repository.addRecordForView(view);
    // Taking the view out of its parent, as the design does, would make Qt turn it into a window
    // of its own; hiding it while its size is kept leaves its frame and its neighbours in place.
    QSizePolicy policy = view->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    view->setSizePolicy(policy);
    view->hide();
}

void show(QWidget *view)
{
    if (!view)
        return;
    const std::optional<NSViewRecord> record =
        NSHiddenViewRepository::sharedHiddenViewRepository().deleteRecordForView(view);
    if (!record)
        return;
    if (record->_superview && view->parentWidget() != record->_superview)
        view->setParent(record->_superview);
    view->show();
    view->raise();
    QSizePolicy policy = view->sizePolicy();
    policy.setRetainSizeWhenHidden(record->_retainedSizeWhenHidden);
    view->setSizePolicy(policy);
}

bool isHiddenByRepository(const QWidget *view)
{
    return NSHiddenViewRepository::sharedHiddenViewRepository().hasRecordForView(view);
}

} // namespace ShowHideAddition
