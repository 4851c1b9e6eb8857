#include "support/controls/RotatingTextField.h"

#include <QMouseEvent>

RotatingTextField::RotatingTextField(QWidget *parent) : QLabel(parent)
{
}

void RotatingTextField::setStringValue(const QString &text)
{
    mAlternateStrings = QStringList{text};
    mAlternateStringIndex = 1;
    setText(text);
}

void RotatingTextField::addAlternateString(const QString &text)
{
    mAlternateStrings.append(text);
}

void RotatingTextField::removeAllAlternateStrings()
{
    mAlternateStrings.clear();
    mAlternateStringIndex = 1;
}

void RotatingTextField::mousePressEvent(QMouseEvent *event)
{
    if (mAlternateStrings.isEmpty()) {
        QLabel::mousePressEvent(event);
        return;
    }
    if (mAlternateStringIndex >= uint32_t(mAlternateStrings.size()))
        mAlternateStringIndex = 0;
    setText(mAlternateStrings.at(mAlternateStringIndex));
    ++mAlternateStringIndex;
}
