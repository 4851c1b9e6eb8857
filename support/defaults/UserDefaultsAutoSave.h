#pragma once

#include <QString>
#include <QVariant>

class QObject;
class QWidget;

// Remembers what a tool window's controls hold, as one dictionary in the user defaults under the
// window's name. The controls, tested in this order:
//   editable QComboBox with a model of its own   its text
//   editable QComboBox                           its text, then up to 9 earlier entries
//   QLineEdit                                    its text
//   QComboBox that is not editable (a pop-up)    the index of its selected item
//   QAbstractButton                              its state: 1 on, 0 off, -1 mixed
//   QButtonGroup (a matrix)                      the row of its checked button, -1 for none
//   QLabel (an image view)                       its picture as TIFF data, empty without one
//   QAbstractSlider, QSpinBox, QDoubleSpinBox    its value as a double
//   QPlainTextEdit, QTextEdit                    its plain text
// Anything else is neither saved nor restored.
//
// The registry holds the controls weakly: a control destroyed with its window drops out, and its
// last saved value stays in the defaults instead of being lost or taken from some other widget.
// Main thread only.
class UserDefaultsAutoSave final
{
public:
    UserDefaultsAutoSave() = delete;

    // Registers `object` under a window name and a control key; registering the key again
    // replaces the earlier control. A null object or an empty name registers nothing.
    static void addAutoSaveObject(QObject *object, const QString &name, const QString &key);
    // The same under the name of `window`'s top-level window (its objectName).
    static void addAutoSaveObject(QObject *object, QWidget *window, const QString &key);

    static void saveAutoSaveObjectsForName(const QString &name);
    static void saveAutoSaveObjectsForWindow(QWidget *window);
    // Applies the stored values to the registered controls that have one; others keep theirs.
    static void restoreAutoSaveObjectsForName(const QString &name);
    static void restoreAutoSaveObjectsForWindow(QWidget *window);

    // The value to store for one control, or an invalid QVariant when it has none.
    static QVariant saveAutoSaveObject(QObject *object);
    // Applies one stored value to one control, converting it to what the control takes.
    static void restoreAutoSaveObject(QObject *object, const QVariant &value);

    // The most entries a combo box's history keeps, its current text included.
    static constexpr int kComboBoxHistoryLength = 10;
};
