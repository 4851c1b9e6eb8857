#pragma once

#include "support/document/Document.h"
#include "timed-downloader/document/JobSettings.h"
#include "timed-downloader/document/TimedDownloadJob.h"

#include <QPointer>
#include <QVariantMap>
#include <memory>
#include <optional>

class QMainWindow;
class QFileDialog;
class QPropertyAnimation;
namespace Ui {
class MyDocument;
}

inline const QString kPendrillDocumentKind = QStringLiteral("pendrill-document");

// One timed download job in its window: the fields, the options sheet, the details part and the
// last picture. The job machinery is the headless TimedDownloadJob; this class connects it to
// the window and to the document file.
class MyDocument final : public Document, private TimedDownloadJobDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MyDocument)

public:
    static constexpr int kExposedHeight = 502;
    static constexpr int kCollapsedHeight = 220;

    explicit MyDocument(QObject *parent = nullptr);
    ~MyDocument() override;

    static QString windowNibName() { return QStringLiteral("MyDocument"); }

    QByteArray dataRepresentation() override;
    bool loadDataRepresentation(const QByteArray &data, QString *problem) override;
    void makeWindow() override;
    QWidget *window() const override;
    void close() override;

    void windowControllerDidLoadNib();
    QByteArray makeSettingsDataRepresentation() const;
    void restoreUIStateForDocument(const QVariantMap &values);

    void startButtonPushed();
    void disclosureChanged();
    void showOptionsSheet();
    void optionSheetClosedOK();
    void optionSheetClosedCancel();
    void changeTargetFolderButtonClicked();
    void choosePanelDidEnd(const QString &chosenFolder);
    void revealItemInFinderPushed();

    TimedDownloadJob &job() { return _job; }
    bool isFullyExposed() const { return _isFullyExposed; }
    // The fields as typed, the content of the document file.
    JobSettings settings() const;
    Ui::MyDocument &ui() { return *_ui; }

signals:
    // The user closed the window; whoever owns the document decides.
    void windowCloseRequested(MyDocument *document);

private:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void timedDownloadStatusChanged(TimedDownloadJob *, const QString &status) override;
    void timedDownloadAnimationChanged(TimedDownloadJob *, bool animating) override;
    void timedDownloadCopySaved(TimedDownloadJob *, const SavedCopy &copy) override;
    void setJobControlsEnabled(bool enabled);
    void showPicture();
    void updateWindowTitle();

    std::unique_ptr<Ui::MyDocument> _ui;
    std::unique_ptr<QMainWindow> mWindow;
    QPointer<QPropertyAnimation> _detailsAnimation;
    QPointer<QFileDialog> _choosePanel;
    TimedDownloadJob _job;
    bool _isFullyExposed = true;
    QImage _picture;
    // Settings read from a file before the window exists.
    std::optional<QVariantMap> mDocData;
};
