#pragma once

class QWidget;

// When the environment variable `variable` names a file, saves a picture of `window` into it
// shortly after start-up and quits: the run scripts use it to show what a started program looks
// like on a machine without a screen.
void SaveScreenshotWhenAsked(QWidget *window, const char *variable);

// When the environment variable STARTUP_TIME_PROBE is set, prints "first-paint <ns>" (the
// monotonic clock) to standard error once `window` first paints, and quits: the start-up
// benchmark times programs to their first shown window with it.
void QuitAtFirstPaintWhenProbed(QWidget *window);
