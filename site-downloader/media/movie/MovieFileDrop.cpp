#include "site-downloader/media/movie/MovieFileDrop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

QString firstDroppedFilePath(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return {};
}

void acceptMovieFileDrag(QDropEvent *event)
{
    if (!firstDroppedFilePath(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

QString takeMovieFileDrop(QDropEvent *event)
{
    QString path = firstDroppedFilePath(event->mimeData());
    if (path.isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
    return path;
}
