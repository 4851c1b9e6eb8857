#pragma once

#include <QRectF>

class QWidget;

// The frame that centres `view` in its parent, keeping its size: x is whole (half the parent's
// width made whole, minus half the view's width, made whole again), y is not rounded. With
// `apply` the view is moved there. A view without a parent stays where it is, and that frame is
// returned.
QRectF centerViewInSuperView(QWidget *view, bool apply);
