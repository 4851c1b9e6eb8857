#include "support/document/DocumentController.h"

#include "platform/LocalizedString.h"
#include "support/document/Document.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>

namespace {

const QString kRecentDocumentsKey = QStringLiteral("RecentDocuments");

QString canonicalOrAbsolute(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

void bringForward(Document *document)
{
    if (QWidget *window = document->window()) {
        window->show();
        window->raise();
        window->activateWindow();
    }
}

} // namespace

DocumentController::DocumentController(DocumentType type, DocumentUserInterface *userInterface, QObject *parent)
    : QObject(parent), _type(std::move(type)), _userInterface(userInterface)
{
}

DocumentController::~DocumentController()
{
    for (const std::unique_ptr<Document> &document : _documents)
        document->close();
}

void DocumentController::openDocumentsAtLaunch(const QStringList &paths)
{
    for (const QString &path : paths)
        openDocument(path);
    if (paths.isEmpty())
        newDocument();
}

Document *DocumentController::adopt(std::unique_ptr<Document> document)
{
    Document *adopted = document.get();
    _documents.push_back(std::move(document));
    adopted->makeWindow();
    emit documentOpened(adopted);
    return adopted;
}

QString DocumentController::nextUntitledName()
{
    ++_untitledCount;
    const QString name = LocalizedString("kUntitledDocumentName");
    return _untitledCount == 1 ? name : LocalizedString("kUntitledNumberedDocumentName").arg(name).arg(_untitledCount);
}

Document *DocumentController::newDocument()
{
    std::unique_ptr<Document> document = _type.create();
    document->setUntitledName(nextUntitledName());
    return adopt(std::move(document));
}

QString DocumentController::problemMessage(const QString &path, const QString &problem) const
{
    return LocalizedString("kDocumentOpenFailedMessage").arg(QFileInfo(path).fileName(), problem);
}

Document *DocumentController::openDocument(const QString &path)
{
    if (Document *open = documentForPath(path)) {
        bringForward(open);
        return open;
    }
    std::unique_ptr<Document> document = _type.create();
    QString problem;
    if (!document->readFromFile(path, &problem)) {
        _userInterface->showProblem(nullptr, problemMessage(path, problem));
        return nullptr;
    }
    noteRecentDocument(document->filePath());
    return adopt(std::move(document));
}

void DocumentController::openDocumentsChosenByUser()
{
    for (const QString &path : _userInterface->askForPathsToOpen())
        openDocument(path);
}

Document *DocumentController::documentForPath(const QString &path) const
{
    const QString wanted = canonicalOrAbsolute(path);
    for (const std::unique_ptr<Document> &document : _documents)
        if (!document->filePath().isEmpty() && canonicalOrAbsolute(document->filePath()) == wanted)
            return document.get();
    return nullptr;
}

bool DocumentController::saveDocument(Document *document)
{
    if (document->filePath().isEmpty())
        return saveDocumentAs(document);
    QString problem;
    if (!document->writeToFile(document->filePath(), &problem)) {
        _userInterface->showProblem(document, LocalizedString("kDocumentSaveFailedMessage")
                                                  .arg(QFileInfo(document->filePath()).fileName(), problem));
        return false;
    }
    return true;
}

bool DocumentController::saveDocumentAs(Document *document)
{
    QString suggested = document->filePath();
    if (suggested.isEmpty()) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        suggested = folder + QLatin1Char('/') + document->displayName() + QLatin1Char('.') + _type.extension;
    }
    QString path = _userInterface->askForSavePath(document, suggested);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + _type.extension;
    QString problem;
    if (!document->writeToFile(path, &problem)) {
        _userInterface->showProblem(document,
                                    LocalizedString("kDocumentSaveFailedMessage").arg(QFileInfo(path).fileName(), problem));
        return false;
    }
    noteRecentDocument(document->filePath());
    return true;
}

bool DocumentController::revertDocument(Document *document)
{
    if (document->filePath().isEmpty() || !document->isDocumentEdited() || !_userInterface->confirmRevert(document))
        return false;
    QString problem;
    if (!document->readFromFile(document->filePath(), &problem)) {
        _userInterface->showProblem(document, problemMessage(document->filePath(), problem));
        return false;
    }
    return true;
}

bool DocumentController::closeDocument(Document *document)
{
    if (document->isDocumentEdited()) {
        switch (_userInterface->askToSaveChanges(document)) {
        case DocumentUserInterface::SaveChangesAnswer::Cancel:
            return false;
        case DocumentUserInterface::SaveChangesAnswer::Save:
            if (!saveDocument(document))
                return false;
            break;
        case DocumentUserInterface::SaveChangesAnswer::DontSave:
            break;
        }
    }
    emit documentClosing(document);
    document->close();
    const auto found = std::find_if(_documents.begin(), _documents.end(),
                                    [document](const std::unique_ptr<Document> &owned) { return owned.get() == document; });
    if (found != _documents.end()) {
        // A document may be closed from inside one of its own slots: free it later.
        found->release()->deleteLater();
        _documents.erase(found);
    }
    return true;
}

bool DocumentController::closeAllDocuments()
{
    // Ask about every edited document first, so a cancel leaves all of them open.
    for (const std::unique_ptr<Document> &document : _documents) {
        if (!document->isDocumentEdited())
            continue;
        const auto answer = _userInterface->askToSaveChanges(document.get());
        if (answer == DocumentUserInterface::SaveChangesAnswer::Cancel)
            return false;
        if (answer == DocumentUserInterface::SaveChangesAnswer::Save && !saveDocument(document.get()))
            return false;
        if (answer == DocumentUserInterface::SaveChangesAnswer::DontSave)
            document->updateChangeCount(false);
    }
    while (!_documents.empty())
        closeDocument(_documents.back().get());
    return true;
}

QStringList DocumentController::recentDocumentPaths() const
{
    QStringList paths = QSettings().value(kRecentDocumentsKey).toStringList();
    paths.erase(std::remove_if(paths.begin(), paths.end(), [](const QString &path) { return !QFileInfo::exists(path); }),
                paths.end());
    return paths;
}

void DocumentController::noteRecentDocument(const QString &path)
{
    QSettings settings;
    QStringList paths = settings.value(kRecentDocumentsKey).toStringList();
    paths.removeAll(path);
    paths.prepend(path);
    while (paths.size() > kRecentDocumentLimit)
        paths.removeLast();
    settings.setValue(kRecentDocumentsKey, paths);
    emit recentDocumentsChanged();
}

void DocumentController::clearRecentDocuments()
{
    QSettings().remove(kRecentDocumentsKey);
    emit recentDocumentsChanged();
}

DocumentUserInterface::SaveChangesAnswer DialogDocumentUserInterface::askToSaveChanges(Document *document)
{
    QMessageBox box(QMessageBox::Warning, LocalizedString("kSaveChangesTitle"),
                    LocalizedString("kSaveChangesMessage").arg(document->displayName()),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, document->window());
    box.setInformativeText(LocalizedString("kSaveChangesInformativeMessage"));
    box.setDefaultButton(QMessageBox::Save);
    box.setWindowModality(Qt::WindowModal);
    switch (box.exec()) {
    case QMessageBox::Save: return SaveChangesAnswer::Save;
    case QMessageBox::Discard: return SaveChangesAnswer::DontSave;
    default: return SaveChangesAnswer::Cancel;
    }
}

QString DialogDocumentUserInterface::askForSavePath(Document *document, const QString &suggestedPath)
{
    return QFileDialog::getSaveFileName(document->window(), LocalizedString("kSaveDocumentTitle"), suggestedPath,
                                        _nameFilter);
}

QStringList DialogDocumentUserInterface::askForPathsToOpen()
{
    return QFileDialog::getOpenFileNames(nullptr, LocalizedString("kOpenDocumentTitle"),
                                         QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), _nameFilter);
}

bool DialogDocumentUserInterface::confirmRevert(Document *document)
{
    return QMessageBox::question(document->window(), LocalizedString("kRevertTitle"),
                                 LocalizedString("kRevertMessage").arg(document->displayName()),
                                 QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Cancel) == QMessageBox::Yes;
}

void DialogDocumentUserInterface::showProblem(Document *document, const QString &message)
{
    QMessageBox::warning(document ? document->window() : nullptr, LocalizedString("kDocumentProblemTitle"), message);
}
