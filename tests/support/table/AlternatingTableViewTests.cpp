#include "support/table/AlternatingTableView.h"
#include "support/table/ObjectTableDataSource.h"

#include <QHeaderView>
#include <QImage>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPixmap>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

const QString kName = QStringLiteral("name");
const QString kSize = QStringLiteral("size");

// Collects the keys that the table did not take, which travel on to its parent.
class KeyWitness final : public QWidget
{
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *event) override { keys.append(event->key()); }
};

std::string describe(const QColor &color)
{
    return "rgb(" + std::to_string(color.red()) + ", " + std::to_string(color.green()) + ", "
           + std::to_string(color.blue()) + ")";
}

bool sameColor(const QColor &left, const QColor &right)
{
    return std::abs(left.red() - right.red()) <= 1 && std::abs(left.green() - right.green()) <= 1
           && std::abs(left.blue() - right.blue()) <= 1;
}

// Pixels of the overlay's dark grey text, which neither stripe colour comes near.
QRect darkPixelBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor color = image.pixelColor(x, y);
            if (color.red() < 160 && color.green() < 160 && color.blue() < 160)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

class TableViewTest : public testing::Test
{
protected:
    void SetUp() override
    {
        model.setColumnIdentifiers({kName, kSize});
        model.setHeaderData(0, Qt::Horizontal, QStringLiteral("Name"));
        model.setHeaderData(1, Qt::Horizontal, QStringLiteral("Size"));
        auto *layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view);
        view->setModel(&model);
        // Narrow columns leave room on the right, where only the row stripes paint.
        view->setColumnWidth(0, 120);
        view->setColumnWidth(1, 60);
        window.resize(400, 320);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void addRows(int rows, bool withText = true)
    {
        for (int number = 0; number < rows; ++number) {
            const int row = model.insertItem(-1);
            if (withText)
                model.setItemObject(QStringLiteral("file%1.html").arg(row), row, kName);
        }
    }

    QImage viewportImage() const { return view->viewport()->grab().toImage(); }
    int stripeHeight() const { return view->verticalHeader()->defaultSectionSize(); }

    ObjectTableDataSource model;
    KeyWitness window;
    AlternatingTableView *view = new AlternatingTableView;
};

TEST_F(TableViewTest, EvenRowsArePaleBlueAndTheStripesContinueBelowTheLastRow)
{
    addRows(3);
    const QImage image = viewportImage();
    const int height = stripeHeight();
    const int besideColumns = image.width() - 10;
    const int emptyCell = view->columnViewportPosition(1) + 30;
    for (int row = 0; row < 3; ++row) {
        const int y = view->rowViewportPosition(row) + view->rowHeight(row) / 2;
        const QColor expected = row % 2 == 0 ? AlternatingTableView::evenRowColor() : AlternatingTableView::oddRowColor();
        for (const int x : {besideColumns, emptyCell})
            EXPECT_TRUE(sameColor(image.pixelColor(x, y), expected)) << "row " << row << " at x " << x << ": " << describe(image.pixelColor(x, y));
    }
    // Below the rows the stripe count goes on from 3: white, pale blue, white, ...
    const int below = view->rowViewportPosition(2) + view->rowHeight(2);
    for (int stripe = 0; below + stripe * height + height / 2 < image.height(); ++stripe) {
        const int y = below + stripe * height + height / 2;
        const QColor expected =
            (3 + stripe) % 2 == 0 ? AlternatingTableView::evenRowColor() : AlternatingTableView::oddRowColor();
        EXPECT_TRUE(sameColor(image.pixelColor(besideColumns, y), expected)) << "stripe " << stripe << ": " << describe(image.pixelColor(besideColumns, y));
        EXPECT_TRUE(sameColor(image.pixelColor(20, y), expected)) << "stripe " << stripe;
    }
}

TEST_F(TableViewTest, AnEmptyTableIsStripedFromTheTop)
{
    const QImage image = viewportImage();
    const int height = stripeHeight();
    EXPECT_TRUE(sameColor(image.pixelColor(50, height / 2), AlternatingTableView::evenRowColor()));
    EXPECT_TRUE(sameColor(image.pixelColor(50, height + height / 2), AlternatingTableView::oddRowColor()));
    EXPECT_TRUE(sameColor(image.pixelColor(50, 2 * height + height / 2), AlternatingTableView::evenRowColor()));
}

TEST_F(TableViewTest, APartialRepaintDrawsWhatAFullOneDraws)
{
    addRows(2, false);
    view->setOverlayText(QStringLiteral("Nothing downloaded yet"));
    view->setAlwaysDrawOverlay(true);
    const QImage full = viewportImage();
    // A band that starts in the middle of a stripe and cuts through the overlay text.
    const QRect band(30, view->rowViewportPosition(1) + view->rowHeight(1) + stripeHeight() / 3, full.width() - 90,
                     full.height() / 2);
    QPixmap partial(view->viewport()->size());
    partial.fill(Qt::black);
    view->viewport()->render(&partial, band.topLeft(), QRegion(band));
    const QImage partialImage = partial.toImage();
    int differing = 0;
    for (int y = band.top(); y <= band.bottom(); ++y) {
        for (int x = band.left(); x <= band.right(); ++x)
            differing += partialImage.pixel(x, y) != full.pixel(x, y);
    }
    EXPECT_EQ(differing, 0);
    EXPECT_FALSE(darkPixelBounds(full.copy(band)).isEmpty());
}

TEST_F(TableViewTest, OverlayShowsWhileEmptyUnlessAlwaysDrawn)
{
    view->setOverlayText(QStringLiteral("No addresses to display"));
    const QImage empty = viewportImage();
    const QRect text = darkPixelBounds(empty);
    ASSERT_FALSE(text.isEmpty());
    // Centred across, starting at 0.4 of the inset height: a little above the middle.
    EXPECT_NEAR(text.center().x(), empty.width() / 2, empty.width() / 20);
    EXPECT_GE(text.top(), empty.height() * 0.32 - 2);
    EXPECT_LT(text.top(), empty.height() / 2);

    addRows(1, false);
    EXPECT_TRUE(darkPixelBounds(viewportImage()).isEmpty());
    view->setAlwaysDrawOverlay(true);
    EXPECT_EQ(darkPixelBounds(viewportImage()), text);

    view->setOverlayFontSize(30);
    EXPECT_GT(darkPixelBounds(viewportImage()).height(), text.height() * 3 / 2);
    view->setOverlayText(QString());
    EXPECT_TRUE(darkPixelBounds(viewportImage()).isEmpty());
}

TEST_F(TableViewTest, PlainDeleteKeysSendTheDeleteAction)
{
    addRows(2);
    QList<AlternatingTableView *> senders;
    // Without an action the keys are the table's, which leaves them to its parent.
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(window.keys, (QList<int>{Qt::Key_Delete}));

    view->setDeleteAction([&senders](AlternatingTableView *sender) { senders.append(sender); });
    window.keys.clear();
    QTest::keyClick(view, Qt::Key_Delete);
    QTest::keyClick(view, Qt::Key_Backspace);
    QTest::keyClick(view, Qt::Key_Delete, Qt::KeypadModifier);
    EXPECT_EQ(senders.size(), 3);
    EXPECT_TRUE(std::all_of(senders.begin(), senders.end(), [this](AlternatingTableView *sender) { return sender == view; }));
    EXPECT_TRUE(window.keys.isEmpty());

    QTest::keyClick(view, Qt::Key_Delete, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Backspace, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Delete, Qt::AltModifier);
    QTest::keyClick(view, Qt::Key_X);
    EXPECT_EQ(senders.size(), 3);
}

class SelectionDelegate final : public ObjectTableDataSourceDelegate
{
public:
    void tableViewSelectionDidChange(ObjectTableDataSource *, const QItemSelectionModel *selection) override
    {
        QList<int> rows;
        for (const QModelIndex &index : selection->selectedRows())
            rows.append(index.row());
        selections.append(rows);
    }
    QList<QList<int>> selections;
};

TEST_F(TableViewTest, SelectionChangesReachTheModelsDelegate)
{
    addRows(3);
    SelectionDelegate delegate;
    model.setDelegate(&delegate);
    view->selectRow(1);
    view->selectRow(2);
    view->clearSelection();
    EXPECT_EQ(delegate.selections, (QList<QList<int>>{{1}, {2}, {}}));

    // A new model brings a new selection model, which is followed too.
    ObjectTableDataSource other;
    other.setColumnIdentifiers({kName});
    other.insertItem(-1);
    other.setDelegate(&delegate);
    view->setModel(&other);
    view->selectRow(0);
    EXPECT_EQ(delegate.selections.last(), (QList<int>{0}));
    view->setModel(&model);
    other.setDelegate(nullptr);
    model.setDelegate(nullptr);
}

TEST_F(TableViewTest, SavesAScreenshotForReview)
{
    const QStringList names{QStringLiteral("index.html"), QStringLiteral("style.css"), QStringLiteral("logo.png"),
                            QStringLiteral("about/index.html")};
    const QStringList sizes{QStringLiteral("4.6 KB"), QStringLiteral("812 Bytes"), QStringLiteral("200 KB"),
                            QStringLiteral("3.1 KB")};
    for (qsizetype index = 0; index < names.size(); ++index) {
        const int row = model.insertItem(-1);
        model.setItemObject(names[index], row, kName);
        model.setItemObject(sizes[index], row, kSize);
    }
    view->setColumnWidth(1, 90);
    view->setOverlayText(QStringLiteral("Saved files appear here"));
    view->setAlwaysDrawOverlay(true);
    const QString path = QStringLiteral(TABLE_SCREENSHOT_FOLDER "/striped-table.png");
    ASSERT_TRUE(window.grab().save(path));
    EXPECT_FALSE(QImage(path).isNull());
}

} // namespace
