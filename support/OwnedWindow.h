#pragma once

class QWidget;

// Shows a tool window that owns itself: it is deleted when the user closes it, and it comes to
// the front, active, the way a window opened from a menu command is expected to.
void ShowOwnedWindow(QWidget *window);
