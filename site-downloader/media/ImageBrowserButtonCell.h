#pragma once

#include "utilities/ErrorCodes.h"

#include <QImage>
#include <QSizeF>
#include <QString>
#include <QVariantMap>

// One place of the thumbnail grid. A fresh cell is empty: no picture, no title, no file.
class ImageBrowserButtonCell final
{
public:
    static const QString kFilePathKey; // "filepath"

    const QVariantMap &propertiesDictionary() const { return _propertiesDictionary; }
    void setPropertiesDictionary(const QVariantMap &properties) { _propertiesDictionary = properties; }
    // The full path of the file the cell shows; null for an empty cell.
    QString getFilePath() const;
    // Shows the file in the file manager; beeps (through the reveal) when it names nothing.
    Status revealFileInFinder() const;

    const QImage &image() const { return _image; }
    // The picture and the logical size it is drawn at, which may differ from its pixels.
    void setImage(const QImage &image, const QSizeF &displaySize);
    const QSizeF &imageDisplaySize() const { return _imageDisplaySize; }
    const QString &title() const { return _title; }
    void setTitle(const QString &title) { _title = title; }

private:
    QVariantMap _propertiesDictionary;
    QImage _image;
    QSizeF _imageDisplaySize;
    QString _title;
};
