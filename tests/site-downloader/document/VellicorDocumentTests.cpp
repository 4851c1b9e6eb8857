// The download document against the fake wget: the log file, the table, start and stop, the
// options sheet, saving and reverting, and the program's document windows.
#include "platform/LocalizedString.h"
#include "site-downloader/app/VellicorApplication.h"
#include "site-downloader/document/VellicorDocument.h"
#include "site-downloader/wget/WgetEnginePreferences.h"
#include "support/defaults/UserDefaults.h"
#include "tests/fixtures/FakeWget.h"
#include "tests/fixtures/ProcessProbe.h"
#include "tests/fixtures/QtPrinters.h"
#include "tests/fixtures/ScriptedUserInterface.h"

#include <QCheckBox>
#include <QDialog>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// wget reports nothing before it has connected.
const QByteArray kConnected = "Connecting to 127.0.0.1:9... connected.\n";

const QByteArray kBanner = "\n=========================================================================\n"
                           "=========================== Vellicor Started ===========================\n"
                           "=========================================================================\n\n";

QByteArray savedLine(const QString &path)
{
    return "2026-12-06 21:20:50 (28.3 MB/s) - \xE2\x80\x98" + path.toUtf8() + "\xE2\x80\x99 saved [3/3]\n";
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template <typename Control>
Control *control(VellicorDocument &document, const char *name)
{
    Control *found = document.window()->findChild<Control *>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

class DocumentTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        document.preferences()->setOutputDirectory(folder.path(), false);
        document.preferences()->setBaseURL(QStringLiteral("http://127.0.0.1:9/"));
        document.makeWindow();
    }

    QString logPath() const { return document.preferences()->logFilePath().value_or(QString()); }
    bool runEnds() { return ProcessProbe::runEventLoopUntil([this] { return !document.isBusy(); }); }
    QString status() { return control<QLabel>(document, "_textFieldEngineStatus")->text(); }
    QString buttonTitle() { return control<QPushButton>(document, "_buttonStartStop")->text(); }
    // A file of `size` bytes in the download folder, and the line wget prints for it.
    QByteArray savedFile(const QString &name, int size)
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, 'x'));
        return savedLine(path);
    }

    QTemporaryDir folder;
    VellicorDocument document;
};

} // namespace

TEST_F(DocumentTest, RunFillsTableAndLogAndEndsWithTheResult)
{
    const QByteArray transcript = kConnected + "--2026-12-06 21:20:50--  http://127.0.0.1:9/a%20b.html\n" + savedFile("a b.html", 1536) +
                                  "--2026-12-06 21:20:50--  http://127.0.0.1:9/two.bin\n" + savedFile("two.bin", 10) +
                                  savedFile("three.bin", 0);
    FakeWget fake(QStringLiteral("cat \"%1\" >&2; sleep 0.3; exit 4").arg(WriteTranscript(folder.path(), transcript)));

    control<QLabel>(document, "_textFieldEngineStatus")->setText(QStringLiteral("old"));
    document.buttonClickedStartStop(nullptr);
    ASSERT_TRUE(document.isBusy());
    EXPECT_EQ(status(), QString());
    EXPECT_EQ(buttonTitle(), LocalizedString("kStopButtonTitle"));
    EXPECT_EQ(control<QLabel>(document, "_textFieldURLCount")->text(), "0");
    EXPECT_TRUE(control<QPushButton>(document, "_buttonShowActivityLog")->isEnabled());
    EXPECT_EQ(readFile(logPath()), kBanner);

    ASSERT_TRUE(runEnds());
    EXPECT_EQ(document.totalURLs(), 3);
    EXPECT_EQ(control<QLabel>(document, "_textFieldURLCount")->text(), "3");
    const QList<QVariantMap> &rows = document.tableDataSource()->data();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].value("url"), QStringLiteral("http://127.0.0.1:9/a%20b.html"));
    EXPECT_EQ(rows[0].value("size"), QStringLiteral("1.5 KB"));
    EXPECT_EQ(rows[0].value("filename"), QStringLiteral("a b.html"));
    EXPECT_EQ(rows[0].value("path"), folder.filePath("a b.html"));
    EXPECT_EQ(rows[1].value("url"), QStringLiteral("http://127.0.0.1:9/two.bin"));
    // The address belongs to one file only.
    EXPECT_FALSE(rows[2].contains("url"));
    EXPECT_EQ(rows[2].value("filename"), QStringLiteral("three.bin"));

    // Exit 4 without "FINISHED": a network failure, named in the status line.
    EXPECT_EQ(status(), QStringLiteral("Error -6753 occurred (kConnectionErr)."));
    EXPECT_EQ(buttonTitle(), LocalizedString("kStartButtonTitle"));
    // The log holds the banner, then each line with its time stamp, percent signs as they were.
    const QByteArray log = readFile(logPath());
    ASSERT_TRUE(log.startsWith(kBanner));
    const QList<QByteArray> lines = log.mid(kBanner.size()).split('\n');
    EXPECT_EQ(lines.size(), 7); // six lines and the empty rest after the last line feed
    EXPECT_TRUE(QRegularExpression(R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d [+-]\d{4}\] --2026.*a%20b\.html$)")
                    .match(QString::fromUtf8(lines[1]))
                    .hasMatch());
    // A run that ends by itself leaves no open log behind.
    EXPECT_FALSE(document.isLogFileOpen());
}

TEST(DocumentResult, StatusTexts)
{
    EXPECT_EQ(VellicorDocument::statusTextForResult(0), QString());
    EXPECT_EQ(VellicorDocument::statusTextForResult(-6723), QString());
    EXPECT_EQ(VellicorDocument::statusTextForResult(-6752), QString());
    EXPECT_EQ(VellicorDocument::statusTextForResult(-6712), QStringLiteral("Error -6712 occurred (kResponseErr)."));
    EXPECT_EQ(VellicorDocument::statusTextForResult(2), QStringLiteral("Error 2 occurred (No such file or directory)."));
}

TEST_F(DocumentTest, StopWritesToTheLogKillsTheChildAndClosesTheLog)
{
    FakeWget fake(QStringLiteral("echo 'Resolving host...' >&2; exec sleep 60"));
    const int descriptorsBefore = ProcessProbe::openDescriptorCount();
    document.buttonClickedStartStop(nullptr);
    ASSERT_TRUE(document.isBusy());
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([this] { return readFile(logPath()).contains("Resolving"); }));
    EXPECT_EQ(ProcessProbe::childProcessCount(), 1);

    document.buttonClickedStartStop(nullptr);
    EXPECT_FALSE(document.isBusy());
    EXPECT_FALSE(document.isLogFileOpen());
    EXPECT_TRUE(readFile(logPath()).endsWith("Resolving host...\nStopped by user\n"));
    EXPECT_EQ(status(), QString());
    EXPECT_EQ(buttonTitle(), LocalizedString("kStartButtonTitle"));
    EXPECT_TRUE(ProcessProbe::runEventLoopUntil([] { return ProcessProbe::childProcessCount() == 0; }));
    EXPECT_EQ(ProcessProbe::openDescriptorCount(), descriptorsBefore);

    // A second run appends its own banner to the same log.
    document.buttonClickedStartStop(nullptr);
    document.buttonClickedStartStop(nullptr);
    EXPECT_EQ(readFile(logPath()).count("Vellicor Started"), 2);
    EXPECT_EQ(ProcessProbe::openDescriptorCount(), descriptorsBefore);
}

TEST_F(DocumentTest, StartEmptiesTheTableAndKeepsTheRowLimit)
{
    UserDefaults::setInteger(2, VellicorDocument::kMaxTableURLsDefaultsKey);
    VellicorDocument limited;
    limited.preferences()->setOutputDirectory(folder.path(), false);
    limited.preferences()->setBaseURL(QStringLiteral("http://127.0.0.1:9/"));
    limited.makeWindow();
    UserDefaults::removeObjectForKey(VellicorDocument::kMaxTableURLsDefaultsKey);

    QByteArray transcript = kConnected;
    for (const char *name : {"1", "2", "3", "4"})
        transcript += savedFile(QLatin1String(name), 1);
    FakeWget fake(QStringLiteral("cat \"%1\" >&2").arg(WriteTranscript(folder.path(), transcript)));
    limited.buttonClickedStartStop(nullptr);
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&limited] { return !limited.isBusy(); }));
    // The model trims only once it holds more rows than its limit.
    ASSERT_EQ(limited.tableDataSource()->count(), 3);
    EXPECT_EQ(limited.tableDataSource()->itemObject(0, "filename"), QStringLiteral("2"));
    EXPECT_EQ(limited.totalURLs(), 4);

    // Selecting a row, then starting again, leaves nothing pointing at the removed rows.
    auto *table = limited.window()->findChild<QTableView *>("_tableViewURLs");
    table->selectRow(2);
    EXPECT_EQ(limited.currentImagePreviewItemFilePath(), folder.filePath("4"));
    FakeWget silent(QStringLiteral("exit 0"));
    limited.buttonClickedStartStop(nullptr);
    EXPECT_EQ(limited.tableDataSource()->count(), 0);
    limited.tableDoubleClicked(table);
    limited.tableViewSelectionDidChange(limited.tableDataSource(), table->selectionModel());
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&limited] { return !limited.isBusy(); }));
}

TEST_F(DocumentTest, TwoDocumentsRunAtOnceWithoutMixingTheirEvents)
{
    QTemporaryDir otherFolder;
    VellicorDocument other;
    other.preferences()->setOutputDirectory(otherFolder.path(), false);
    other.preferences()->setBaseURL(QStringLiteral("http://127.0.0.1:9/other"));
    other.makeWindow();
    // One script for both: each prints the address it was given as its saved file.
    FakeWget fake(QString::fromUtf8("for a; do last=$a; done; echo connected. >&2; for i in 1 2 3; do echo \"x - \xE2\x80\x98$last$i\xE2\x80\x99 saved [1/1]\" >&2; sleep 0.05; done"));
    document.buttonClickedStartStop(nullptr);
    other.buttonClickedStartStop(nullptr);
    ASSERT_TRUE(ProcessProbe::runEventLoopUntil([&] { return !document.isBusy() && !other.isBusy(); }));
    ASSERT_EQ(document.tableDataSource()->count(), 3);
    ASSERT_EQ(other.tableDataSource()->count(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_TRUE(document.tableDataSource()->itemObject(row, "path").toString().startsWith("http://127.0.0.1:9/"));
        EXPECT_FALSE(document.tableDataSource()->itemObject(row, "path").toString().contains("other"));
        EXPECT_TRUE(other.tableDataSource()->itemObject(row, "path").toString().contains("other"));
    }
    EXPECT_FALSE(readFile(logPath()).contains("other"));
    EXPECT_TRUE(readFile(other.preferences()->logFilePath().value()).contains("other"));
}

TEST_F(DocumentTest, SheetCancelRestoresTheControlsEvenAfterAnEarlierOK)
{
    auto *recursive = control<QCheckBox>(document, "_panelDownloadOptions_checkBoxRecursive");
    auto *depth = control<QSpinBox>(document, "_panelDownloadOptions_textFieldRecursionLevelMax");
    ASSERT_TRUE(recursive->isChecked());
    document.window()->show();

    document.buttonClickedShowDownloadOptions(nullptr);
    auto *sheet = document.window()->findChild<QDialog *>("_panelDownloadOptions");
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    sheet->grab().save(QStringLiteral("VellicorDocument-options-sheet.png"));
    recursive->setChecked(false);
    depth->setValue(9);
    EXPECT_FALSE(document.isDocumentEdited());
    document.buttonClickedDownloadOptionsOK(nullptr);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_TRUE(document.isDocumentEdited());
    // OK does not reach the options; they change at the next start or save.
    EXPECT_TRUE(document.preferences()->_recursive);

    document.buttonClickedShowDownloadOptions(nullptr);
    depth->setValue(3);
    document.buttonClickedDownloadOptionsCancel(nullptr);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_TRUE(recursive->isChecked());
    EXPECT_EQ(depth->value(), 5);

    // Escape cancels the same way.
    document.buttonClickedShowDownloadOptions(nullptr);
    recursive->setChecked(false);
    QTest::keyClick(sheet, Qt::Key_Escape);
    EXPECT_TRUE(recursive->isChecked());
}

TEST_F(DocumentTest, TypingMarksTheDocumentEditedAndTheUserNameTurnsOnAuthentication)
{
    auto *user = control<QLineEdit>(document, "_textFieldUsername");
    QTest::keyClicks(user, "ann");
    EXPECT_TRUE(document.isDocumentEdited());
    document.updatePreferencesForUIState();
    EXPECT_TRUE(document.preferences()->_useAuthentication);
    user->clear();
    document.updatePreferencesForUIState();
    EXPECT_FALSE(document.preferences()->_useAuthentication);
    EXPECT_EQ(document.preferences()->username(), QString());
}

TEST_F(DocumentTest, FolderChoiceCancelKeepsTheFolder)
{
    auto *popUp = control<QComboBox>(document, "_panelDownloadOptions_popUpButtonDownloadFolder");
    QTemporaryDir chosenFolder;
    std::optional<QString> answer;
    QString startedIn;
    document.setFolderChooser([&](QWidget *, const QString &start) {
        startedIn = start;
        return answer;
    });
    document.chooseDownloadFolderFromFileBrowser(popUp);
    EXPECT_EQ(startedIn, folder.path());
    EXPECT_EQ(popUp->itemData(0, Qt::UserRole), folder.path());
    answer = chosenFolder.path();
    document.chooseDownloadFolderFromFileBrowser(popUp);
    EXPECT_EQ(popUp->itemData(0, Qt::UserRole), chosenFolder.path());
    document.updatePreferencesForUIState();
    EXPECT_EQ(document.preferences()->basicOutputDirectory(), chosenFolder.path());
}

namespace {

// Every control of the sheet and the window set away from its default.
void changeEveryControl(VellicorDocument &document)
{
    QWidget *window = document.window();
    for (QCheckBox *box : window->findChildren<QCheckBox *>())
        box->setChecked(!box->isChecked());
    for (QSpinBox *field : window->findChildren<QSpinBox *>())
        field->setValue(field->value() + 7);
    for (QLineEdit *field : window->findChildren<QLineEdit *>())
        if (field->objectName().startsWith('_'))
            field->setText(field->objectName() + QStringLiteral(" ünï"));
    window->findChild<QRadioButton *>("_panelDownloadOptions_radioFileHandling1")->setChecked(true);
}

} // namespace

TEST(DocumentFile, SaveAndReopenRestoresEveryOptionAndRowPrivately)
{
    QTemporaryDir folder;
    ScriptedUserInterface answers;
    answers.savePath = folder.filePath("job");
    VellicorApplication application(&answers);
    DocumentController &controller = application.documentController();
    auto *document = static_cast<VellicorDocument *>(controller.newDocument());
    changeEveryControl(*document);
    document->tableDataSource()->importFromArray(
        {QVariantMap{{"url", "http://a/"}, {"size", "1 KB"}, {"filename", "a"}, {"path", "/x/a"}},
         QVariantMap{{"filename", "b"}, {"path", "/x/b"}}});
    ASSERT_TRUE(controller.saveDocumentAs(document));
    const QString path = folder.filePath("job.vellicor");
    struct stat attributes {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &attributes), 0);
    EXPECT_EQ(attributes.st_mode & 0777, 0600u);
    const QVariantMap saved = document->preferences()->getValuesAsDictionary();
    EXPECT_EQ(saved.value("_username"), QStringLiteral("_textFieldUsername ünï"));
    EXPECT_EQ(saved.value("_fileHandlingType").toInt(), 1);
    ASSERT_TRUE(controller.closeDocument(document));

    auto *reopened = static_cast<VellicorDocument *>(controller.openDocument(path));
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->preferences()->getValuesAsDictionary(), saved);
    EXPECT_EQ(reopened->tableDataSource()->count(), 2);
    EXPECT_EQ(reopened->tableDataSource()->itemObject(1, "path"), QStringLiteral("/x/b"));
    // The controls show the file, so a second save writes the same content.
    EXPECT_EQ(WgetEnginePreferences::preferencesWithDataRepresentation(reopened->dataRepresentation())->getValuesAsDictionary(),
              saved);
}

TEST(DocumentFile, RefusedFilesKeepTheCurrentOptions)
{
    QTemporaryDir folder;
    ScriptedUserInterface answers;
    answers.savePath = folder.filePath("job.vellicor");
    VellicorApplication application(&answers);
    DocumentController &controller = application.documentController();
    auto *document = static_cast<VellicorDocument *>(controller.newDocument());
    document->window()->findChild<QLineEdit *>("_textFieldBaseURL")->setText("http://kept/");
    ASSERT_TRUE(controller.saveDocument(document));

    // A foreign file and a malformed table array are refused with a reason.
    QString problem;
    EXPECT_FALSE(document->loadDataRepresentation(R"({"format":"pendrill-document","version":1,"values":{}})", &problem));
    EXPECT_FALSE(problem.isEmpty());
    EXPECT_FALSE(document->loadDataRepresentation(
        R"({"format":"vellicor-document","version":1,"values":{"_auxillaryDataArray":[1,"x"]}})", &problem));
    ASSERT_NE(document->preferences(), nullptr);

    // Revert of a damaged file: the document stays as it was and the user hears why.
    QFile damaged(answers.savePath);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("{\"format\": \"vellicor-document\", ");
    damaged.close();
    document->updateChangeCount(true);
    EXPECT_FALSE(controller.revertDocument(document));
    ASSERT_EQ(answers.problems.size(), 1);
    EXPECT_TRUE(answers.problems[0].contains("job.vellicor"));
    EXPECT_EQ(document->preferences()->baseURL(), QStringLiteral("http://kept/"));
    EXPECT_EQ(document->window()->findChild<QLineEdit *>("_textFieldBaseURL")->text(), "http://kept/");
}

TEST(DocumentLifetime, ClosingOrDestroyingARunningDocumentEndsTheRun)
{
    FakeWget fake(QStringLiteral("exec sleep 60"));
    QTemporaryDir folder;
    {
        VellicorDocument document;
        document.preferences()->setOutputDirectory(folder.path(), false);
        document.preferences()->setBaseURL(QStringLiteral("http://127.0.0.1:9/"));
        document.makeWindow();
        document.buttonClickedStartStop(nullptr);
        ASSERT_TRUE(document.isBusy());
        document.close();
        EXPECT_FALSE(document.isBusy());
        EXPECT_FALSE(document.isLogFileOpen());
        document.buttonClickedStartStop(nullptr); // nothing left to start with
        EXPECT_FALSE(document.isBusy());
    }
    {
        VellicorDocument document;
        document.preferences()->setOutputDirectory(folder.path(), false);
        document.preferences()->setBaseURL(QStringLiteral("http://127.0.0.1:9/"));
        document.makeWindow();
        document.buttonClickedStartStop(nullptr);
    }
    EXPECT_TRUE(ProcessProbe::runEventLoopUntil([] { return ProcessProbe::childProcessCount() == 0; }));
}

TEST(VellicorProgram, LaunchOpensOneUntitledDocumentWithMenusOrTheGivenFiles)
{
    ScriptedUserInterface answers;
    {
        VellicorApplication application(&answers);
        application.openDocumentsAtLaunch({});
        ASSERT_EQ(application.documentController().documents().size(), 1u);
        auto *window = qobject_cast<QMainWindow *>(application.documentController().documents().front()->window());
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        QStringList menus;
        for (QAction *action : window->menuBar()->actions())
            menus << action->text();
        EXPECT_EQ(menus, QStringList({LocalizedString("kFileMenuTitle"), LocalizedString("kWindowMenuTitle")}));
        window->grab().save(QStringLiteral("VellicorDocument-window.png"));
        // Closing the window goes through the controller.
        window->close();
        EXPECT_TRUE(application.documentController().documents().empty());
    }
    {
        VellicorApplication application(&answers);
        application.openDocumentsAtLaunch({QStringLiteral("/nonexistent/job.vellicor")});
        EXPECT_TRUE(application.documentController().documents().empty());
        EXPECT_EQ(answers.problems.size(), 1);
    }
}
