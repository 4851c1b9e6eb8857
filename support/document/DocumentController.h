#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class Document;
class QWidget;

// The questions a document controller asks the user. The program uses message boxes and file
// dialogs; tests answer with a script.
class DocumentUserInterface
{
public:
    enum class SaveChangesAnswer { Save, DontSave, Cancel };

    virtual ~DocumentUserInterface() = default;
    virtual SaveChangesAnswer askToSaveChanges(Document *document) = 0;
    // A path to save to, or an empty string when the user cancels.
    virtual QString askForSavePath(Document *document, const QString &suggestedPath) = 0;
    // Paths to open; empty when the user cancels.
    virtual QStringList askForPathsToOpen() = 0;
    // Whether to throw away the changes and read the file again.
    virtual bool confirmRevert(Document *document) = 0;
    virtual void showProblem(Document *document, const QString &message) = 0;
};

// What the controller needs to know of a program's document type.
struct DocumentType {
    QString extension;   // "vellicor"
    QString nameFilter;  // for the file dialogs, "Vellicor documents (*.vellicor)"
    std::function<std::unique_ptr<Document>()> create;
};

// New, Open, Open Recent, Save, Save As, Revert and Close for the documents of one program, and
// the question whether to save changes. Owns its documents.
class DocumentController final : public QObject
{
    Q_OBJECT

public:
    DocumentController(DocumentType type, DocumentUserInterface *userInterface, QObject *parent = nullptr);
    ~DocumentController() override;

    // The desktop asks a program to open documents by passing their paths at launch: open
    // them, or one untitled document when there are none.
    void openDocumentsAtLaunch(const QStringList &paths);

    Document *newDocument();
    // Opens a file, or brings its window forward when it is open already. A refusal is shown
    // with the file's name and the reason, and nothing else changes.
    Document *openDocument(const QString &path);
    void openDocumentsChosenByUser();

    bool saveDocument(Document *document);
    bool saveDocumentAs(Document *document);
    bool revertDocument(Document *document);
    // Asks about unsaved changes first. False when the user cancels.
    bool closeDocument(Document *document);
    // Before quitting: closes every document, or none when the user cancels.
    bool closeAllDocuments();

    const std::vector<std::unique_ptr<Document>> &documents() const { return _documents; }
    Document *documentForPath(const QString &path) const;

    QStringList recentDocumentPaths() const;
    void clearRecentDocuments();
    static constexpr int kRecentDocumentLimit = 10;

signals:
    void documentOpened(Document *document);
    void documentClosing(Document *document);
    void recentDocumentsChanged();

private:
    Document *adopt(std::unique_ptr<Document> document);
    void noteRecentDocument(const QString &path);
    QString nextUntitledName();
    QString problemMessage(const QString &path, const QString &problem) const;

    DocumentType _type;
    DocumentUserInterface *_userInterface;
    std::vector<std::unique_ptr<Document>> _documents;
    int _untitledCount = 0;
};

// The program's answers: message boxes and file dialogs, window-modal where a window exists.
class DialogDocumentUserInterface final : public DocumentUserInterface
{
public:
    explicit DialogDocumentUserInterface(QString nameFilter) : _nameFilter(std::move(nameFilter)) {}
    SaveChangesAnswer askToSaveChanges(Document *document) override;
    QString askForSavePath(Document *document, const QString &suggestedPath) override;
    QStringList askForPathsToOpen() override;
    bool confirmRevert(Document *document) override;
    void showProblem(Document *document, const QString &message) override;

private:
    QString _nameFilter;
};
