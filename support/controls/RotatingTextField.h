#pragma once

#include <QLabel>
#include <QStringList>
#include <cstdint>

// A label that shows its next alternative text on each click, round and round: with texts A and
// B the clicks show B, A, B and so on. Set its text with setStringValue(), which makes that text
// the only one.
class RotatingTextField final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RotatingTextField)

public:
    explicit RotatingTextField(QWidget *parent = nullptr);

    void setStringValue(const QString &text);
    void addAlternateString(const QString &text);
    void removeAllAlternateStrings();
    const QStringList &alternateStrings() const { return mAlternateStrings; }

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QStringList mAlternateStrings;
    uint32_t mAlternateStringIndex = 1;
};
