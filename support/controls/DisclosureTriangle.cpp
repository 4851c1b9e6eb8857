#include "support/controls/DisclosureTriangle.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kThemeDisclosureTriangleSide = 13;

// The right-pointing triangle in a square of `side`; the down-pointing one is the same turned by
// a quarter, so both states have the same weight on screen.
QPainterPath rightPointingTriangle(qreal side)
{
    const qreal inset = side * 0.2;
    QPainterPath path;
    path.moveTo(inset, inset * 0.75);
    path.lineTo(side - inset * 0.9, side / 2);
    path.lineTo(inset, side - inset * 0.75);
    path.closeSubpath();
    return path;
}

} // namespace

DisclosureTriangle::DisclosureTriangle(QWidget *parent) : QWidget(parent)
{
    setFixedSize(themeSize());
    setFocusPolicy(Qt::NoFocus);
}

QSize DisclosureTriangle::themeSize()
{
    return {kThemeDisclosureTriangleSide, kThemeDisclosureTriangleSide};
}

void DisclosureTriangle::toggle()
{
    _disclosed = !_disclosed;
    update();
}

void DisclosureTriangle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawImageAt(painter, rect().topLeft(), _highlighted, _disclosed);
}

void DisclosureTriangle::drawImageAt(QPainter &painter, const QPoint &origin, bool highlight, bool disclosed) const
{
    const qreal side = std::min(width(), height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(origin);
    if (disclosed) {
        painter.translate(side, 0);
        painter.rotate(90);
    }
    const QColor fill = palette().color(highlight ? QPalette::Shadow : QPalette::Dark);
    painter.fillPath(rightPointingTriangle(side), fill);
    painter.restore();
}

void DisclosureTriangle::setHighlighted(bool highlighted)
{
    if (_highlighted == highlighted)
        return;
    _highlighted = highlighted;
    update();
}

void DisclosureTriangle::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setHighlighted(true);
}

void DisclosureTriangle::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        setHighlighted(rect().contains(event->position().toPoint()));
}

void DisclosureTriangle::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setHighlighted(false);
    if (!rect().contains(event->position().toPoint()))
        return;
    toggle();
    if (_action && (!_hasTarget || _target))
        _action(this);
}
