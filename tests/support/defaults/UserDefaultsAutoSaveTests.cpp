// Control autosave: each control kind comes back as it was saved, and windows that close early
// neither crash the save nor lend it another window's values.
#include "support/defaults/UserDefaultsAutoSave.h"
#include "support/defaults/UserDefaults.h"
#include "tests/fixtures/QtPrinters.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QStringListModel>
#include <QTextEdit>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {

QStringList itemsOf(const QComboBox &comboBox)
{
    QStringList items;
    for (int index = 0; index < comboBox.count(); ++index)
        items.append(comboBox.itemText(index));
    return items;
}

QPixmap solidPicture(Qt::GlobalColor colour)
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(colour);
    return QPixmap::fromImage(image);
}

// A tool window whose name is unique to the test, so that stored dictionaries never leak
// between tests.
class AutoSaveTest : public testing::Test
{
protected:
    void SetUp() override
    {
        name = QString::fromUtf8(testing::UnitTest::GetInstance()->current_test_info()->name());
        window = makeWindow(name);
    }
    void TearDown() override { UserDefaults::removeObjectForKey(name); }

    static std::unique_ptr<QWidget> makeWindow(const QString &windowName)
    {
        auto made = std::make_unique<QWidget>();
        made->setObjectName(windowName);
        new QVBoxLayout(made.get());
        return made;
    }
    template <typename Control> Control *add(const QString &key)
    {
        auto *control = new Control(window.get());
        window->layout()->addWidget(control);
        UserDefaultsAutoSave::addAutoSaveObject(control, window.get(), key);
        return control;
    }
    QVariantMap stored() const { return UserDefaults::dictionaryForKey(name).value_or(QVariantMap()); }

    QString name;
    std::unique_ptr<QWidget> window;
};

TEST_F(AutoSaveTest, EveryControlKindComesBackAsSaved)
{
    auto *history = add<QComboBox>("history");
    history->setEditable(true);
    history->addItems({"older", "oldest"});
    history->setEditText("typed");
    auto *field = add<QLineEdit>("field");
    field->setText("address");
    auto *popUp = add<QComboBox>("popUp");
    popUp->addItems({"zero", "one", "two"});
    popUp->setCurrentIndex(2);
    auto *checkBox = add<QCheckBox>("checkBox");
    checkBox->setChecked(true);
    auto *mixed = add<QCheckBox>("mixed");
    mixed->setTristate(true);
    mixed->setCheckState(Qt::PartiallyChecked);
    auto *matrix = new QButtonGroup(window.get());
    for (int row = 0; row < 3; ++row)
        matrix->addButton(new QRadioButton(window.get()));
    matrix->buttons()[1]->setChecked(true);
    UserDefaultsAutoSave::addAutoSaveObject(matrix, window.get(), "matrix");
    auto *imageView = add<QLabel>("image");
    imageView->setPixmap(solidPicture(Qt::red));
    auto *slider = add<QSlider>("slider");
    slider->setRange(0, 100);
    slider->setValue(42);
    auto *spinBox = add<QDoubleSpinBox>("spin");
    spinBox->setValue(3.25);
    auto *plainText = add<QPlainTextEdit>("plainText");
    plainText->setPlainText("line one\nline two");
    auto *richText = add<QTextEdit>("richText");
    richText->setPlainText("rich");
    add<QWidget>("notAControl");

    UserDefaultsAutoSave::saveAutoSaveObjectsForWindow(window.get());
    EXPECT_FALSE(stored().contains("notAControl"));
    // A later launch reads the file, not this process's cache.
    ASSERT_TRUE(UserDefaults::synchronize());
    const QVariantMap onDisk = QSettings(QSettings().fileName(), QSettings::NativeFormat).value(name).toMap();
    EXPECT_EQ(onDisk, stored());

    history->clear();
    history->setEditText("");
    field->clear();
    popUp->setCurrentIndex(0);
    checkBox->setChecked(false);
    mixed->setCheckState(Qt::Checked);
    matrix->buttons()[2]->setChecked(true);
    imageView->setPixmap(solidPicture(Qt::blue));
    slider->setValue(0);
    spinBox->setValue(0);
    plainText->clear();
    richText->clear();

    UserDefaultsAutoSave::restoreAutoSaveObjectsForWindow(window.get());
    EXPECT_EQ(itemsOf(*history), (QStringList{"typed", "older", "oldest"}));
    EXPECT_EQ(history->currentText(), "typed");
    EXPECT_EQ(field->text(), "address");
    EXPECT_EQ(popUp->currentIndex(), 2);
    EXPECT_TRUE(checkBox->isChecked());
    EXPECT_EQ(mixed->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(matrix->checkedButton(), matrix->buttons()[1]);
    EXPECT_EQ(imageView->pixmap().toImage().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(slider->value(), 42);
    EXPECT_EQ(spinBox->value(), 3.25);
    EXPECT_EQ(plainText->toPlainText(), "line one\nline two");
    EXPECT_EQ(richText->toPlainText(), "rich");
}

TEST_F(AutoSaveTest, PicturesAreStoredAsTiff)
{
    ASSERT_TRUE(QImageReader::supportedImageFormats().contains("tiff")) << "qt6-image-formats-plugins missing";
    auto *imageView = add<QLabel>("image");
    imageView->setPixmap(solidPicture(Qt::green));
    const QByteArray data = UserDefaultsAutoSave::saveAutoSaveObject(imageView).toByteArray();
    EXPECT_TRUE(data.startsWith("II*") || data.startsWith("MM")) << data.left(4).toHex().toStdString();
}

TEST_F(AutoSaveTest, ComboBoxHistoryPutsTheTextFirstAndKeepsTen)
{
    auto *history = add<QComboBox>("history");
    history->setEditable(true);
    history->addItems({"a", "b", "c"});
    history->setCurrentIndex(1);
    EXPECT_EQ(UserDefaultsAutoSave::saveAutoSaveObject(history).toStringList(), (QStringList{"b", "a", "c"}));

    history->clear();
    QStringList older;
    for (int index = 0; index < 12; ++index)
        older.append(QStringLiteral("item %1").arg(index));
    history->addItems(older);
    history->setEditText("new");
    const QStringList saved = UserDefaultsAutoSave::saveAutoSaveObject(history).toStringList();
    EXPECT_EQ(saved, QStringList{"new"} + older.mid(0, 9));

    // An empty history is no history: the items stay.
    UserDefaultsAutoSave::restoreAutoSaveObject(history, QStringList());
    EXPECT_EQ(history->count(), 12);
}

TEST_F(AutoSaveTest, AComboBoxWithAModelOfItsOwnSavesOnlyItsText)
{
    QStringListModel model(QStringList{"x", "y"});
    auto *comboBox = add<QComboBox>("source");
    comboBox->setEditable(true);
    comboBox->setModel(&model);
    comboBox->setEditText("typed");
    EXPECT_EQ(UserDefaultsAutoSave::saveAutoSaveObject(comboBox), QVariant(QString("typed")));
    UserDefaultsAutoSave::restoreAutoSaveObject(comboBox, QString("again"));
    EXPECT_EQ(comboBox->currentText(), "again");
    EXPECT_EQ(model.stringList(), (QStringList{"x", "y"}));
}

TEST_F(AutoSaveTest, StoredValuesAreConvertedOrIgnoredWhenTheyNoLongerFit)
{
    auto *popUp = add<QComboBox>("popUp");
    popUp->addItems({"zero", "one", "two"});
    popUp->setCurrentIndex(1);
    UserDefaultsAutoSave::restoreAutoSaveObject(popUp, QString("2"));
    EXPECT_EQ(popUp->currentIndex(), 2);
    UserDefaultsAutoSave::restoreAutoSaveObject(popUp, 7);
    EXPECT_EQ(popUp->currentIndex(), 2);

    auto *imageView = add<QLabel>("image");
    EXPECT_EQ(UserDefaultsAutoSave::saveAutoSaveObject(imageView), QVariant(QByteArray()));
    imageView->setPixmap(solidPicture(Qt::blue));
    UserDefaultsAutoSave::restoreAutoSaveObject(imageView, QByteArray());
    UserDefaultsAutoSave::restoreAutoSaveObject(imageView, QByteArray("not a picture"));
    EXPECT_EQ(imageView->pixmap().toImage().pixelColor(0, 0), QColor(Qt::blue));
}

TEST_F(AutoSaveTest, RestoringANameNeverSavedChangesNothing)
{
    auto *field = add<QLineEdit>("field");
    field->setText("kept");
    UserDefaultsAutoSave::restoreAutoSaveObjectsForWindow(window.get());
    UserDefaultsAutoSave::restoreAutoSaveObjectsForName(QStringLiteral("NeverRegistered"));
    EXPECT_EQ(field->text(), "kept");

    // Saved without this key: the control keeps its value.
    UserDefaults::setObject(QVariantMap{{"other", "x"}}, name);
    UserDefaultsAutoSave::restoreAutoSaveObjectsForWindow(window.get());
    EXPECT_EQ(field->text(), "kept");
}


TEST_F(AutoSaveTest, AClosedWindowKeepsItsSavedValuesAndTakesNoOneElses)
{
    auto *field = add<QLineEdit>("field");
    field->setText("saved while open");
    UserDefaultsAutoSave::saveAutoSaveObjectsForWindow(window.get());
    window.reset();

    // New controls of another window, likely at the addresses the closed ones had.
    auto other = makeWindow(name + "Other");
    for (int index = 0; index < 20; ++index) {
        auto *stranger = new QLineEdit(other.get());
        stranger->setText("another window's text");
    }

    UserDefaultsAutoSave::saveAutoSaveObjectsForName(name);
    EXPECT_EQ(stored(), (QVariantMap{{"field", QString("saved while open")}}));
    UserDefaultsAutoSave::restoreAutoSaveObjectsForName(name);

    // Reopened: the new controls get the values.
    window = makeWindow(name);
    auto *reopened = add<QLineEdit>("field");
    UserDefaultsAutoSave::restoreAutoSaveObjectsForWindow(window.get());
    EXPECT_EQ(reopened->text(), "saved while open");
}


} // namespace
