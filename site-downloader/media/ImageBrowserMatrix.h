#pragma once

#include "site-downloader/media/ImageBrowserButtonCell.h"
#include "site-downloader/media/ImageBrowserThumbnail.h"

#include <QTableView>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class ImageBrowserMatrixDelegate;
class ImageBrowserMatrixModel;

// The thumbnail grid: four 128 x 128 cells to a row, filled left to right in the order the files
// arrive, rows added one at a time. The size filters decide which pictures get a cell. Only the
// visible cells are painted, so the grid stays quick with thousands of thumbnails.
class ImageBrowserMatrix final : public QTableView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImageBrowserMatrix)

public:
    static constexpr int kColumnCount = 4;
    static constexpr int kCellSide = 128;

    explicit ImageBrowserMatrix(QWidget *parent = nullptr);
    ~ImageBrowserMatrix() override;

    void setDelegate(ImageBrowserMatrixDelegate *delegate) { _delegate = delegate; }
    ImageBrowserMatrixDelegate *delegate() const { return _delegate; }

    // Decodes the file scaled, on this thread, then adds it as addArtItemWithImage does.
    bool addItemWithPath(const QString &path);
    // Adds a cell for the picture if it passes the filters; false when it is left out.
    bool addArtItemWithImage(const ThumbnailImage &image, const QString &path);

    // Type below 0 keeps pictures smaller than the limits in both directions, otherwise larger;
    // an equal side fails either way. The limits are whole numbers of the picture's own pixels.
    void setImageDimensionFilter(bool active, int32_t filterType, float imageHeight, float imageWidth);
    // Type below 0 keeps files smaller than the limit, otherwise larger.
    void setImageFileSizeFilter(bool active, int32_t filterType, int64_t fileSizeInBytes);
    bool passesFilters(const ThumbnailImage &image) const;

    static QSizeF scaleImage(const QSizeF &imageSize, float width, float height, bool keepProportions);

    int numberOfRows() const { return int(_cells.size()); }
    int numberOfColumns() const { return kColumnCount; }
    ImageBrowserButtonCell *cellAtRow(int row, int column) const;
    // The selected cell, or null.
    ImageBrowserButtonCell *selectedCell() const;
    int selectedRow() const;
    int selectedColumn() const;
    void selectCell(int row, int column);
    void removeRow(int row);
    // Puts a fresh empty cell in place of the one at (row, column).
    void clearCellAt(int row, int column);
    int32_t totalImages() const { return _totalImages; }

    // The matrix's action for a click on a cell.
    void imageClicked(ImageBrowserButtonCell *cell, Qt::KeyboardModifiers modifiers);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    friend class ImageBrowserMatrixModel;
    using Row = std::array<std::unique_ptr<ImageBrowserButtonCell>, kColumnCount>;

    void addRow();
    void placeThumbnail(const ThumbnailImage &image, const QString &path);
    ImageBrowserButtonCell *cellAtIndex(const QModelIndex &index) const;

    ImageBrowserMatrixModel *_model;
    ImageBrowserMatrixDelegate *_delegate = nullptr;
    std::vector<Row> _cells;
    QModelIndex _pressedIndex;

    bool _imageDimensionFilterActive = false;
    int32_t _imageDimensionFilterType = -1;
    int32_t _imageLimitWidth = 0;
    int32_t _imageLimitHeight = 0;
    bool _addImageFilterBySize = false;
    int32_t _addImageFilterType = -1;
    int64_t _addImageFilterFileSize = 0;
    int32_t _totalImages = 0;
    int32_t _row = 0;
    int32_t _column = 0;
};
