#pragma once

#include "support/document/DocumentController.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class Document;
class QMainWindow;
class QAction;
class QMenu;

// The Vellicor program around its documents: the document controller, a menu bar in every
// document window, and closing a window through the controller so unsaved changes are asked
// about. The application delegate adds its commands through the menu extension.
class VellicorApplication final : public QObject
{
    Q_OBJECT

public:
    // Without `userInterface` the program asks with message boxes and file dialogs.
    explicit VellicorApplication(DocumentUserInterface *userInterface = nullptr, QObject *parent = nullptr);
    ~VellicorApplication() override;

    DocumentController &documentController() { return *_documentController; }
    // The paths the desktop passed at launch, or one untitled document when there are none.
    void openDocumentsAtLaunch(const QStringList &paths);
    // Closes every document, asking about changes, then ends the event loop; false when the user
    // cancelled.
    bool quit();

    static DocumentType documentType();

    // Called for every document window once its File and Window menus exist, so the application
    // delegate adds its own commands; `quitAction` is the File menu's last item.
    using MenuExtension = std::function<void(QMainWindow *window, QMenu *fileMenu, QMenu *windowMenu, QAction *quitAction)>;
    void setMenuExtension(MenuExtension extension) { _menuExtension = std::move(extension); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void installMenuBar(Document *document);
    void fillRecentMenu(QMenu *menu);

    std::unique_ptr<DialogDocumentUserInterface> _dialogUserInterface;
    std::unique_ptr<DocumentController> _documentController;
    MenuExtension _menuExtension;
};
