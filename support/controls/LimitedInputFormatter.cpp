#include "support/controls/LimitedInputFormatter.h"

#include <QApplication>
#include <QStringView>
#include <QtDebug>
#include <algorithm>

namespace {

bool isAsciiDigit(char32_t character)
{
    return character >= U'0' && character <= U'9';
}

bool isLetterOrMark(char32_t character)
{
    return QChar::isLetter(character) || QChar::isMark(character);
}

} // namespace

LimitedInputFormatter::LimitedInputFormatter(QObject *parent) : QValidator(parent)
{
    buildCharacterSet();
}

void LimitedInputFormatter::setMaxCharacters(uint32_t maxCharacters)
{
    _maxChars = maxCharacters;
    emit changed();
}

void LimitedInputFormatter::setAllowCharacters(bool allowLetters)
{
    _allowAlpha = allowLetters;
    buildCharacterSet();
    emit changed();
}

void LimitedInputFormatter::setAllowNumbers(bool allowDigits)
{
    _allowNumbers = allowDigits;
    buildCharacterSet();
    emit changed();
}

void LimitedInputFormatter::buildCharacterSet()
{
    if (_allowAlpha && _allowNumbers)
        _characterSet = CharacterSet::Alphanumeric;
    else if (_allowNumbers)
        _characterSet = CharacterSet::DecimalDigits;
    else if (_allowAlpha)
        _characterSet = CharacterSet::Letters;
    else {
        _characterSet.reset();
        qWarning("LimitedInputFormatter: not allowing any characters in the character set!");
    }
}

bool LimitedInputFormatter::isAllowed(char32_t character) const
{
    switch (*_characterSet) {
    case CharacterSet::Alphanumeric:
        return isAsciiDigit(character) || isLetterOrMark(character);
    case CharacterSet::DecimalDigits:
        return isAsciiDigit(character);
    case CharacterSet::Letters:
        return isLetterOrMark(character);
    }
    return false;
}

bool LimitedInputFormatter::isGoodString(const QString &string) const
{
    const QList<uint> characters = string.toUcs4();
    if (_maxChars == 0 || characters.isEmpty() || uint64_t(characters.size()) > _maxChars || !_characterSet)
        return false;
    return std::all_of(characters.cbegin(), characters.cend(),
                       [this](uint character) { return isAllowed(character); });
}

bool LimitedInputFormatter::getObjectValue(QString *objectValue, const QString &string) const
{
    if (!objectValue)
        return false;
    *objectValue = isGoodString(string) ? string : QString();
    return true;
}

QString LimitedInputFormatter::stringForObjectValue(const QVariant &objectValue) const
{
    if (objectValue.typeId() != QMetaType::QString)
        return {};
    const QString string = objectValue.toString();
    return isGoodString(string) ? string : QString();
}

QValidator::State LimitedInputFormatter::validate(QString &input, int &) const
{
    if (input.isEmpty())
        return _maxChars == 0 || !_characterSet ? Invalid : Intermediate;
    if (isGoodString(input))
        return Acceptable;
    QApplication::beep();
    return Invalid;
}
