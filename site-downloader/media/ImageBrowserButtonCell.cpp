#include "site-downloader/media/ImageBrowserButtonCell.h"

#include "platform/RevealInFileManager.h"

const QString ImageBrowserButtonCell::kFilePathKey = QStringLiteral("filepath");

QString ImageBrowserButtonCell::getFilePath() const
{
    const auto found = _propertiesDictionary.constFind(kFilePathKey);
    return found == _propertiesDictionary.constEnd() ? QString() : found->toString();
}

Status ImageBrowserButtonCell::revealFileInFinder() const
{
    return RevealPathItemInFinder(getFilePath());
}

void ImageBrowserButtonCell::setImage(const QImage &image, const QSizeF &displaySize)
{
    _image = image;
    _imageDisplaySize = displaySize;
}
