#pragma once

#include <QValidator>
#include <cstdint>
#include <optional>

// Limits what may be typed into a field: at most a number of characters, and only letters,
// only digits, or both. Digits are the ASCII digits 0 to 9: other scripts' digits would be read
// as 0 by the number parsing behind these fields. Letters are Unicode letters with their
// combining marks. With the maximum left at 0 nothing is accepted.
class LimitedInputFormatter final : public QValidator
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LimitedInputFormatter)

public:
    explicit LimitedInputFormatter(QObject *parent = nullptr);

    uint32_t maxCharacters() const { return _maxChars; }
    void setMaxCharacters(uint32_t maxCharacters);
    void setAllowCharacters(bool allowLetters);
    void setAllowNumbers(bool allowDigits);

    // Good: not empty, not longer than the maximum (counted in characters, not UTF-16 units) and
    // made only of allowed characters.
    bool isGoodString(const QString &string) const;

    // A copy of the string when it is good, the empty string otherwise. False without an out value.
    bool getObjectValue(QString *objectValue, const QString &string) const;
    QString stringForObjectValue(const QVariant &objectValue) const;

    // An edit that would make the text bad is refused with a beep, so the field keeps what it
    // had: typing a letter after "12" in a digits field leaves "12", and a letter typed between
    // digits cannot cut off the digits after it. An empty field is allowed while editing, so the
    // last character can be deleted, but it is not an acceptable value.
    State validate(QString &input, int &position) const override;

private:
    enum class CharacterSet { Alphanumeric, DecimalDigits, Letters };
    void buildCharacterSet();
    bool isAllowed(char32_t character) const;

    uint32_t _maxChars = 0;
    bool _allowNumbers = true;
    bool _allowAlpha = true;
    std::optional<CharacterSet> _characterSet;
};
