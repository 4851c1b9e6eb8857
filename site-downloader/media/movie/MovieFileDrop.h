#pragma once

#include <QString>

class QDropEvent;
class QMimeData;

// The movie views take the first local file of a drop and leave the rest.
QString firstDroppedFilePath(const QMimeData *data);
// For drag enter and move: accepts a drag that carries a local file, refuses any other.
void acceptMovieFileDrag(QDropEvent *event);
// For the drop: accepts it and answers its first local file, or refuses it and answers "".
QString takeMovieFileDrop(QDropEvent *event);
