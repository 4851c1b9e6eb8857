#pragma once

#include <QRectF>

class QWidget;

// The frame that centres `view` in its parent, keeping its size: x is whole (half the parent's
// width made whole, minus half the view's width, made whole again), y is not rounded. With
// `apply` the view is moved there. A view without a parent stays where it is, and that frame is
// returned.
QRectF centerViewInSuperView(QWidget *view, bool apply);

// Moves a top-level `window` so that it sits in the middle of the primary screen's free area,
// keeping its size; nothing happens without a screen.
void centerWindowOnScreen(QWidget *window);
