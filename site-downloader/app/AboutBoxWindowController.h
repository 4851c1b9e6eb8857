#pragma once

#include "site-downloader/update/ProductUpdateCheck.h"

#include <QWidget>
#include <memory>

namespace Ui {
class AboutBoxWindowController;
}
class ProgressBarIndicator;

// The about box: the version, a link or two, and a check for a newer version with its progress
// and result in a status line. There is one at a time; it frees itself when its window closes.
class AboutBoxWindowController final : public QWidget, public ProductUpdateCheckDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutBoxWindowController)

public:
    // The about box that exists, or a new one.
    static AboutBoxWindowController *aboutBoxWindowController();
    static AboutBoxWindowController *current();
    ~AboutBoxWindowController() override;

    void checkForUpdateButtonClicked();
    void doneButtonClicked();
    void goToURLButtonClicked();
    bool updateCheckRunning() const { return _productUpdateCheck && _productUpdateCheck->running(); }
    // The version replies are compared with; the program's own unless set (for tests).
    void setApplicationVersionString(const QString &version) { _applicationVersion = version; }

    void productUpdateCheckComplete(ProductUpdateCheck *check, Status status,
                                    const std::shared_ptr<ProductUpdateCheckResponse> &response) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    AboutBoxWindowController();
    void awakeFromNib();
    // Lets go of the running check before anything else of the window goes, so its completion
    // cannot arrive at a window that is half gone.
    void releaseProductUpdateCheck();
    void newVersionSheetDidEnd(int returnCode);

    std::unique_ptr<Ui::AboutBoxWindowController> _ui;
    std::unique_ptr<ProgressBarIndicator> _progressIndicator;
    std::unique_ptr<ProductUpdateCheck> _productUpdateCheck;
    std::shared_ptr<ProductUpdateCheckResponse> _updateResponse;
    QString _applicationVersion;
};

// Brings the one about box forward, creating it centred when there is none.
AboutBoxWindowController *CreateAboutBoxWindow(QObject *sender);
