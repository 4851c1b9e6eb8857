#include "tests/timed-downloader/PendrillTestSupport.h"

#include "platform/LocalizedString.h"
#include "timed-downloader/document/FileDownloadThread.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace {

class PendrillEnvironment final : public testing::Environment
{
public:
    void SetUp() override { InstallTranslations(QStringLiteral("pendrill")); }
    void TearDown() override { FileDownloadThread::abandonAll(std::chrono::seconds(10)); }
};

} // namespace

void InstallPendrillTestEnvironment()
{
    static bool installed = false;
    if (!installed)
        testing::AddGlobalTestEnvironment(new PendrillEnvironment);
    installed = true;
}

// Registered before the test main runs the tests.
static const bool environmentInstalled = (InstallPendrillTestEnvironment(), true);

QByteArray PictureBytes(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(QColor(40, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

PendrillSite::PendrillSite()
{
    const auto write = [this](const QString &name, const QByteArray &bytes) {
        QFile file(_root.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    };
    write(QStringLiteral("cam.jpg"), PictureBytes());
    write(QStringLiteral("shot.png"), PictureBytes(3, 3));
    write(QStringLiteral("page.html"), "<html><body>not a picture</body></html>");
    _server = std::make_unique<NginxServer>(_root.path(), QStringLiteral("location = /moved { return 302 /cam.jpg; }"));
}

bool PendrillSite::start()
{
    return _server->start();
}

QStringList VisibleFiles(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}
