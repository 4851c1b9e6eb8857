#include "support/defaults/ViewGeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

QRectF centerViewInSuperView(QWidget *view, bool apply)
{
    if (!view)
        return {};
    const QWidget *parent = view->parentWidget();
    if (!parent)
        return QRectF(view->geometry());
    const QSizeF size = view->size();
    const double x = std::trunc(std::trunc(parent->width() / 2.0) - size.width() / 2.0);
    const double y = parent->height() / 2.0 - size.height() / 2.0;
    const QRectF frame(QPointF(x, y), size);
    if (apply)
        view->setGeometry(QRect(int(x), int(std::floor(y)), view->width(), view->height()));
    return frame;
}

void centerWindowOnScreen(QWidget *window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!window || !screen)
        return;
    QRect frame(QPoint(), window->size());
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}
