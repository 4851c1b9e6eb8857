#pragma once

#include <QString>

// The user guide, relative to the resource folder.
inline const QString kVellicorUserGuideRelativePath = QStringLiteral("UserGuide/UserGuide.html");

// Opens the user guide in the browser. Without it, logs that it is missing and answers false.
bool ShowUserGuide();
