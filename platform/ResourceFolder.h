#pragma once

#include <QString>

// The program's resources (the wget executable, user guides) live in a folder beside the
// program: "<program folder>/<program name>-resources" in the build tree, and
// "<prefix>/share/<program name>" once installed. Tests point it elsewhere; an empty folder
// goes back to the one beside the program.
QString ResourceFolder();
void SetResourceFolder(const QString &folder);

// The path of the resource `name` in the resource folder, or an empty string when there is none.
QString ResourcePath(const QString &name);
