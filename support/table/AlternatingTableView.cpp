#include "support/table/AlternatingTableView.h"

#include "support/table/AlternatingTableColumn.h"
#include "support/table/ObjectTableDataSource.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

namespace {

// The overlay keeps a tenth of the table free on every side, and its text starts at 0.4 of the
// inset height: a little above the middle of the table.
constexpr qreal kOverlayInset = 0.1;
constexpr qreal kOverlayTop = 0.4;

} // namespace

AlternatingTableView::AlternatingTableView(QWidget *parent) : QTableView(parent)
{
    setItemDelegate(new AlternatingTableColumn(this));
    // A list of rows, not a grid: no row numbers, no grid lines, whole rows selected.
    verticalHeader()->hide();
    setShowGrid(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
}

AlternatingTableView::~AlternatingTableView() = default;

QColor AlternatingTableView::evenRowColor()
{
    static const QColor color = QColor::fromRgbF(0.9294f, 0.9529f, 0.9961f, 1.0f);
    return color;
}

QColor AlternatingTableView::oddRowColor()
{
    static const QColor color(Qt::white);
    return color;
}

void AlternatingTableView::setOverlayText(const QString &text)
{
    _overlayText = text;
    viewport()->update();
}

void AlternatingTableView::setAlwaysDrawOverlay(bool always)
{
    _alwaysDrawOverlay = always;
    viewport()->update();
}

void AlternatingTableView::setOverlayFontSize(int8_t size)
{
    _overlayFontSize = size;
    viewport()->update();
}

void AlternatingTableView::setModel(QAbstractItemModel *newModel)
{
    for (const QMetaObject::Connection &connection : _modelConnections)
        disconnect(connection);
    _modelConnections.clear();
    QTableView::setModel(newModel);
    if (!newModel)
        return;
    // The stripes below the rows and the overlay depend on the number of rows.
    const auto repaint = [this] { viewport()->update(); };
    _modelConnections.push_back(connect(newModel, &QAbstractItemModel::rowsInserted, this, repaint));
    _modelConnections.push_back(connect(newModel, &QAbstractItemModel::rowsRemoved, this, repaint));
    _modelConnections.push_back(connect(newModel, &QAbstractItemModel::modelReset, this, repaint));
    _modelConnections.push_back(connect(newModel, &QAbstractItemModel::layoutChanged, this, repaint));
}

void AlternatingTableView::setSelectionModel(QItemSelectionModel *newSelectionModel)
{
    QTableView::setSelectionModel(newSelectionModel);
    disconnect(_selectionConnection);
    if (selectionModel())
        _selectionConnection = connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
                                       &AlternatingTableView::forwardSelectionChange);
}

void AlternatingTableView::forwardSelectionChange()
{
    // A selected column keeps its highlight below the rows, which the view does not repaint.
    if (selectionBehavior() != QAbstractItemView::SelectRows)
        viewport()->update();
    if (auto *source = qobject_cast<ObjectTableDataSource *>(model()))
        source->tableViewSelectionDidChange(selectionModel());
}

void AlternatingTableView::keyPressEvent(QKeyEvent *event)
{
    const bool deleteKey = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    // The keypad flag says where the key is, not that a modifier is held.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (deleteKey && modifiers == Qt::NoModifier && _deleteAction) {
        // A copy: the action may replace itself.
        const DeleteAction action = _deleteAction;
        action(this);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void AlternatingTableView::paintEvent(QPaintEvent *event)
{
    {
        QPainter underCells(viewport());
        paintRowStripes(underCells, event->rect());
    }
    QTableView::paintEvent(event);
    QPainter painter(viewport());
    paintStripesBelowLastRow(painter);
    if (overlayShows())
        paintOverlay(painter);
}

bool AlternatingTableView::overlayShows() const
{
    if (_overlayText.isEmpty())
        return false;
    return _alwaysDrawOverlay || !model() || model()->rowCount(rootIndex()) == 0;
}

void AlternatingTableView::paintRowStripes(QPainter &painter, const QRect &dirty)
{
    const QHeaderView *rows = verticalHeader();
    if (rows->count() == 0)
        return;
    const int firstVisual = std::max(0, rows->visualIndexAt(dirty.top()));
    int lastVisual = rows->visualIndexAt(dirty.bottom());
    if (lastVisual < 0)
        lastVisual = rows->count() - 1;
    const QRect area = viewport()->rect();
    for (int visual = firstVisual; visual <= lastVisual; ++visual) {
        const int row = rows->logicalIndex(visual);
        if (row % 2 != 0 || isRowHidden(row))
            continue;
        const QRect rowArea(area.left(), rowViewportPosition(row), area.width(), rowHeight(row));
        const bool selected = selectionModel() && selectionModel()->isRowSelected(row, rootIndex());
        if (!selected) {
            painter.fillRect(rowArea & dirty, evenRowColor());
            continue;
        }
        // Only under the cells, whose highlight covers them; elsewhere the row stays unpainted.
        for (int column = 0; column < horizontalHeader()->count(); ++column) {
            if (!isColumnHidden(column))
                painter.fillRect(visualRect(model()->index(row, column, rootIndex())) & dirty, evenRowColor());
        }
    }
}

void AlternatingTableView::paintStripesBelowLastRow(QPainter &painter)
{
    const QHeaderView *rows = verticalHeader();
    const int stripeHeight = rows->defaultSectionSize();
    if (stripeHeight <= 0)
        return;
    const int rowCount = rows->count();
    // Measured from the rows, not from the area being repainted, so that a partial repaint
    // continues the same pattern.
    const QRect area = viewport()->rect();
    const int top = rowCount > 0 ? rows->length() - rows->offset() : 0;
    if (top > area.bottom())
        return;

    std::vector<QRect> unselectedColumns;
    bool anyColumnSelected = false;
    if (rowCount > 0 && selectionBehavior() != QAbstractItemView::SelectRows && selectionModel()) {
        const QRect below(area.left(), top, area.width(), area.bottom() - top + 1);
        for (int column = 0; column < horizontalHeader()->count(); ++column) {
            if (isColumnHidden(column))
                continue;
            const QRect columnArea = QRect(columnViewportPosition(column), top, columnWidth(column), below.height()) & below;
            if (selectionModel()->isColumnSelected(column, rootIndex())) {
                anyColumnSelected = true;
                painter.fillRect(columnArea, palette().brush(QPalette::Active, QPalette::Highlight));
            } else {
                unselectedColumns.push_back(columnArea);
            }
        }
    }

    for (int stripe = 0;; ++stripe) {
        const QRect visible = QRect(area.left(), top + stripe * stripeHeight, area.width(), stripeHeight) & area;
        if (visible.isEmpty())
            break;
        if ((rowCount + stripe) % 2 != 0)
            continue;
        if (!anyColumnSelected) {
            painter.fillRect(visible, evenRowColor());
            continue;
        }
        for (const QRect &column : unselectedColumns)
            painter.fillRect(visible & column, evenRowColor());
    }
}

void AlternatingTableView::paintOverlay(QPainter &painter)
{
    // Laid out in the whole visible area rather than the area being repainted, so that partial
    // repaints draw the text in the same place.
    const QRectF bounds = viewport()->rect();
    QRectF textArea = bounds.adjusted(bounds.width() * kOverlayInset, bounds.height() * kOverlayInset,
                                      -bounds.width() * kOverlayInset, -bounds.height() * kOverlayInset);
    textArea.moveTop(bounds.top() + textArea.height() * kOverlayTop);

    QFont overlayFont = font();
    if (_overlayFontSize > 0)
        overlayFont.setPointSize(_overlayFontSize);
    painter.setFont(overlayFont);
    painter.setPen(QColor::fromRgbF(1.0f / 3, 1.0f / 3, 1.0f / 3));
    painter.drawText(textArea, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, _overlayText);
}
