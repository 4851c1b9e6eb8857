#include "platform/DocumentFile.h"
#include "platform/LocalizedString.h"
#include "platform/ResourceFolder.h"
#include "platform/RevealInFileManager.h"
#include "tests/fixtures/FaultServer.h"
#include "tests/fixtures/ProcessProbe.h"
#include "tests/fixtures/ScriptedUserInterface.h"
#include "tests/timed-downloader/PendrillTestSupport.h"
#include "timed-downloader/app/AppDelegate.h"
#include "timed-downloader/app/MyDocument.h"
#include "timed-downloader/app/PreferencesWindowController.h"
#include "ui_MyDocument.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

struct Shell {
    ScriptedUserInterface *userInterface = new ScriptedUserInterface;
    AppDelegate delegate{std::unique_ptr<DocumentUserInterface>(userInterface)};
    DocumentController &controller() { return delegate.documentController(); }
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString screenshotPath(const char *name)
{
    return QDir::currentPath() + QLatin1Char('/') + QLatin1String(name);
}

} // namespace

TEST(PendrillDocument, SettingsRoundTripExactlyAndOlderOrBrokenFilesAreHandled)
{
    Shell shell;
    QTemporaryDir folder;
    auto *document = static_cast<MyDocument *>(shell.controller().newDocument());
    Ui::MyDocument &ui = document->ui();
    ui._URLText->setText(QStringLiteral(" http://cam.example/live.jpg "));
    ui._downloadIntervalText->setText(QStringLiteral("12 s"));
    ui._baseFileNameText->setText(QStringLiteral("Schnappschuss ü"));
    ui._numberLeadingZeroesText->setText(QStringLiteral("004"));
    ui._targetFolderPathText->setText(QStringLiteral("~/Bilder"));
    EXPECT_FALSE(document->isDocumentEdited());
    shell.userInterface->savePath = folder.filePath(QStringLiteral("job"));
    ASSERT_TRUE(shell.controller().saveDocumentAs(document));
    const QString saved = folder.filePath(QStringLiteral("job.pendrill"));
    shell.controller().closeDocument(document);
    QCoreApplication::processEvents();

    auto *reopened = static_cast<MyDocument *>(shell.controller().openDocument(saved));
    ASSERT_NE(reopened, nullptr);
    const JobSettings settings = reopened->settings();
    EXPECT_EQ(settings.urlText, " http://cam.example/live.jpg ");
    EXPECT_EQ(settings.downloadIntervalText, "12 s");
    EXPECT_EQ(settings.baseFileNameText, "Schnappschuss ü");
    EXPECT_EQ(settings.numberLeadingZeroesText, "004");
    EXPECT_EQ(settings.targetFolderPathText, "~/Bilder");

    // An older file without some keys leaves those fields as the window has them.
    const QString older = folder.filePath(QStringLiteral("older.pendrill"));
    writeFile(older, DocumentFile::encode(kPendrillDocumentKind, {{JobSettingsKey::kURL, QStringLiteral("http://old/")},
                                                                  {QStringLiteral("_unknownKey"), 3}}));
    auto *old = static_cast<MyDocument *>(shell.controller().openDocument(older));
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->settings().urlText, "http://old/");
    EXPECT_EQ(old->settings().downloadIntervalText, "5");
    EXPECT_EQ(old->settings().numberLeadingZeroesText, "3");

    // Broken files are refused with the file's name; nothing opens.
    const std::size_t open = shell.controller().documents().size();
    const QString wrongType = folder.filePath(QStringLiteral("wrong.pendrill"));
    writeFile(wrongType, DocumentFile::encode(kPendrillDocumentKind, {{JobSettingsKey::kDownloadInterval, 5}}));
    const QString garbage = folder.filePath(QStringLiteral("garbage.pendrill"));
    writeFile(garbage, "{\"format\": \"pendrill-document\", \"version\": 1, \"values\": ");
    const QString otherKind = folder.filePath(QStringLiteral("other.pendrill"));
    writeFile(otherKind, DocumentFile::encode(QStringLiteral("vellicor-document"), {}));
    for (const QString &path : {wrongType, garbage, otherKind})
        EXPECT_EQ(shell.controller().openDocument(path), nullptr) << qPrintable(path);
    EXPECT_EQ(shell.controller().documents().size(), open);
    ASSERT_EQ(shell.userInterface->problems.size(), 3);
    EXPECT_TRUE(shell.userInterface->problems.at(0).contains(QStringLiteral("wrong.pendrill")));
    shell.controller().closeAllDocuments();
}

TEST(PendrillDocument, WindowRunsAJobShowsThePictureAndTogglesItsDetails)
{
    PendrillSite site;
    ASSERT_TRUE(site.start());
    QTemporaryDir folder;
    Shell shell;
    auto *document = static_cast<MyDocument *>(shell.controller().newDocument());
    Ui::MyDocument &ui = document->ui();
    QWidget *window = document->window();
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(ui._downloadInfoNameText->text(), LocalizedString("kNoneTitle"));

    // Reveal before anything was saved does nothing.
    int reveals = 0;
    SetRevealServices({[&](const QUrl &, std::function<void()>) { return ++reveals, true; },
                       [&](const QUrl &) { return ++reveals, true; }, [] {}});
    document->revealItemInFinderPushed();
    EXPECT_EQ(reveals, 0);

    ui._URLText->setText(site.url(QStringLiteral("/cam.jpg")));
    ui._targetFolderPathText->setText(folder.path());
    ui._baseFileNameText->setText(QStringLiteral("cam"));
    ui._downloadIntervalText->setText(QStringLiteral("100"));
    ui._startButton->click();
    EXPECT_FALSE(ui._URLText->isEnabled());
    EXPECT_FALSE(ui._changeTargetFolderButton->isEnabled());
    EXPECT_EQ(ui._startButton->text(), LocalizedString("kStopButtonTitle"));
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return document->job().downloadCount() == 1; }));
    EXPECT_EQ(ui._downloadInfoNameText->text(), "cam001.jpg");
    EXPECT_EQ(ui._statusText->text(), LocalizedString("kDownloadSuccessMessage"));
    EXPECT_FALSE(ui._imageView->pixmap().isNull());
    EXPECT_EQ(ui._progressIndicator->maximum(), 1);
    document->revealItemInFinderPushed();
    EXPECT_EQ(reveals, 1);
    SetRevealServices(DefaultRevealServices());
    window->grab().save(screenshotPath("pendrill-details-shown.png"));

    ui._disclosureTriangle->click();
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return window->height() == MyDocument::kCollapsedHeight; }, 3000));
    EXPECT_FALSE(document->isFullyExposed());
    EXPECT_FALSE(ui._detailsView->isVisible());
    EXPECT_EQ(ui._disclosureTriangle->text(), LocalizedString("kShowDetailsButtonTitle"));
    window->grab().save(screenshotPath("pendrill-details-hidden.png"));
    ui._disclosureTriangle->click();
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return window->height() == MyDocument::kExposedHeight; }, 3000));
    EXPECT_EQ(ui._disclosureTriangle->text(), LocalizedString("kHideDetailsButtonTitle"));

    ui._startButton->click();
    EXPECT_TRUE(ui._URLText->isEnabled());
    EXPECT_EQ(ui._statusText->text(), LocalizedString("kStoppedMessage"));
    EXPECT_FALSE(document->isDocumentEdited());
    shell.controller().closeAllDocuments();
}

TEST(PendrillDocument, ClosingTheWindowWithAFetchInFlightDropsTheLateResult)
{
    FaultServer slow([](FaultConnection &connection) {
        connection.readRequest();
        if (connection.pause(300)) {
            const QByteArray body = PictureBytes();
            connection.send("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        }
    });
    QTemporaryDir folder;
    Shell shell;
    auto *document = static_cast<MyDocument *>(shell.controller().newDocument());
    QPointer<QWidget> window = document->window();
    QPointer<MyDocument> alive = document;
    document->ui()._URLText->setText(QString::fromLatin1(slow.url("/x.png")));
    document->ui()._targetFolderPathText->setText(folder.path());
    document->startButtonPushed();
    window->close();
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return alive.isNull() && window.isNull(); }, 3000));
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([] { return FileDownloadThread::runningCount() == 0; }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(VisibleFiles(folder.path()).isEmpty());
    EXPECT_TRUE(shell.controller().documents().empty());
}

TEST(PendrillShell, EachPreferencesCommandMakesACentredWindowThatIsFreedWhenClosed)
{
    Shell shell;
    QPointer<PreferencesWindowController> first = shell.delegate.createPreferencesWindow(nullptr);
    QPointer<PreferencesWindowController> second = shell.delegate.createPreferencesWindow(nullptr);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.data(), second.data());
    EXPECT_TRUE(first->isVisible() && second->isVisible());
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((first->geometry().center() - screenCentre).manhattanLength(), 8);
    first->findChild<QPushButton *>(QStringLiteral("_OKButton"))->click();
    second->findChild<QPushButton *>(QStringLiteral("_cancelButton"))->click();
    EXPECT_FALSE(first->isVisible() || second->isVisible());
    // A click from code, outside any event delivery, leaves the deletion to the outermost loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull() && second.isNull());
}

TEST(PendrillShell, UserGuideIsShippedAndItsAbsenceIsSilent)
{
    Shell shell;
    const QString builtResources = QStringLiteral(PENDRILL_RESOURCE_FOLDER);
    EXPECT_TRUE(QFileInfo::exists(builtResources + QStringLiteral("/UserGuide/UserGuide.html")));
    QTemporaryDir empty;
    SetResourceFolder(empty.path());
    EXPECT_FALSE(shell.delegate.showHelpFile(nullptr));
    SetResourceFolder(QStringLiteral(VELLICOR_RESOURCE_FOLDER));
}
