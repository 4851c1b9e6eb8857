#include "site-downloader/tools/BatchURLList.h"

#include <QFile>
#include <QStringDecoder>

Status ReadBatchURLListFile(const QString &path, QStringList *outLines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return kReadErr;
    if (file.size() > kMaximumBatchURLListBytes)
        return kFormatErr;
    const QByteArray bytes = file.read(kMaximumBatchURLListBytes + 1);
    if (bytes.size() > kMaximumBatchURLListBytes)
        return kFormatErr;
    if (file.error() != QFileDevice::NoError)
        return kReadErr;
    if (bytes.contains('\0'))
        return kFormatErr;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return kFormatErr;
    *outLines = text.split(QLatin1Char('\n'));
    return kNoErr;
}
