#pragma once

#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>

// Pictures written by the tests themselves, so every size and format is known exactly.
inline QString WriteTestImage(const QString &folder, const QString &name, int width, int height,
                              const char *format = "PNG")
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((width * 7 + height * 13) % 360, 200, 220));
    const QString path = QDir(folder).filePath(name);
    image.save(path, format);
    return path;
}
