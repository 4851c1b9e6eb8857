#pragma once

#include <QString>

// Each program ships its guide at the same place in its resource folder.
inline const QString kUserGuideRelativePath = QStringLiteral("UserGuide/UserGuide.html");

// Opens the program's user guide in the browser. Without it, logs that it is missing and
// answers false.
bool ShowUserGuide();
