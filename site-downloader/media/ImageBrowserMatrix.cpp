#include "site-downloader/media/ImageBrowserMatrix.h"

#include "site-downloader/media/ImageBrowserText.h"
#include "site-downloader/media/ImageBrowserWindowController.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QUrl>
#include <QtDebug>

namespace {

constexpr int kTitlePointSize = 9;

QFont titleFont()
{
    QFont font = QApplication::font();
    font.setPointSize(kTitlePointSize);
    return font;
}

} // namespace

class ImageBrowserMatrixModel final : public QAbstractTableModel
{
public:
    explicit ImageBrowserMatrixModel(ImageBrowserMatrix *matrix) : QAbstractTableModel(matrix), _matrix(matrix) {}

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : _matrix->numberOfRows(); }
    int columnCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : ImageBrowserMatrix::kColumnCount;
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const ImageBrowserButtonCell *cell = _matrix->cellAtIndex(index);
        if (!cell)
            return {};
        if (role == Qt::DisplayRole)
            return cell->title();
        if (role == Qt::ToolTipRole)
            return cell->getFilePath();
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        const ImageBrowserButtonCell *cell = _matrix->cellAtIndex(index);
        if (!cell)
            return Qt::NoItemFlags;
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (!cell->getFilePath().isEmpty())
            flags |= Qt::ItemIsDragEnabled;
        return flags;
    }

    void beginAppendRow(int row) { beginInsertRows({}, row, row); }
    void endAppendRow() { endInsertRows(); }
    void beginDropRow(int row) { beginRemoveRows({}, row, row); }
    void endDropRow() { endRemoveRows(); }
    void cellChanged(int row, int column)
    {
        const QModelIndex changed = index(row, column);
        emit dataChanged(changed, changed);
    }

private:
    ImageBrowserMatrix *_matrix;
};

namespace {

// Draws a cell as the grid shows it: the picture centred above a two-line title.
class ThumbnailCellPainter final : public QStyledItemDelegate
{
public:
    ThumbnailCellPainter(ImageBrowserMatrix *matrix) : QStyledItemDelegate(matrix), _matrix(matrix) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const ImageBrowserButtonCell *cell = _matrix->cellAtRow(index.row(), index.column());
        if (!cell)
            return;
        painter->save();
        if (option.state & QStyle::State_Selected)
            painter->fillRect(option.rect, option.palette.highlight());
        const QRect pictureArea(option.rect.left(), option.rect.top() + 2, option.rect.width(), int(kThumbnailSide));
        if (!cell->image().isNull()) {
            const QSizeF size = cell->imageDisplaySize();
            const QRectF target(pictureArea.left() + (pictureArea.width() - size.width()) / 2,
                                pictureArea.top() + (pictureArea.height() - size.height()) / 2, size.width(),
                                size.height());
            painter->setRenderHint(QPainter::SmoothPixmapTransform);
            painter->drawImage(target, cell->image());
        }
        if (!cell->title().isEmpty()) {
            painter->setFont(titleFont());
            painter->setPen(option.state & QStyle::State_Selected ? option.palette.highlightedText().color()
                                                                  : option.palette.text().color());
            const QRect titleArea(option.rect.left(), pictureArea.bottom(), option.rect.width(),
                                  option.rect.bottom() - pictureArea.bottom());
            painter->drawText(titleArea, Qt::AlignHCenter | Qt::AlignTop, cell->title());
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return {ImageBrowserMatrix::kCellSide, ImageBrowserMatrix::kCellSide};
    }

private:
    ImageBrowserMatrix *_matrix;
};

} // namespace

ImageBrowserMatrix::ImageBrowserMatrix(QWidget *parent) : QTableView(parent), _model(new ImageBrowserMatrixModel(this))
{
    setModel(_model);
    setItemDelegate(new ThumbnailCellPainter(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultSectionSize(kCellSide);
    verticalHeader()->setDefaultSectionSize(kCellSide);
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setAcceptDrops(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setMinimumWidth(kColumnCount * kCellSide + 24);
}

ImageBrowserMatrix::~ImageBrowserMatrix() = default;

bool ImageBrowserMatrix::addItemWithPath(const QString &path)
{
    if (path.isEmpty())
        return false;
    return addArtItemWithImage(LoadThumbnailImage(path), path);
}

bool ImageBrowserMatrix::addArtItemWithImage(const ThumbnailImage &image, const QString &path)
{
    if (path.isEmpty() || image.isNull() || !passesFilters(image))
        return false;
    placeThumbnail(image, path);
    return true;
}

bool ImageBrowserMatrix::passesFilters(const ThumbnailImage &image) const
{
    const int width = image.originalSize.width();
    const int height = image.originalSize.height();
    if (_imageDimensionFilterActive) {
        const bool kept = _imageDimensionFilterType < 0
                              ? height < _imageLimitHeight && width < _imageLimitWidth
                              : height > _imageLimitHeight && width > _imageLimitWidth;
        if (!kept)
            return false;
    }
    if (_addImageFilterBySize) {
        const bool kept = _addImageFilterType < 0 ? image.fileSize < _addImageFilterFileSize
                                                  : image.fileSize > _addImageFilterFileSize;
        if (!kept)
            return false;
    }
    return true;
}

void ImageBrowserMatrix::placeThumbnail(const ThumbnailImage &image, const QString &path)
{
    _row = numberOfRows() - 1;
    if (numberOfRows() == 0) {
        addRow();
        _row = 0;
        _column = 0;
    } else if (_column >= kColumnCount) {
        addRow();
        _column = 0;
        _row += 1;
    }
    ImageBrowserButtonCell *cell = cellAtRow(_row, _column);
    cell->setImage(image.picture, image.displaySize);
    QFontMetricsF metrics(QApplication::font());
    cell->setTitle(CenterTruncateString(QFileInfo(path).fileName(), kCellSide, metrics) + QLatin1Char('\n')
                   + NaturalSizeText(image.originalSize));
    cell->setPropertiesDictionary({{ImageBrowserButtonCell::kFilePathKey, path}});
    _model->cellChanged(_row, _column);
    _column += 1;
    _totalImages += 1;
}

void ImageBrowserMatrix::setImageDimensionFilter(bool active, int32_t filterType, float imageHeight, float imageWidth)
{
    _imageDimensionFilterActive = active;
    _imageDimensionFilterType = filterType;
    _imageLimitHeight = int32_t(imageHeight);
    _imageLimitWidth = int32_t(imageWidth);
}

void ImageBrowserMatrix::setImageFileSizeFilter(bool active, int32_t filterType, int64_t fileSizeInBytes)
{
    _addImageFilterBySize = active;
    _addImageFilterType = filterType;
    _addImageFilterFileSize = fileSizeInBytes;
}

QSizeF ImageBrowserMatrix::scaleImage(const QSizeF &imageSize, float width, float height, bool keepProportions)
{
    return ThumbnailDisplaySize(imageSize, width, height, keepProportions);
}

void ImageBrowserMatrix::addRow()
{
    const int row = numberOfRows();
    _model->beginAppendRow(row);
    Row cells;
    for (auto &cell : cells)
        cell = std::make_unique<ImageBrowserButtonCell>();
    _cells.push_back(std::move(cells));
    _model->endAppendRow();
}

ImageBrowserButtonCell *ImageBrowserMatrix::cellAtRow(int row, int column) const
{
    if (row < 0 || row >= numberOfRows() || column < 0 || column >= kColumnCount)
        return nullptr;
    return _cells[size_t(row)][size_t(column)].get();
}

ImageBrowserButtonCell *ImageBrowserMatrix::cellAtIndex(const QModelIndex &index) const
{
    return index.isValid() ? cellAtRow(index.row(), index.column()) : nullptr;
}

ImageBrowserButtonCell *ImageBrowserMatrix::selectedCell() const
{
    return cellAtRow(selectedRow(), selectedColumn());
}

int ImageBrowserMatrix::selectedRow() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

int ImageBrowserMatrix::selectedColumn() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().column();
}

void ImageBrowserMatrix::selectCell(int row, int column)
{
    selectionModel()->select(_model->index(row, column), QItemSelectionModel::ClearAndSelect);
}

void ImageBrowserMatrix::removeRow(int row)
{
    if (row < 0 || row >= numberOfRows())
        return;
    _model->beginDropRow(row);
    _cells.erase(_cells.begin() + row);
    _model->endDropRow();
}

void ImageBrowserMatrix::clearCellAt(int row, int column)
{
    if (!cellAtRow(row, column))
        return;
    _cells[size_t(row)][size_t(column)] = std::make_unique<ImageBrowserButtonCell>();
    _model->cellChanged(row, column);
}

void ImageBrowserMatrix::imageClicked(ImageBrowserButtonCell *cell, Qt::KeyboardModifiers modifiers)
{
    if (_delegate)
        _delegate->imageBrowserMatrixCellClicked(this, cell, modifiers);
}

void ImageBrowserMatrix::keyPressEvent(QKeyEvent *event)
{
    qInfo("keycode: %d", int(event->nativeScanCode()));
    event->accept();
}

void ImageBrowserMatrix::mousePressEvent(QMouseEvent *event)
{
    _pressedIndex = indexAt(event->position().toPoint());
    QTableView::mousePressEvent(event);
}

void ImageBrowserMatrix::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    // A click counts, as on a button, only when the mouse goes up over the cell it went down on.
    const QModelIndex released = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && released.isValid() && released == _pressedIndex)
        imageClicked(cellAtIndex(released), event->modifiers());
    _pressedIndex = {};
}

void ImageBrowserMatrix::startDrag(Qt::DropActions)
{
    const ImageBrowserButtonCell *cell = selectedCell();
    if (!cell || cell->getFilePath().isEmpty())
        return;
    auto *data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(cell->getFilePath())});
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    if (!cell->image().isNull())
        drag->setPixmap(QPixmap::fromImage(cell->image()));
    drag->exec(Qt::CopyAction);
}
