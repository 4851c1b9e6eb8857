#include "support/defaults/UserDefaultsAutoSave.h"

#include "support/defaults/UserDefaults.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QBuffer>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHash>
#include <QImage>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSpinBox>
#include <QStringList>
#include <QTextEdit>
#include <cmath>

namespace {

using ControlsByKey = QHash<QString, QPointer<QObject>>;

QHash<QString, ControlsByKey> &registry()
{
    static QHash<QString, ControlsByKey> controlsByName;
    return controlsByName;
}

QString nameOfWindow(QWidget *window)
{
    return window ? window->window()->objectName() : QString();
}

// A combo box reads its items from a model it was given, rather than keeping a list of its own.
bool usesDataSource(const QComboBox *comboBox)
{
    return comboBox->model() && comboBox->model()->parent() != comboBox;
}

QStringList itemsOf(const QComboBox *comboBox)
{
    QStringList items;
    for (int index = 0; index < comboBox->count(); ++index)
        items.append(comboBox->itemText(index));
    return items;
}

QStringList historyOf(const QComboBox *comboBox)
{
    const QString current = comboBox->currentText();
    QStringList history = itemsOf(comboBox);
    history.removeAll(current);
    const int earlierEntries = UserDefaultsAutoSave::kComboBoxHistoryLength - 1;
    if (history.size() > earlierEntries)
        history.erase(history.begin() + earlierEntries, history.end());
    history.prepend(current);
    return history;
}

void restoreHistory(QComboBox *comboBox, const QStringList &history)
{
    if (history.isEmpty())
        return;
    comboBox->clear();
    comboBox->addItems(history);
    comboBox->setCurrentIndex(0);
    comboBox->setEditText(history.first());
}

int buttonState(const QAbstractButton *button)
{
    if (const auto *checkBox = qobject_cast<const QCheckBox *>(button); checkBox && checkBox->isTristate()
                                                                         && checkBox->checkState() == Qt::PartiallyChecked)
        return -1;
    return button->isChecked() ? 1 : 0;
}

void restoreButtonState(QAbstractButton *button, int state)
{
    auto *checkBox = qobject_cast<QCheckBox *>(button);
    if (state < 0) {
        if (checkBox && checkBox->isTristate())
            checkBox->setCheckState(Qt::PartiallyChecked);
        return;
    }
    button->setChecked(state > 0);
}

QByteArray tiffData(const QLabel *imageView)
{
    const QPixmap picture = imageView->pixmap();
    if (picture.isNull())
        return {};
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QByteArrayLiteral("tiff"));
    if (!writer.write(picture.toImage())) {
        // Without Qt's TIFF plugin the picture is still worth keeping; reading detects the form.
        data.clear();
        buffer.seek(0);
        picture.toImage().save(&buffer, "PNG");
    }
    return data;
}

void restorePicture(QLabel *imageView, const QByteArray &data)
{
    if (data.isEmpty())
        return;
    QImage picture;
    if (picture.loadFromData(data))
        imageView->setPixmap(QPixmap::fromImage(picture));
}

// Stored values that no longer fit the control (the menu has fewer items now, the group fewer
// buttons) leave the control as it is rather than clearing it.
void restorePopUpIndex(QComboBox *popUp, int index)
{
    if (index >= -1 && index < popUp->count())
        popUp->setCurrentIndex(index);
}

void restoreMatrixRow(QButtonGroup *matrix, int row)
{
    const QList<QAbstractButton *> buttons = matrix->buttons();
    if (row >= 0 && row < buttons.size())
        buttons[row]->setChecked(true);
}

void restoreNumber(QObject *control, double value)
{
    if (auto *slider = qobject_cast<QAbstractSlider *>(control))
        slider->setValue(int(std::lround(value)));
    else if (auto *spinBox = qobject_cast<QSpinBox *>(control))
        spinBox->setValue(int(std::lround(value)));
    else if (auto *doubleSpinBox = qobject_cast<QDoubleSpinBox *>(control))
        doubleSpinBox->setValue(value);
}

bool holdsNumber(const QObject *control)
{
    return qobject_cast<const QAbstractSlider *>(control) || qobject_cast<const QSpinBox *>(control)
           || qobject_cast<const QDoubleSpinBox *>(control);
}

double numberOf(const QObject *control)
{
    if (const auto *slider = qobject_cast<const QAbstractSlider *>(control))
        return slider->value();
    if (const auto *spinBox = qobject_cast<const QSpinBox *>(control))
        return spinBox->value();
    return qobject_cast<const QDoubleSpinBox *>(control)->value();
}

// Live controls of a name; entries whose control is gone are dropped on the way.
ControlsByKey *liveControls(const QString &name)
{
    auto found = registry().find(name);
    if (found == registry().end())
        return nullptr;
    for (auto entry = found->begin(); entry != found->end();)
        entry = entry->isNull() ? found->erase(entry) : std::next(entry);
    return &*found;
}

} // namespace

void UserDefaultsAutoSave::addAutoSaveObject(QObject *object, const QString &name, const QString &key)
{
    if (!object || name.isEmpty())
        return;
    registry()[name].insert(key, object);
}

void UserDefaultsAutoSave::addAutoSaveObject(QObject *object, QWidget *window, const QString &key)
{
    addAutoSaveObject(object, nameOfWindow(window), key);
}

void UserDefaultsAutoSave::saveAutoSaveObjectsForName(const QString &name)
{
    if (name.isEmpty())
        return;
    const ControlsByKey *controls = liveControls(name);
    const QVariantMap previous = UserDefaults::dictionaryForKey(name).value_or(QVariantMap());
    QVariantMap stored;
    // Controls that were registered but have gone keep what was last saved for them.
    for (auto entry = previous.cbegin(); entry != previous.cend(); ++entry)
        if (!controls || !controls->contains(entry.key()))
            stored.insert(entry.key(), entry.value());
    if (controls) {
        for (auto entry = controls->cbegin(); entry != controls->cend(); ++entry) {
            const QVariant value = saveAutoSaveObject(entry.value());
            if (value.isValid())
                stored.insert(entry.key(), value);
        }
    }
    UserDefaults::setObject(stored, name);
}

void UserDefaultsAutoSave::saveAutoSaveObjectsForWindow(QWidget *window)
{
    saveAutoSaveObjectsForName(nameOfWindow(window));
}

void UserDefaultsAutoSave::restoreAutoSaveObjectsForName(const QString &name)
{
    const ControlsByKey *controls = liveControls(name);
    const std::optional<QVariantMap> stored = UserDefaults::dictionaryForKey(name);
    if (!controls || !stored)
        return;
    for (auto entry = controls->cbegin(); entry != controls->cend(); ++entry) {
        const auto value = stored->constFind(entry.key());
        if (value != stored->cend())
            restoreAutoSaveObject(entry.value(), *value);
    }
}

void UserDefaultsAutoSave::restoreAutoSaveObjectsForWindow(QWidget *window)
{
    restoreAutoSaveObjectsForName(nameOfWindow(window));
}

QVariant UserDefaultsAutoSave::saveAutoSaveObject(QObject *object)
{
    if (!object)
        return {};
    if (auto *comboBox = qobject_cast<QComboBox *>(object); comboBox && comboBox->isEditable()) {
        if (usesDataSource(comboBox))
            return comboBox->currentText();
        return historyOf(comboBox);
    }
    if (auto *textField = qobject_cast<QLineEdit *>(object))
        return textField->text();
    if (auto *popUp = qobject_cast<QComboBox *>(object))
        return popUp->currentIndex();
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        return buttonState(button);
    if (auto *matrix = qobject_cast<QButtonGroup *>(object))
        return int(matrix->buttons().indexOf(matrix->checkedButton()));
    if (auto *imageView = qobject_cast<QLabel *>(object))
        return tiffData(imageView);
    if (holdsNumber(object))
        return numberOf(object);
    if (auto *plainTextView = qobject_cast<QPlainTextEdit *>(object))
        return plainTextView->toPlainText();
    if (auto *textView = qobject_cast<QTextEdit *>(object))
        return textView->toPlainText();
    return {};
}

void UserDefaultsAutoSave::restoreAutoSaveObject(QObject *object, const QVariant &value)
{
    if (!object || !value.isValid())
        return;
    if (auto *comboBox = qobject_cast<QComboBox *>(object); comboBox && comboBox->isEditable()) {
        if (usesDataSource(comboBox))
            comboBox->setEditText(value.toString());
        else
            restoreHistory(comboBox, value.toStringList());
    } else if (auto *textField = qobject_cast<QLineEdit *>(object)) {
        textField->setText(value.toString());
    } else if (auto *popUp = qobject_cast<QComboBox *>(object)) {
        restorePopUpIndex(popUp, value.toInt());
    } else if (auto *button = qobject_cast<QAbstractButton *>(object)) {
        restoreButtonState(button, value.toInt());
    } else if (auto *matrix = qobject_cast<QButtonGroup *>(object)) {
        restoreMatrixRow(matrix, value.toInt());
    } else if (auto *imageView = qobject_cast<QLabel *>(object)) {
        restorePicture(imageView, value.toByteArray());
    } else if (holdsNumber(object)) {
        restoreNumber(object, value.toDouble());
    } else if (auto *plainTextView = qobject_cast<QPlainTextEdit *>(object)) {
        plainTextView->setPlainText(value.toString());
    } else if (auto *textView = qobject_cast<QTextEdit *>(object)) {
        textView->setPlainText(value.toString());
    }
}
