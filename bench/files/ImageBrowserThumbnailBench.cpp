// Thumbnails of a folder of pictures through the image browser, from the add to the end of the
// batch, against vipsthumbnail to the same size and a bare one-thread scaled-decoding loop (the
// practical limit for one worker per batch). Without a folder argument it writes 500 JPEGs of
// 1920 x 1080 first. The last line is one JSON object.
#include "site-downloader/media/ImageBrowserMatrix.h"
#include "site-downloader/media/ImageBrowserThumbnail.h"
#include "site-downloader/media/ImageBrowserWindowController.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <vector>

namespace {

double peakMegabytes(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    return usage.ru_maxrss / 1024.0;
}

QStringList picturesIn(const QString &folder)
{
    QDir dir(folder);
    QStringList paths;
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

void writePictures(const QString &folder, int count)
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    for (int index = 0; index < count; ++index) {
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = qRgb((x + index * 7) & 255, (y * 3 + index) & 255, ((x ^ y) + index * 13) & 255);
        }
        image.save(QDir(folder).filePath(QStringLiteral("picture%1.jpg").arg(index, 4, 10, QLatin1Char('0'))), "JPEG", 90);
    }
}

double browserSeconds(const QString &folder, int *thumbnails)
{
    ImageBrowserWindowController *browser = CreateImageBrowserWindow(nullptr);
    QElapsedTimer timer;
    timer.start();
    browser->addArtItems({folder});
    while (browser->isBusy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double seconds = timer.nsecsElapsed() / 1e9;
    *thumbnails = browser->artworkMatrix()->totalImages();
    browser->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return seconds;
}

double bareLoopSeconds(const QStringList &paths)
{
    QElapsedTimer timer;
    timer.start();
    int decoded = 0;
    for (const QString &path : paths) {
        QImageReader reader(path);
        const QSizeF size = ThumbnailDisplaySize(QSizeF(reader.size()), kThumbnailSide, kThumbnailSide, true);
        reader.setScaledSize(QSize(int(std::ceil(size.width())), int(std::ceil(size.height()))));
        decoded += !reader.read().isNull();
    }
    if (decoded != paths.size())
        std::fprintf(stderr, "bare loop decoded %d of %d\n", decoded, int(paths.size()));
    return timer.nsecsElapsed() / 1e9;
}

// The peak resident size of a running process so far, in megabytes; 0 once it is gone.
double peakMegabytesOfProcess(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').constFirst().toDouble() / 1024.0;
    return 0;
}

// Negative when vipsthumbnail is not installed. Its peak memory is read from the running
// process: the kernel's figure for reaped children also counts the pages it shared with this
// program before it started vipsthumbnail, so it would report this program's size instead.
double vipsSeconds(const QStringList &paths, double *peakMegabytes)
{
    const QString program = QStandardPaths::findExecutable("vipsthumbnail");
    if (program.isEmpty())
        return -1;
    QTemporaryDir output;
    QStringList arguments{"--size", "100x100", "-o", output.filePath("%s.jpg")};
    arguments += paths;
    QElapsedTimer timer;
    timer.start();
    QProcess vips;
    vips.start(program, arguments);
    while (!vips.waitForFinished(10))
        *peakMegabytes = std::max(*peakMegabytes, peakMegabytesOfProcess(vips.processId()));
    return vips.exitCode() == 0 ? timer.nsecsElapsed() / 1e9 : -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    int rounds = 3;
    int count = 500;
    QString folder;
    for (int index = 0; index < arguments.size(); ++index) {
        if (arguments[index] == "--rounds" && index + 1 < arguments.size())
            rounds = arguments[++index].toInt();
        else if (arguments[index] == "--count" && index + 1 < arguments.size())
            count = arguments[++index].toInt();
        else
            folder = arguments[index];
    }
    QTemporaryDir generated;
    if (folder.isEmpty()) {
        folder = generated.path();
        writePictures(folder, count);
    }
    const QStringList paths = picturesIn(folder);

    std::vector<double> browser, bare, vips;
    int thumbnails = 0;
    double vipsPeakMegabytes = 0;
    for (int round = 0; round < rounds; ++round) {
        bare.push_back(bareLoopSeconds(paths));
        browser.push_back(browserSeconds(folder, &thumbnails));
        vips.push_back(vipsSeconds(paths, &vipsPeakMegabytes));
    }
    const double browserMedian = median(browser);
    const double bareMedian = median(bare);
    const double vipsMedian = median(vips);
    QJsonObject result{
        {"benchmark", "image_browser_thumbnails"},
        {"files", int(paths.size())},
        {"thumbnails", thumbnails},
        {"rounds", rounds},
        {"cores", QThread::idealThreadCount()},
        {"browser_seconds", browserMedian},
        {"bare_loop_seconds", bareMedian},
        {"browser_to_bare_loop_ratio", bareMedian > 0 ? browserMedian / bareMedian : 0},
        {"browser_peak_rss_mb", peakMegabytes(RUSAGE_SELF)},
    };
    if (vipsMedian > 0) {
        result["vipsthumbnail_seconds"] = vipsMedian;
        result["browser_to_vipsthumbnail_ratio"] = browserMedian / vipsMedian;
        result["vipsthumbnail_peak_rss_mb"] = vipsPeakMegabytes;
    } else {
        result["vipsthumbnail_seconds"] = QJsonValue();
    }
    std::printf("%s\n", QJsonDocument(result).toJson(QJsonDocument::Compact).constData());
    return thumbnails == int(paths.size()) ? EXIT_SUCCESS : EXIT_FAILURE;
}
