#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

// The small triangle that opens and closes a section of a window: pointing right while closed,
// down while open, darker while pressed. A click flips it and sends its action; toggle() flips it
// without the action, for changes the program makes.
class DisclosureTriangle final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DisclosureTriangle)

public:
    using Action = std::function<void(DisclosureTriangle *sender)>;

    explicit DisclosureTriangle(QWidget *parent = nullptr);

    // The theme's disclosure triangle width and height; the triangle always has this size.
    static QSize themeSize();

    bool disclosed() const { return _disclosed; }
    bool isHighlighted() const { return _highlighted; }
    // The action is sent only while the target lives, so a window controller that is gone is
    // never called. Without a target the action is always sent.
    QObject *target() const { return _target; }
    void setTarget(QObject *target) { _target = target; _hasTarget = target != nullptr; }
    const Action &action() const { return _action; }
    void setAction(Action action) { _action = std::move(action); }

    void toggle();

    QSize sizeHint() const override { return themeSize(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void drawImageAt(QPainter &painter, const QPoint &origin, bool highlight, bool disclosed) const;
    void setHighlighted(bool highlighted);

    bool _highlighted = false;
    bool _disclosed = false;
    QPointer<QObject> _target;
    bool _hasTarget = false;
    Action _action;
};
