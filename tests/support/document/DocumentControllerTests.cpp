// The document controller with a plain document and scripted answers from the user.
#include "platform/DocumentFile.h"
#include "platform/LocalizedString.h"
#include "support/document/Document.h"
#include "support/document/DocumentController.h"
#include "tests/fixtures/QtPrinters.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const QString kKind = QStringLiteral("test-document");

class TextDocument final : public Document
{
public:
    QByteArray dataRepresentation() override
    {
        return DocumentFile::encode(kKind, {{QStringLiteral("text"), text}});
    }
    bool loadDataRepresentation(const QByteArray &data, QString *problem) override
    {
        const std::optional<QVariantMap> values = DocumentFile::decode(data, kKind, problem);
        if (!values)
            return false;
        text = values->value(QStringLiteral("text")).toString();
        return true;
    }
    bool holdsSecrets() const override { return true; }
    void close() override { ++closed; }

    QString text;
    int closed = 0;
};

class ScriptedUserInterface final : public DocumentUserInterface
{
public:
    SaveChangesAnswer askToSaveChanges(Document *document) override
    {
        asked << document->displayName();
        SaveChangesAnswer answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }
    QString askForSavePath(Document *, const QString &suggested) override
    {
        suggestedPaths << suggested;
        return savePath;
    }
    QStringList askForPathsToOpen() override { return {}; }
    bool confirmRevert(Document *) override { return true; }
    void showProblem(Document *, const QString &message) override { problems << message; }

    std::deque<SaveChangesAnswer> saveAnswers;
    QString savePath;
    QStringList asked, suggestedPaths, problems;
};

class DocumentControllerTest : public testing::Test
{
protected:
    DocumentControllerTest()
        : controller({QStringLiteral("test"), QStringLiteral("(*.test)"), [] { return std::make_unique<TextDocument>(); }},
                     &userInterface)
    {
    }
    static TextDocument *text(Document *document) { return static_cast<TextDocument *>(document); }
    QString path(const QString &name) const { return folder.path() + QLatin1Char('/') + name; }

    QTemporaryDir folder;
    ScriptedUserInterface userInterface;
    DocumentController controller;
};

} // namespace

TEST_F(DocumentControllerTest, LaunchOpensTheGivenDocumentsOrOneUntitled)
{
    controller.openDocumentsAtLaunch({});
    ASSERT_EQ(controller.documents().size(), 1u);
    EXPECT_EQ(controller.documents()[0]->displayName(), LocalizedString("kUntitledDocumentName"));
    EXPECT_NE(controller.newDocument()->displayName(), controller.documents()[0]->displayName());

    DocumentController second({QStringLiteral("test"), {}, [] { return std::make_unique<TextDocument>(); }}, &userInterface);
    QFile file(path(QStringLiteral("job.test")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(DocumentFile::encode(kKind, {{QStringLiteral("text"), QStringLiteral("stored")}}));
    file.close();
    second.openDocumentsAtLaunch({file.fileName()});
    ASSERT_EQ(second.documents().size(), 1u);
    EXPECT_EQ(text(second.documents()[0].get())->text, "stored");
    EXPECT_EQ(second.documents()[0]->displayName(), "job");
}

TEST_F(DocumentControllerTest, SaveAsThenSaveThenReopen)
{
    Document *document = controller.newDocument();
    text(document)->text = QStringLiteral("first");
    document->updateChangeCount(true);
    userInterface.savePath = path(QStringLiteral("saved")); // the extension is added
    ASSERT_TRUE(controller.saveDocument(document));
    EXPECT_EQ(document->filePath(), path(QStringLiteral("saved.test")));
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(QFileInfo(document->filePath()).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);
    EXPECT_EQ(controller.recentDocumentPaths(), QStringList{document->filePath()});

    text(document)->text = QStringLiteral("second");
    ASSERT_TRUE(controller.saveDocument(document));
    EXPECT_EQ(userInterface.suggestedPaths.size(), 1); // no second question
    // Opening the same file again brings the open document forward instead of a copy.
    EXPECT_EQ(controller.openDocument(document->filePath()), document);
    EXPECT_EQ(controller.documents().size(), 1u);
}

TEST_F(DocumentControllerTest, ARefusedFileNamesItselfAndChangesNothing)
{
    QFile foreign(path(QStringLiteral("foreign.test")));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write(R"({"format": "someone-else", "version": 1, "values": {}})");
    foreign.close();
    EXPECT_EQ(controller.openDocument(foreign.fileName()), nullptr);
    EXPECT_EQ(controller.openDocument(path(QStringLiteral("missing.test"))), nullptr);
    ASSERT_EQ(userInterface.problems.size(), 2);
    EXPECT_TRUE(userInterface.problems[0].contains(QStringLiteral("foreign.test")));
    EXPECT_TRUE(userInterface.problems[1].contains(QStringLiteral("missing.test")));
    EXPECT_TRUE(controller.documents().empty());
    EXPECT_TRUE(controller.recentDocumentPaths().isEmpty());
}

TEST_F(DocumentControllerTest, RevertReadsTheSavedVersionBack)
{
    Document *document = controller.newDocument();
    text(document)->text = QStringLiteral("saved");
    userInterface.savePath = path(QStringLiteral("revert.test"));
    ASSERT_TRUE(controller.saveDocument(document));
    text(document)->text = QStringLiteral("changed");
    document->updateChangeCount(true);
    ASSERT_TRUE(controller.revertDocument(document));
    EXPECT_EQ(text(document)->text, "saved");
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(DocumentControllerTest, ClosingAsksAboutChangesOnly)
{
    Document *clean = controller.newDocument();
    Document *edited = controller.newDocument();
    edited->updateChangeCount(true);

    EXPECT_TRUE(controller.closeDocument(clean));
    EXPECT_TRUE(userInterface.asked.isEmpty());

    userInterface.saveAnswers = {DocumentUserInterface::SaveChangesAnswer::Cancel};
    EXPECT_FALSE(controller.closeDocument(edited));
    EXPECT_EQ(controller.documents().size(), 1u);
    EXPECT_EQ(text(edited)->closed, 0);

    // Saving an untitled document whose save dialog is cancelled keeps it open.
    userInterface.saveAnswers = {DocumentUserInterface::SaveChangesAnswer::Save};
    userInterface.savePath.clear();
    EXPECT_FALSE(controller.closeDocument(edited));
    EXPECT_EQ(controller.documents().size(), 1u);

    userInterface.saveAnswers = {DocumentUserInterface::SaveChangesAnswer::DontSave};
    EXPECT_TRUE(controller.closeDocument(edited));
    EXPECT_TRUE(controller.documents().empty());
}

TEST_F(DocumentControllerTest, QuitIsCancelledWholeOrDoneWhole)
{
    Document *first = controller.newDocument();
    Document *second = controller.newDocument();
    first->updateChangeCount(true);
    second->updateChangeCount(true);
    userInterface.saveAnswers = {DocumentUserInterface::SaveChangesAnswer::DontSave,
                                 DocumentUserInterface::SaveChangesAnswer::Cancel};
    EXPECT_FALSE(controller.closeAllDocuments());
    EXPECT_EQ(controller.documents().size(), 2u);

    userInterface.saveAnswers = {DocumentUserInterface::SaveChangesAnswer::DontSave,
                                 DocumentUserInterface::SaveChangesAnswer::DontSave};
    EXPECT_TRUE(controller.closeAllDocuments());
    EXPECT_TRUE(controller.documents().empty());
}
