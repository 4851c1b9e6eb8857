#include "site-downloader/document/VellicorDocument.h"

#include "platform/FolderCreation.h"
#include "platform/LocalizedString.h"
#include "platform/RevealInFileManager.h"
#include "site-downloader/document/DownloadLocationMenu.h"
#include "site-downloader/eventlog/EventLog.h"
#include "site-downloader/wget/WgetEnginePreferences.h"
#include "support/defaults/UserDefaults.h"
#include "utilities/ErrorString.h"
#include "utilities/NumberText.h"

#include "ui_VellicorDocument.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImage>
#include <QItemSelectionModel>
#include <QMainWindow>
#include <QPixmap>
#include <QRadioButton>
#include <QScrollBar>
#include <QUrl>
#include <QtDebug>
#include <exception>
#include <sys/stat.h>

namespace {

const char kLogBannerTop[] = "\n=========================================================================\n";
const char kLogBannerTitle[] = "=========================== Vellicor Started ===========================\n";
const char kLogBannerBottom[] = "=========================================================================\n\n";
const char kStoppedByUser[] = "Stopped by user\n";
const char kControlPrefix[] = "_panelDownloadOptions_";

constexpr double kFollowTableEndThreshold = 0.95;
constexpr int kLogFontPointSize = 9;

using Options = WgetEnginePreferences;
using ListGetter = const std::optional<QString> &(Options::*)() const;
using ListSetter = void (Options::*)(std::optional<QString>);

struct FlagControl {
    const char *role;
    bool Options::*flag;
};

struct NumberControl {
    const char *role;
    uint32_t Options::*number;
};

struct ListControl {
    const char *checkBoxRole;
    bool Options::*flag;
    const char *textFieldRole;
    ListGetter get;
    ListSetter set;
};

// The sheet's check boxes and fields, and the option each holds.
const FlagControl kFlagControls[] = {
    {"checkBoxDelayBetweenRetrievals", &Options::_delayBetweenRetrievals},
    {"checkBoxRecreateFolderHierarchyOnLocalDisk", &Options::_recreateFolderHierarchyOnLocalDisk},
    {"checkBoxRecursive", &Options::_recursive},
    {"checkBoxRelinkForOfflineBrowsing", &Options::_relinkForOfflineBrowsing},
    {"checkBoxRelinkForOfflineBrowsingKeepOriginalPage", &Options::_relinkForOfflineBrowsingKeepOriginalPage},
    {"checkBoxGetAllFilesRequiredToViewHTMLPage", &Options::_getAllFilesRequiredToViewHTMLPage},
    {"checkBoxFollowRelativeLinksOnly", &Options::_followRelativeLinksOnly},
    {"checkBoxAllowRecursionToForeignHosts", &Options::_allowRecursionToForeignHosts},
    {"checkBoxDontAscendIntoParentDirectories", &Options::_dontAscendIntoParentDirectories},
    {"checkBoxOpenANewImageBrowserWhenNecessary", &Options::_openANewImageBrowserWhenNecessary},
    {"checkBoxFollowFTPLinks", &Options::_followFTPLinks},
    {"checkBoxKeepFileListingFiles", &Options::_keepFileListingFiles},
    {"checkBoxUsePassiveFTPTransferMode", &Options::_usePassiveFTPTransferMode},
    {"checkBoxGetSymLinks", &Options::_getSymLinks},
};

const NumberControl kNumberControls[] = {
    {"textFieldDelayLengthInSeconds", &Options::_delayLengthInSeconds},
    {"textFieldRecursionLevelMax", &Options::_recursionLevelMax},
};

const ListControl kListControls[] = {
    {"checkBoxAllowOnlySomeDomains", &Options::_allowOnlySomeDomains, "textFieldAllowedDomainList",
     &Options::allowedDomainList, &Options::setAllowedDomainList},
    {"checkBoxSkipSomeDomains", &Options::_skipSomeDomains, "textFieldSkippedDomainList", &Options::skippedDomainList,
     &Options::setSkippedDomainList},
    {"checkBoxSkipFilesWithSomeExtensions", &Options::_skipFilesWithSomeExtensions, "textFieldSkippedExtensionList",
     &Options::skippedExtensionList, &Options::setSkippedExtensionList},
    {"checkBoxSkipSomeDirectories", &Options::_skipSomeDirectories, "textFieldSkippedDirectoriesList",
     &Options::skippedDirectoriesList, &Options::setSkippedDirectoriesList},
    {"checkBoxSkipSomeHTMLTags", &Options::_skipSomeHTMLTags, "textFieldSkippedHTMLTagsList",
     &Options::skippedHTMLTagsList, &Options::setSkippedHTMLTagsList},
    {"checkBoxOnlyAllowFilesWithSomeExtensions", &Options::_onlyAllowFilesWithSomeExtensions,
     "textFieldAcceptedExtensionList", &Options::acceptedExtensionList, &Options::setAcceptedExtensionList},
    {"checkBoxOnlyAllowSomeDirectories", &Options::_onlyAllowSomeDirectories, "textFieldAcceptedDirectoriesList",
     &Options::acceptedDirectoriesList, &Options::setAcceptedDirectoriesList},
    {"checkBoxOnlyAllowSomeHTMLTags", &Options::_onlyAllowSomeHTMLTags, "textFieldAcceptedHTMLTagsList",
     &Options::acceptedHTMLTagsList, &Options::setAcceptedHTMLTagsList},
};

template <typename Control>
Control *sheetControl(const QWidget *window, const char *role)
{
    return window->findChild<Control *>(QLatin1String(kControlPrefix) + QLatin1String(role));
}

void setTextUnlessUnset(QLineEdit *field, const std::optional<QString> &text)
{
    if (field && text)
        field->setText(*text);
}

void startIndeterminate(QProgressBar *bar) { bar->setRange(0, 0); }
void stopIndeterminate(QProgressBar *bar) { bar->setRange(0, 1); bar->setValue(0); }

bool openFileWithDefaultApplication(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path) && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void reportCouldNotOpen(const QString &path)
{
    AddErrorLogEntry(nullptr, QStringLiteral("Document: Could not open '%1' - has it been moved or deleted?").arg(path));
}

} // namespace

VellicorDocument::VellicorDocument() : _engine(std::make_unique<WgetEngineHelper>())
{
    _engine->setDelegate(this);
    setPreferences(std::make_shared<WgetEnginePreferences>());
}

VellicorDocument::~VellicorDocument()
{
    // Stopping the helper reports the end of its run; this half-destroyed document must not hear it.
    if (_engine)
        _engine->setDelegate(nullptr);
    if (_objectTableDataSourceURLs)
        _objectTableDataSourceURLs->setDelegate(nullptr);
    detachImageBrowser();
    _engine.reset();
    closeLogFile();
    _window.reset();
}

void VellicorDocument::setPreferences(std::shared_ptr<WgetEnginePreferences> preferences)
{
    _wgetEnginePreferences = std::move(preferences);
}

QByteArray VellicorDocument::dataRepresentation()
{
    if (_objectTableDataSourceURLs) {
        QVariantList rows;
        rows.reserve(_objectTableDataSourceURLs->count());
        for (const QVariantMap &row : _objectTableDataSourceURLs->data())
            rows.append(row);
        _wgetEnginePreferences->setAuxillaryDataArray(rows);
    }
    updatePreferencesForUIState();
    return _wgetEnginePreferences->getValuesAsDataRepresentation();
}

bool VellicorDocument::loadDataRepresentation(const QByteArray &data, QString *problem)
{
    // A refused file leaves the document with the options it had, never with none.
    std::shared_ptr<WgetEnginePreferences> loaded = WgetEnginePreferences::preferencesWithDataRepresentation(data, problem);
    if (!loaded)
        return false;
    setPreferences(std::move(loaded));
    if (_window) { // a revert: the window shows what was read
        _objectTableDataSourceURLs->removeAllItems();
        importTableRows();
        setupUIForPreferences();
    }
    return true;
}

QWidget *VellicorDocument::window() const
{
    return _window.get();
}

void VellicorDocument::makeWindow()
{
    if (_window)
        return;
    _window = std::make_unique<QMainWindow>();
    _ui = std::make_unique<Ui::VellicorDocument>();
    _ui->setupUi(_window.get());
    _window->setWindowTitle(displayName() + QStringLiteral("[*]"));
    connect(this, &Document::displayNameChanged, _window.get(),
            [this](const QString &name) { _window->setWindowTitle(name + QStringLiteral("[*]")); });
    connect(this, &Document::documentEditedChanged, _window.get(), &QWidget::setWindowModified);
    windowControllerDidLoadNib();
}

void VellicorDocument::windowControllerDidLoadNib()
{
    _objectTableDataSourceURLs = new ObjectTableDataSource(_window.get());
    const QStringList columns{kURLColumn, kSizeColumn, kFileNameColumn, kPathColumn};
    _objectTableDataSourceURLs->setColumnIdentifiers(columns);
    const char *titleKeys[] = {"kURLColumnTitle", "kSizeColumnTitle", "kFileNameColumnTitle", "kPathColumnTitle"};
    for (int column = 0; column < columns.size(); ++column)
        _objectTableDataSourceURLs->setHeaderData(column, Qt::Horizontal, LocalizedString(titleKeys[column]));
    _objectTableDataSourceURLs->setReadOnly(true);
    _objectTableDataSourceURLs->setDelegate(this);
    _ui->_tableViewURLs->setModel(_objectTableDataSourceURLs);
    _ui->_tableViewURLs->setSelectionBehavior(QAbstractItemView::SelectRows);
    _ui->_tableViewURLs->setSelectionMode(QAbstractItemView::SingleSelection);
    _ui->_tableViewURLs->horizontalHeader()->setStretchLastSection(true);
    _ui->_tableViewURLs->setOverlayText(LocalizedString("kNoURLsToDisplayOverlayText"));

    stopIndeterminate(_ui->_progressIndicatorSphincter);
    _ui->_progressIndicatorFileDownload->setRange(0, 100);
    _ui->_progressIndicatorFileDownload->hide();

    _objectTableDataSourceURLs->setMaxItems(
        static_cast<int>(UserDefaults::integerForKey(kMaxTableURLsDefaultsKey, kDefaultMaxTableURLs)));
    UserDefaults::setInteger(_objectTableDataSourceURLs->maxItems(), kMaxTableURLsDefaultsKey);

    QFont logFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    logFont.setPointSize(kLogFontPointSize);
    _ui->_logTextView->setFont(logFont);

    _fileHandlingButtons = new QButtonGroup(_window.get());
    _fileHandlingButtons->addButton(_ui->_panelDownloadOptions_radioFileHandling0, 0);
    _fileHandlingButtons->addButton(_ui->_panelDownloadOptions_radioFileHandling1, 1);
    _fileHandlingButtons->addButton(_ui->_panelDownloadOptions_radioFileHandling2, 2);

    _ui->_panelDownloadOptions->setWindowModality(Qt::WindowModal);

    importTableRows();
    setupUIForPreferences();
    connectActions();
}

void VellicorDocument::connectActions()
{
    QWidget *context = _window.get();
    auto onClick = [this, context](QAbstractButton *button, void (VellicorDocument::*action)(QObject *)) {
        connect(button, &QAbstractButton::clicked, context, [this, button, action] { (this->*action)(button); });
    };
    onClick(_ui->_buttonStartStop, &VellicorDocument::buttonClickedStartStop);
    onClick(_ui->_buttonDownloadOptions, &VellicorDocument::buttonClickedShowDownloadOptions);
    onClick(_ui->_buttonShowActivityLog, &VellicorDocument::buttonClickedOpenLog);
    onClick(_ui->_buttonOpenImageBrowser, &VellicorDocument::buttonClickedOpenImageBrowser);
    onClick(_ui->_buttonOpenImage, &VellicorDocument::buttonClickedOpenImageClicked);
    onClick(_ui->_buttonRevealImage, &VellicorDocument::buttonClickedRevealImageClicked);
    onClick(_ui->_panelDownloadOptions_buttonOK, &VellicorDocument::buttonClickedDownloadOptionsOK);
    onClick(_ui->_panelDownloadOptions_buttonCancel, &VellicorDocument::buttonClickedDownloadOptionsCancel);
    connect(_ui->_buttonShowImagePreview, &QAbstractButton::clicked, context, [this] {
        _ui->_panelImagePreview->show();
        _ui->_panelImagePreview->raise();
    });
    // Escape and the title bar's close button cancel the sheet like its Cancel button.
    connect(_ui->_panelDownloadOptions, &QDialog::rejected, context, [this] { setupUIForPreferences(); });
    for (QLineEdit *field : {_ui->_textFieldBaseURL, _ui->_textFieldUsername, _ui->_textFieldPassword})
        connect(field, &QLineEdit::textEdited, context, [this, field] { controlTextDidChange(field); });
    connect(_ui->_tableViewURLs, &QAbstractItemView::doubleClicked, context,
            [this] { tableDoubleClicked(_ui->_tableViewURLs); });
}

void VellicorDocument::importTableRows()
{
    if (const std::optional<QVariantList> &rows = _wgetEnginePreferences->auxillaryDataArray())
        _objectTableDataSourceURLs->importFromArray(*rows);
}

void VellicorDocument::rebuildDownloadLocationMenu(const std::optional<QString> &path)
{
    ConstructDownloadLocationMenu(_ui->_panelDownloadOptions_popUpButtonDownloadFolder, path, LocalizedString("kOtherKey"),
                                  [this] { chooseDownloadFolderFromFileBrowser(_ui->_panelDownloadOptions_popUpButtonDownloadFolder); });
}

std::optional<QString> VellicorDocument::chosenDownloadFolder() const
{
    const QComboBox *popUp = _ui->_panelDownloadOptions_popUpButtonDownloadFolder;
    QVariant folder = popUp->currentData(kRepresentedObjectRole);
    if (!folder.isValid() && popUp->count() > 0)
        folder = popUp->itemData(0, kRepresentedObjectRole);
    if (!folder.isValid())
        return std::nullopt;
    return folder.toString();
}

void VellicorDocument::setupUIForPreferences()
{
    if (!_window || !_wgetEnginePreferences)
        return;
    try {
        const Options &options = *_wgetEnginePreferences;
        const QWidget *window = _window.get();
        for (const FlagControl &control : kFlagControls)
            if (auto *box = sheetControl<QCheckBox>(window, control.role))
                box->setChecked(options.*control.flag);
        for (const NumberControl &control : kNumberControls)
            if (auto *field = sheetControl<QSpinBox>(window, control.role))
                field->setValue(static_cast<int>(std::min<uint32_t>(options.*control.number, field->maximum())));
        for (const ListControl &control : kListControls) {
            if (auto *box = sheetControl<QCheckBox>(window, control.checkBoxRole))
                box->setChecked(options.*control.flag);
            setTextUnlessUnset(sheetControl<QLineEdit>(window, control.textFieldRole), (options.*control.get)());
        }
        setTextUnlessUnset(_ui->_textFieldBaseURL, options.baseURL());
        setTextUnlessUnset(_ui->_textFieldUsername, options.username());
        setTextUnlessUnset(_ui->_textFieldPassword, options.password());
        if (QAbstractButton *cell = _fileHandlingButtons->button(static_cast<int>(options._fileHandlingType)))
            cell->setChecked(true);
        _ui->_panelDownloadOptions_checkBoxCreateEnclosingDownloadsFolder->setChecked(options.createEnclosingFolder());
        rebuildDownloadLocationMenu(options.basicOutputDirectory());
    } catch (const std::exception &) {
        qWarning("Exception loading preferences for document...");
    } catch (...) {
        qWarning("Exception loading preferences for document...");
    }
}

void VellicorDocument::updatePreferencesForUIState()
{
    if (!_window || !_wgetEnginePreferences)
        return;
    Options &options = *_wgetEnginePreferences;
    const QWidget *window = _window.get();
    for (const FlagControl &control : kFlagControls)
        if (auto *box = sheetControl<QCheckBox>(window, control.role))
            options.*control.flag = box->isChecked();
    for (const NumberControl &control : kNumberControls)
        if (auto *field = sheetControl<QSpinBox>(window, control.role))
            options.*control.number = static_cast<uint32_t>(field->value());
    for (const ListControl &control : kListControls) {
        if (auto *box = sheetControl<QCheckBox>(window, control.checkBoxRole))
            options.*control.flag = box->isChecked();
        if (auto *field = sheetControl<QLineEdit>(window, control.textFieldRole))
            (options.*control.set)(field->text());
    }
    if (const int row = _fileHandlingButtons->checkedId(); row >= 0)
        options._fileHandlingType = static_cast<uint32_t>(row);
    options.setOutputDirectory(chosenDownloadFolder(),
                               _ui->_panelDownloadOptions_checkBoxCreateEnclosingDownloadsFolder->isChecked());
    options.setBaseURL(_ui->_textFieldBaseURL->text());
    options._useAuthentication = !_ui->_textFieldUsername->text().isEmpty();
    options.setUsername(_ui->_textFieldUsername->text());
    options.setPassword(_ui->_textFieldPassword->text());
}

void VellicorDocument::buttonClickedStartStop(QObject *)
{
    if (!_engine || !_window)
        return;
    if (_busy) {
        if (_logFile)
            writeToLogFile(QLatin1String(kStoppedByUser));
        closeLogFile();
        _engine->stop(); // reports the end of the run at once
        endRun();
        return;
    }

    updatePreferencesForUIState();
    _engine->setPreferences(_wgetEnginePreferences);
    if (_engine->start() != kNoErr) {
        if (const QString problem = _engine->problemWithPreferences(); !problem.isEmpty())
            AddErrorLogEntry(nullptr, problem);
        QApplication::beep();
        return;
    }
    _ui->_textFieldEngineStatus->clear();
    startIndeterminate(_ui->_progressIndicatorSphincter);
    _ui->_logTextView->clear();
    _objectTableDataSourceURLs->removeAllItems();
    _currentImagePreviewItemFilePath.clear();
    _totalURLs = 0;
    _ui->_textFieldURLCount->setText(QString::number(_totalURLs));
    _ui->_buttonStartStop->setText(LocalizedString("kStopButtonTitle"));
    _busy = true;
    openLogFile();
}

void VellicorDocument::openLogFile()
{
    closeLogFile();
    const std::optional<QString> &path = _wgetEnginePreferences->logFilePath();
    if (!path || path->isEmpty())
        return;
    FSRefCreateFolderPath(nullptr, QFileInfo(*path).absolutePath(), kFSCatInfoNone, nullptr, nullptr);
    // "e": the log must not leak into wget or any other child.
    _logFile = std::fopen(QFile::encodeName(*path).constData(), "ae");
    if (!_logFile) {
        AddErrorLogEntry(nullptr, QStringLiteral("Document: Could not create/open log file '%1'").arg(*path));
        return;
    }
    for (const char *piece : {kLogBannerTop, kLogBannerTitle, kLogBannerBottom})
        writeToLogFile(QLatin1String(piece));
    if (!_ui->_buttonShowActivityLog->isEnabled())
        _ui->_buttonShowActivityLog->setEnabled(true);
}

void VellicorDocument::writeToLogFile(const QString &text)
{
    if (!_logFile)
        return;
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), _logFile);
    std::fflush(_logFile);
}

void VellicorDocument::closeLogFile()
{
    if (FILE *file = std::exchange(_logFile, nullptr))
        std::fclose(file);
}

void VellicorDocument::endRun()
{
    if (_window) {
        stopIndeterminate(_ui->_progressIndicatorSphincter);
        _ui->_buttonStartStop->setText(LocalizedString("kStartButtonTitle"));
    }
    _busy = false;
}

void VellicorDocument::buttonClickedShowDownloadOptions(QObject *)
{
    _ui->_panelDownloadOptions->open();
    _ui->_panelDownloadOptions->raise();
}

void VellicorDocument::buttonClickedDownloadOptionsOK(QObject *)
{
    _ui->_panelDownloadOptions->accept();
    updateChangeCount(true);
}

void VellicorDocument::buttonClickedDownloadOptionsCancel(QObject *)
{
    setupUIForPreferences();
    _ui->_panelDownloadOptions->reject();
}

void VellicorDocument::chooseDownloadFolderFromFileBrowser(QObject *)
{
    const std::optional<QString> &current = _wgetEnginePreferences->basicOutputDirectory();
    const QString startFolder = current && QFileInfo(*current).isDir() ? *current : QDir::homePath();
    std::optional<QString> chosen;
    if (_folderChooser) {
        chosen = _folderChooser(_ui->_panelDownloadOptions, startFolder);
    } else {
        const QString folder = QFileDialog::getExistingDirectory(_ui->_panelDownloadOptions, QString(), startFolder,
                                                                 QFileDialog::ShowDirsOnly);
        if (!folder.isEmpty())
            chosen = folder;
    }
    rebuildDownloadLocationMenu(chosen ? chosen : current);
}

void VellicorDocument::controlTextDidChange(QObject *)
{
    updateChangeCount(true);
}

std::optional<QString> VellicorDocument::selectedRowPath() const
{
    if (!_window)
        return std::nullopt;
    const QModelIndexList rows = _ui->_tableViewURLs->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    const QVariant path = _objectTableDataSourceURLs->itemObject(rows.first().row(), kPathColumn);
    if (!path.isValid() || path.toString().isEmpty())
        return std::nullopt;
    return path.toString();
}

void VellicorDocument::tableViewSelectionDidChange(ObjectTableDataSource *, const QItemSelectionModel *)
{
    const std::optional<QString> path = selectedRowPath();
    if (!path)
        return;
    _currentImagePreviewItemFilePath = *path;
    const QImage image(*path);
    QLabel *view = _ui->_panelImagePreview_imageView;
    view->setPixmap(image.isNull() ? QPixmap()
                                   : QPixmap::fromImage(image.scaled(view->size(), Qt::KeepAspectRatio,
                                                                     Qt::SmoothTransformation)));
}

void VellicorDocument::tableDoubleClicked(QObject *)
{
    if (const std::optional<QString> path = selectedRowPath())
        openFileWithDefaultApplication(*path);
}

void VellicorDocument::buttonClickedOpenImageClicked(QObject *)
{
    if (!openFileWithDefaultApplication(_currentImagePreviewItemFilePath))
        reportCouldNotOpen(_currentImagePreviewItemFilePath);
}

void VellicorDocument::buttonClickedRevealImageClicked(QObject *)
{
    if (_currentImagePreviewItemFilePath.isEmpty() || RevealPathItemInFinder(_currentImagePreviewItemFilePath) != kNoErr)
        reportCouldNotOpen(_currentImagePreviewItemFilePath);
}

void VellicorDocument::buttonClickedOpenLog(QObject *)
{
    const QString path = _wgetEnginePreferences->logFilePath().value_or(QString());
    if (openFileWithDefaultApplication(path))
        return;
    const bool exists = !path.isEmpty() && QFileInfo::exists(path);
    AddErrorLogEntry(nullptr, QStringLiteral("Document: Could not open log file '%1'. It %2 exist.")
                                  .arg(path, exists ? QStringLiteral("does") : QStringLiteral("does not")));
}

void VellicorDocument::buttonClickedOpenImageBrowser(QObject *)
{
    if (_imageBrowserWindowController) {
        _imageBrowserWindowController->showWindow();
        return;
    }
    _imageBrowserWindowController = CreateImageBrowserWindow(this);
    if (_imageBrowserWindowController)
        _imageBrowserWindowController->setMessageDelegate(this);
}

void VellicorDocument::imageBrowserWindowClosed(ImageBrowserWindowController *controller)
{
    if (!controller || controller != _imageBrowserWindowController)
        return;
    controller->setMessageDelegate(nullptr);
    controller->clearButtonClicked(nullptr);
    _imageBrowserWindowController = nullptr;
}

void VellicorDocument::detachImageBrowser()
{
    if (ImageBrowserWindowController *browser = _imageBrowserWindowController)
        browser->setMessageDelegate(nullptr);
    _imageBrowserWindowController = nullptr;
}

void VellicorDocument::close()
{
    detachImageBrowser();
    if (_engine) {
        _engine->stop(); // the end of the run still reaches this document
        _engine.reset();
    }
    closeLogFile();
    if (_window) {
        _ui->_panelDownloadOptions->hide();
        _ui->_panelImagePreview->hide();
        _ui->_panelActivityLog->hide();
        _window->hide();
    }
}

QString VellicorDocument::statusTextForResult(int32_t error)
{
    if (error == kNoErr || error == kCanceledErr || error == kEndingErr)
        return {};
    return LocalizedString("kDocumentRunFailedMessage")
        .replace(QLatin1String("%ld"), QString::number(error))
        .replace(QLatin1String("%s"), QString::fromUtf8(GetErrorString(error, nullptr, 0)));
}

void VellicorDocument::wgetStatus(WgetEngineHelper *, const QString &text)
{
    if (_window)
        _ui->_textFieldEngineStatus->setText(text);
}

void VellicorDocument::wgetVerboseLog(WgetEngineHelper *, const QString &text)
{
    writeToLogFile(text);
}

void VellicorDocument::wgetFileDownloadProgress(uint32_t percent, uint64_t)
{
    if (!_window)
        return;
    _ui->_progressIndicatorFileDownload->show();
    _ui->_progressIndicatorFileDownload->setValue(static_cast<int>(std::min<uint32_t>(percent, 100)));
}

void VellicorDocument::wgetFileSaved(WgetEngineHelper *, const QString &path, const std::optional<QString> &sourceURL)
{
    if (!_window)
        return;
    _ui->_progressIndicatorFileDownload->hide();
    const QScrollBar *scroller = _ui->_tableViewURLs->verticalScrollBar();
    const bool followsEnd = scroller->maximum() <= 0 || scroller->value() > kFollowTableEndThreshold * scroller->maximum();

    const int row = _objectTableDataSourceURLs->insertItem(-1);
    if (sourceURL)
        _objectTableDataSourceURLs->setItemObject(*sourceURL, row, kURLColumn);
    if (!path.isEmpty()) {
        struct stat attributes {};
        if (::stat(QFile::encodeName(path).constData(), &attributes) == 0) {
            char sizeText[32];
            SizeToFormattedString(static_cast<uint64_t>(attributes.st_size), sizeText);
            _objectTableDataSourceURLs->setItemObject(QString::fromLatin1(sizeText), row, kSizeColumn);
        }
        _objectTableDataSourceURLs->setItemObject(QFileInfo(path).fileName(), row, kFileNameColumn);
        _objectTableDataSourceURLs->setItemObject(path, row, kPathColumn);
        if (_imageBrowserWindowController)
            _imageBrowserWindowController->addArtItem(path);
    }
    if (followsEnd)
        _ui->_tableViewURLs->scrollToBottom();

    ++_totalURLs;
    _ui->_textFieldURLCount->setText(QString::number(_totalURLs));
}

void VellicorDocument::wgetFinished(WgetEngineHelper *helper, int32_t error)
{
    _lastRunResult = error;
    if (helper)
        helper->stop();
    endRun();
    // The run is over: its log is complete, and the next start opens it again.
    closeLogFile();
    if (!_window)
        return;
    _ui->_textFieldEngineStatus->setText(statusTextForResult(error));
    _ui->_progressIndicatorFileDownload->hide();
}
