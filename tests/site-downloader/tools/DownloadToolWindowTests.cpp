// The incremental and batch downloader windows against a real loopback nginx, and a scripted
// server for a download that stalls until the user stops it.
#include "platform/LocalizedString.h"
#include "site-downloader/eventlog/EventLog.h"
#include "site-downloader/eventlog/EventLogWindowController.h"
#include "site-downloader/media/ImageBrowserWindowController.h"
#include "site-downloader/tools/BatchURLDownloaderWindowController.h"
#include "site-downloader/tools/IncrementalDownloaderWindowController.h"
#include "support/controls/ShowHideAddition.h"
#include "tests/fixtures/FaultServer.h"
#include "tests/fixtures/NginxServer.h"
#include "tests/fixtures/QtPrinters.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace {

// Qt reports a failed write for a program without an organization name; the program sets one.
class OrganizationName : public testing::Environment
{
public:
    void SetUp() override { QCoreApplication::setOrganizationName(QStringLiteral("VellicorTests")); }
};
const testing::Environment *const organizationName = testing::AddGlobalTestEnvironment(new OrganizationName);

QByteArray pictureBytes(int shade)
{
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(QColor(shade, 80, 160));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString logText()
{
    return GetGlobalEventLog() ? GetGlobalEventLog()->logText() : QString();
}

void saveScreenshot(QWidget *window, const QString &name)
{
    QDir().mkpath(QStringLiteral(SCREENSHOT_FOLDER));
    EXPECT_TRUE(window->grab().save(QStringLiteral(SCREENSHOT_FOLDER "/") + name));
}

// A site of pictures in photos/, with numbered files and a few other names.
class ToolSite
{
public:
    ToolSite()
    {
        for (int number : {8, 9, 10, 11})
            writeFile(_root.filePath(QStringLiteral("photos/img%1.jpg").arg(number, 3, 10, QLatin1Char('0'))),
                      pictureBytes(number * 20));
        writeFile(_root.filePath(QStringLiteral("a.jpg")), pictureBytes(1));
        writeFile(_root.filePath(QStringLiteral("b.jpg")), pictureBytes(2));
        _server = std::make_unique<NginxServer>(_root.path());
        QString problem;
        _started = _server->start(&problem);
        EXPECT_TRUE(_started) << problem.toStdString();
    }
    bool started() const { return _started; }
    QString hostAndPort() const { return QStringLiteral("127.0.0.1:%1").arg(_server->port()); }
    QString url(const QString &path) const { return _server->url(path); }
    QByteArray body(const QString &path) const { return readFile(_root.filePath(path)); }

private:
    QTemporaryDir _root;
    std::unique_ptr<NginxServer> _server;
    bool _started = false;
};

// A control of a window by its name in the interface file; the test stops when it is missing.
template <typename Control>
Control *ControlNamed(QWidget *window, const char *name)
{
    auto *control = window->findChild<Control *>(QString::fromLatin1(name));
    if (!control)
        throw std::runtime_error(std::string("no control ") + name);
    return control;
}

template <typename Controller>
bool waitForIdle(Controller *controller, int milliseconds = 20000)
{
    return QTest::qWaitFor([controller] { return !controller->internetFileDownload(); }, milliseconds);
}

// A tool window of the kind under test, opened for each test and closed after it.
template <typename Controller, Controller *(*create)(QObject *)>
class ToolWindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        _window = create(nullptr);
        ASSERT_NE(_window, nullptr);
    }
    void TearDown() override
    {
        if (_window)
            _window->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QLineEdit *edit(const char *name) { return ControlNamed<QLineEdit>(_window, name); }
    QLabel *label(const char *name) { return ControlNamed<QLabel>(_window, name); }
    QAbstractButton *checkBox(const char *name) { return ControlNamed<QAbstractButton>(_window, name); }
    QPushButton *button(const char *name) { return ControlNamed<QPushButton>(_window, name); }
    QString status() { return label("_textFieldStatus")->text(); }
    QString countLine() { return label("_textFieldNumberStatus")->text(); }

    QPointer<Controller> _window;
    QTemporaryDir _output;
};

class IncrementalDownloader
    : public ToolWindowTest<IncrementalDownloaderWindowController, CreateIncrementalDownloaderWindow>
{
protected:
    void fill(const QString &pattern, const QString &digits, const QString &start, const QString &end)
    {
        edit("_textFieldBaseURL")->setText(pattern);
        edit("_textFieldMinimumDigits")->setText(digits);
        edit("_textFieldStartNumber")->setText(start);
        edit("_textFieldEndNumber")->setText(end);
        edit("_textFieldOutputFolderPath")->setText(_output.path());
    }
};

TEST_F(IncrementalDownloader, RangeIsFetchedInOrderIntoTheServerFolderAndAgainUnderFreeNames)
{
    ToolSite site;
    ASSERT_TRUE(site.started());
    fill(site.hostAndPort() + QStringLiteral("/photos/img\\d.jpg"), QStringLiteral("3"), QStringLiteral("8"),
         QStringLiteral("11"));
    checkBox("_checkBoxCreateImageBrowser")->setChecked(true);
    // Return in a field starts the run, like the default button of a dialog.
    QTest::keyClick(edit("_textFieldEndNumber"), Qt::Key_Return);
    EXPECT_EQ(button("_buttonStart")->text(), LocalizedString("kStopButtonTitle"));
    QTest::keyClick(edit("_textFieldEndNumber"), Qt::Key_Return); // and does not stop it
    EXPECT_TRUE(status().startsWith(LocalizedString("kRetrievingURLMessage").arg(QString())));
    ASSERT_TRUE(waitForIdle(_window.data()));

    const QString photos = _output.filePath(QStringLiteral("photos"));
    EXPECT_EQ(filesIn(photos), (QStringList{"img008.jpg", "img009.jpg", "img010.jpg", "img011.jpg"}));
    EXPECT_EQ(readFile(photos + QStringLiteral("/img010.jpg")), site.body(QStringLiteral("photos/img010.jpg")));
    EXPECT_EQ(status(), LocalizedString("kDownloadSuccessMessage"));
    EXPECT_EQ(countLine(), LocalizedString("kDownloadStatusMessageKey").arg(4).arg(4).arg(0));
    EXPECT_EQ(button("_buttonStart")->text(), LocalizedString("kStartButtonTitle"));
    EXPECT_TRUE(button("_buttonStart")->isEnabled());
    ASSERT_NE(_window->imageBrowserWindow(), nullptr);

    // The same range again: nothing is overwritten, the copies take the next free names.
    _window->processButtonClicked(button("_buttonStart"));
    ASSERT_TRUE(waitForIdle(_window.data()));
    EXPECT_EQ(filesIn(photos).size(), 8);
    EXPECT_TRUE(QFile::exists(photos + QStringLiteral("/img008#1.jpg")));
    saveScreenshot(_window, QStringLiteral("incremental-downloader.png"));
}

TEST_F(IncrementalDownloader, MissingAndUnwritableFilesAreCountedAndLoggedAndTheRunGoesOn)
{
    ToolSite site;
    ASSERT_TRUE(site.started());
    // 12 is not on the server; the last address failing must show in the count.
    fill(site.hostAndPort() + QStringLiteral("/photos/img\\d.jpg"), QStringLiteral("3"), QStringLiteral("10"),
         QStringLiteral("12"));
    _window->processButtonClicked(button("_buttonStart"));
    ASSERT_TRUE(waitForIdle(_window.data()));
    EXPECT_EQ(filesIn(_output.filePath(QStringLiteral("photos"))), (QStringList{"img010.jpg", "img011.jpg"}));
    EXPECT_EQ(countLine(), LocalizedString("kDownloadStatusMessageKey").arg(3).arg(3).arg(1));
    EXPECT_TRUE(logText().contains(LocalizedString("kDownloadErrorForURLMessageKey")
                                       .arg(404)
                                       .arg(QStringLiteral("http://") + site.hostAndPort() + QStringLiteral("/photos/img012.jpg"))));

    // A subfolder that cannot be made (a file holds its name): every body fails to be written,
    // and none of them is reported as saved.
    QTemporaryDir other;
    writeFile(other.filePath(QStringLiteral("photos")), "in the way");
    edit("_textFieldOutputFolderPath")->setText(other.path());
    edit("_textFieldEndNumber")->setText(QStringLiteral("11"));
    _window->processButtonClicked(button("_buttonStart"));
    ASSERT_TRUE(waitForIdle(_window.data()));
    EXPECT_EQ(countLine(), LocalizedString("kDownloadStatusMessageKey").arg(2).arg(2).arg(2));
    EXPECT_EQ(filesIn(other.path()), QStringList{QStringLiteral("photos")});
    EXPECT_TRUE(logText().contains(LocalizedString("kDownloadErrorForURLMessageKey").arg(kWriteErr).arg(QString())));
}

TEST_F(IncrementalDownloader, FieldsThatCannotBeUsedAreMarkedAndNothingRuns)
{
    fill(QStringLiteral("h/\\d"), QStringLiteral("0"), QStringLiteral("5"), QStringLiteral("2"));
    edit("_textFieldOutputFolderPath")->setText(_output.filePath(QStringLiteral("missing")));
    _window->processButtonClicked(button("_buttonStart"));
    EXPECT_EQ(status(), LocalizedString("kFileProcessingFailedKey"));
    EXPECT_EQ(_window->internetFileDownload(), nullptr);
    for (QLineEdit *field : {edit("_textFieldMinimumDigits"), edit("_textFieldStartNumber"), edit("_textFieldEndNumber"),
                             edit("_textFieldOutputFolderPath")})
        EXPECT_TRUE(field->property("marked").toBool()) << field->objectName().toStdString();
    EXPECT_FALSE(edit("_textFieldBaseURL")->property("marked").toBool());

    fill(QStringLiteral("h/\\d"), QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("1"));
    EXPECT_TRUE(_window->checkToolSetup());
    EXPECT_FALSE(edit("_textFieldMinimumDigits")->property("marked").toBool());

    // An empty pattern runs through even the widest range at once and fetches nothing.
    fill(QString(), QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("2147483647"));
    _window->processButtonClicked(button("_buttonStart"));
    EXPECT_EQ(status(), LocalizedString("kDownloadSuccessMessage"));
    EXPECT_EQ(_window->internetFileDownload(), nullptr);

    // A pattern without the placeholder ends the run at once, with the reason in the log.
    fill(QStringLiteral("h/img.jpg"), QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("1"));
    _window->processButtonClicked(button("_buttonStart"));
    EXPECT_EQ(status(), LocalizedString("kFileProcessingFailedKey"));
    EXPECT_TRUE(logText().contains(QStringLiteral("[IncrementalDownloader] no \\d in the input string!")));
    EXPECT_TRUE(button("_buttonStart")->isEnabled());
}

TEST_F(IncrementalDownloader, StopDuringTheThirdAddressEndsTheRunWithoutCountingOrLogging)
{
    std::atomic<int> served{0};
    FaultServer server([&served](FaultConnection &connection) {
        const QByteArray request = connection.readRequest();
        if (request.contains("/3.jpg")) {
            connection.pause(20000); // until stopped
            return;
        }
        ++served;
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: 4\r\nConnection: close\r\n\r\nbody");
    });
    fill(QStringLiteral("127.0.0.1:%1/pics/\\d.jpg").arg(server.port()), QStringLiteral("1"), QStringLiteral("1"),
         QStringLiteral("5"));
    const QString logBefore = logText();
    _window->processButtonClicked(button("_buttonStart"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return _window->currentIndex() == 3 && server.requests().size() == 3; }, 10000));
    EXPECT_EQ(countLine(), LocalizedString("kDownloadStatusMessageKey").arg(2).arg(5).arg(0));

    _window->processButtonClicked(button("_buttonStart"));
    EXPECT_EQ(status(), LocalizedString("kStoppedMessage"));
    EXPECT_EQ(countLine(), LocalizedString("kDownloadStatusMessageKey").arg(2).arg(5).arg(0));
    EXPECT_EQ(_window->currentIndex(), 3);
    EXPECT_EQ(button("_buttonStart")->text(), LocalizedString("kStartButtonTitle"));
    EXPECT_TRUE(button("_buttonStart")->isEnabled());
    EXPECT_EQ(logText(), logBefore);
    EXPECT_EQ(filesIn(_output.filePath(QStringLiteral("pics"))), (QStringList{"1.jpg", "2.jpg"}));
}

TEST_F(IncrementalDownloader, SettingsComeBackInTheNextWindowAndStayTheUsersAlone)
{
    fill(QStringLiteral("h/\\d.jpg"), QStringLiteral("4"), QStringLiteral("1"), QStringLiteral("9"));
    checkBox("_checkBoxUseAuthentication")->setChecked(true);
    edit("_textFieldUsername")->setText(QStringLiteral("user"));
    edit("_textFieldPassword")->setText(QStringLiteral("secret"));
    EXPECT_TRUE(edit("_textFieldPassword")->isEnabled());
    _window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(_window.isNull());

    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::ReadOther;
    EXPECT_EQ(QFile::permissions(QSettings().fileName()) & others, QFileDevice::Permissions());

    _window = CreateIncrementalDownloaderWindow(nullptr);
    EXPECT_EQ(edit("_textFieldBaseURL")->text(), QStringLiteral("h/\\d.jpg"));
    EXPECT_EQ(edit("_textFieldMinimumDigits")->text(), QStringLiteral("4"));
    EXPECT_EQ(edit("_textFieldEndNumber")->text(), QStringLiteral("9"));
    EXPECT_EQ(edit("_textFieldPassword")->text(), QStringLiteral("secret"));
    EXPECT_TRUE(edit("_textFieldUsername")->isEnabled());
    checkBox("_checkBoxUseAuthentication")->setChecked(false);
    EXPECT_FALSE(edit("_textFieldUsername")->isEnabled());
    EXPECT_FALSE(edit("_textFieldPassword")->isEnabled());
}

class BatchDownloader
    : public ToolWindowTest<BatchURLDownloaderWindowController, CreateBatchURLDownloaderWindow>
{
protected:
    void useList(const QByteArray &text)
    {
        const QString path = _lists.filePath(QStringLiteral("list.txt"));
        writeFile(path, text);
        edit("_textFieldURLListFile")->setText(path);
        edit("_textFieldOutputFolderPath")->setText(_output.path());
    }
    void run()
    {
        _window->processButtonClicked(button("_buttonStart"));
        ASSERT_TRUE(waitForIdle(_window.data()));
    }

    QTemporaryDir _lists;
};

TEST_F(BatchDownloader, EveryLineIsFetchedAndAMissingOneIsCountedAndLogged)
{
    ToolSite site;
    ASSERT_TRUE(site.started());
    const QString host = site.hostAndPort();
    // The same address twice, a missing one between, an empty line, no scheme on one, and the
    // final line feed's empty line.
    useList((site.url(QStringLiteral("/a.jpg")) + "\n" + host + "/missing.jpg\n\n" + host + "/a.jpg\n" +
             site.url(QStringLiteral("/b.jpg")) + "\n")
                .toUtf8());
    checkBox("_checkBoxCreateImageBrowser")->setChecked(true);
    EXPECT_TRUE(ShowHideAddition::isHiddenByRepository(label("_textFieldNumberStatus")));
    run();
    EXPECT_FALSE(ShowHideAddition::isHiddenByRepository(label("_textFieldNumberStatus")));
    EXPECT_EQ(filesIn(_output.path()), (QStringList{"a#1.jpg", "a.jpg", "b.jpg"}));
    EXPECT_EQ(readFile(_output.filePath(QStringLiteral("b.jpg"))), site.body(QStringLiteral("b.jpg")));
    EXPECT_EQ(status(), LocalizedString("kDownloadSuccessMessage"));
    EXPECT_EQ(countLine(), LocalizedString("kDownloadStatusMessageKey").arg(6).arg(6).arg(1));
    EXPECT_TRUE(logText().contains(LocalizedString("kDownloadErrorForURLMessageKey")
                                       .arg(404)
                                       .arg(QStringLiteral("http://") + host + QStringLiteral("/missing.jpg"))));
    ASSERT_NE(_window->imageBrowserWindow(), nullptr);
    saveScreenshot(_window, QStringLiteral("batch-url-downloader.png"));
}

TEST_F(BatchDownloader, ALineThatIsNoAddressEndsTheRunThereAndTheLogNamesIt)
{
    ToolSite site;
    ASSERT_TRUE(site.started());
    // Carriage returns of a file written with CR LF line ends stay part of the address.
    useList((site.url(QStringLiteral("/a.jpg")) + "\r\n" + site.url(QStringLiteral("/b.jpg")) + "\r\n").toUtf8());
    run();
    EXPECT_EQ(status(), LocalizedString("kFileProcessingFailedKey"));
    EXPECT_TRUE(filesIn(_output.path()).isEmpty());
    // The log shows the carriage return as a line break of its own.
    const QString lineFailed = LocalizedString("kBatchURLDownloaderLineFailedMessageKey")
                                   .arg(1)
                                   .arg(kFormatErr)
                                   .arg(site.url(QStringLiteral("/a.jpg")));
    EXPECT_TRUE(logText().contains(lineFailed.left(lineFailed.indexOf(QLatin1String(".jpg")) + 4)))
        << logText().toStdString();
    EXPECT_EQ(button("_buttonStart")->text(), LocalizedString("kStartButtonTitle"));

    // Blanks are not an empty line: the second line ends the run after the first is saved.
    useList((site.url(QStringLiteral("/a.jpg")) + "\n   \n" + site.url(QStringLiteral("/b.jpg")) + "\n").toUtf8());
    run();
    EXPECT_EQ(status(), LocalizedString("kFileProcessingFailedKey"));
    EXPECT_EQ(filesIn(_output.path()), QStringList{QStringLiteral("a.jpg")});
}

TEST_F(BatchDownloader, EmptyMissingAndUnreadableListsStartNothing)
{
    useList("");
    run();
    EXPECT_EQ(status(), LocalizedString("kDownloadSuccessMessage"));
    EXPECT_EQ(button("_buttonStart")->text(), LocalizedString("kStartButtonTitle"));

    edit("_textFieldURLListFile")->setText(_lists.filePath(QStringLiteral("missing.txt")));
    _window->processButtonClicked(button("_buttonStart"));
    EXPECT_EQ(status(), LocalizedString("kFileProcessingFailedKey"));
    EXPECT_TRUE(edit("_textFieldURLListFile")->property("marked").toBool());
    EXPECT_FALSE(edit("_textFieldOutputFolderPath")->property("marked").toBool());

    useList(QByteArray("\x89PNG\r\n\x1a\n\0\0", 10));
    _window->processButtonClicked(button("_buttonStart"));
    EXPECT_EQ(status(), LocalizedString("kFileProcessingFailedKey"));
    EXPECT_TRUE(logText().contains(QStringLiteral("must be separated by \\n style linefeeds")));
    EXPECT_EQ(_window->internetFileDownload(), nullptr);
}

} // namespace
