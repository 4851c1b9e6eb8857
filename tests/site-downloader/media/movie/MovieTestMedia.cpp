#include "tests/site-downloader/media/movie/MovieTestMedia.h"

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

bool runFfmpeg(const QStringList &arguments)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-nostdin", "-y"} + arguments);
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
        ADD_FAILURE() << "ffmpeg " << arguments.join(' ').toStdString() << ": "
                      << ffmpeg.readAll().toStdString() << ffmpeg.errorString().toStdString();
        return false;
    }
    return true;
}

MovieTestMedia makeMedia(QTemporaryDir &folder)
{
    const QDir dir(folder.path());
    MovieTestMedia media;
    media.folder = folder.path();
    media.movie = dir.filePath("movie.webm");
    media.audio = dir.filePath("audio.ogg");
    media.picture = dir.filePath("picture.png");
    media.secondPicture = dir.filePath("second.jpg");
    media.randomBytes = dir.filePath("noise.mov");
    runFfmpeg({"-f", "lavfi", "-i", "testsrc=size=640x480:rate=25", "-t", "2", "-c:v", "libvpx", "-deadline",
               "realtime", "-cpu-used", "8", "-b:v", "300k", media.movie});
    runFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-c:a", "libvorbis", media.audio});
    QImage picture(320, 200, QImage::Format_RGB32);
    picture.fill(QColor(40, 120, 200));
    EXPECT_TRUE(picture.save(media.picture, "PNG"));
    QImage second(200, 320, QImage::Format_RGB32);
    second.fill(QColor(200, 120, 40));
    EXPECT_TRUE(second.save(media.secondPicture, "JPEG"));
    QByteArray noise(64 * 1024, '\0');
    QRandomGenerator generator(20261207);
    for (char &byte : noise)
        byte = char(generator.bounded(256));
    QFile file(media.randomBytes);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(noise) == noise.size());
    return media;
}

} // namespace

const MovieTestMedia &GetMovieTestMedia()
{
    static std::unique_ptr<QTemporaryDir> folder;
    static MovieTestMedia media;
    if (!folder) {
        folder = std::make_unique<QTemporaryDir>();
        media = makeMedia(*folder);
    }
    return media;
}
