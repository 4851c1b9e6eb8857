#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <cstdint>

// One image file as the browser needs it: a small picture already decoded at thumbnail size,
// and the facts that the filters and the title take from the file itself.
struct ThumbnailImage {
    QImage picture;      // decoded at about the display size, never at full size
    QSize originalSize;  // the picture's own size, as the file states it
    QSizeF displaySize;  // the logical size the grid shows it at
    int64_t fileSize = 0; // links followed; 0 when the attributes cannot be read

    bool isNull() const { return picture.isNull(); }
};

// The side of the square the thumbnails are scaled into.
inline constexpr double kThumbnailSide = 100;

// Reads the file's header, works out the thumbnail size from its own size and decodes it
// scaled. Null when the file does not load as an image or is empty in either direction.
// Any thread.
ThumbnailImage LoadThumbnailImage(const QString &path);

// The logical size for a picture of `size` shown in a `width` x `height` box. Small pictures
// keep their size or shrink by a quarter, as the grid has always shown them; the result never
// leaves the box, so a tall narrow picture shrinks further until it fits.
QSizeF ThumbnailDisplaySize(const QSizeF &size, double width, double height, bool keepProportions);

// A size as the original platform writes one: "{640, 480}".
QString NaturalSizeText(const QSize &size);
