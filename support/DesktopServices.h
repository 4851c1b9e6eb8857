#pragma once

// Hands the platform layer the widget-level services it cannot reach itself (the beep of a
// refused reveal). Both programs call it once the application object exists.
void InstallDesktopServices();
