#include "timed-downloader/app/MyDocument.h"

#include "platform/DocumentFile.h"
#include "platform/LocalizedString.h"
#include "platform/RevealInFileManager.h"
#include "ui_MyDocument.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QMainWindow>
#include <QPropertyAnimation>

namespace {

constexpr int kDetailsAnimationMilliseconds = 200;

struct SettingsField {
    const QString &key;
    QLineEdit *Ui::MyDocument::*field;
};

const SettingsField kSettingsFields[] = {
    {JobSettingsKey::kURL, &Ui::MyDocument::_URLText},
    {JobSettingsKey::kDownloadInterval, &Ui::MyDocument::_downloadIntervalText},
    {JobSettingsKey::kBaseFileName, &Ui::MyDocument::_baseFileNameText},
    {JobSettingsKey::kNumberLeadingZeroes, &Ui::MyDocument::_numberLeadingZeroesText},
    {JobSettingsKey::kTargetFolderPath, &Ui::MyDocument::_targetFolderPathText},
};

} // namespace

MyDocument::MyDocument(QObject *parent) : Document(parent), _ui(new Ui::MyDocument)
{
    _job.setDelegate(this);
}

MyDocument::~MyDocument()
{
    _job.close();
}

QByteArray MyDocument::dataRepresentation()
{
    return makeSettingsDataRepresentation();
}

bool MyDocument::loadDataRepresentation(const QByteArray &data, QString *problem)
{
    std::optional<QVariantMap> values = DocumentFile::decode(data, kPendrillDocumentKind, problem);
    if (!values || !CheckJobSettingsValues(*values, problem))
        return false;
    if (mWindow)
        restoreUIStateForDocument(*values);
    else
        mDocData = std::move(values);
    return true;
}

void MyDocument::makeWindow()
{
    if (mWindow)
        return;
    mWindow = std::make_unique<QMainWindow>();
    _ui->setupUi(mWindow.get());
    mWindow->installEventFilter(this);
    windowControllerDidLoadNib();
}

QWidget *MyDocument::window() const
{
    return mWindow.get();
}

void MyDocument::close()
{
    _job.close();
    if (_choosePanel)
        _choosePanel->reject();
    if (mWindow)
        mWindow->hide();
}

void MyDocument::windowControllerDidLoadNib()
{
    Ui::MyDocument &ui = *_ui;
    ui._URLLabel->setText(LocalizedString("kURLLabel"));
    ui._startButton->setText(LocalizedString("kStartButtonTitle"));
    ui._optionsButton->setText(LocalizedString("kOptionsButtonTitle"));
    ui._revealButton->setText(LocalizedString("kRevealButtonTitle"));
    ui._disclosureTriangle->setText(LocalizedString("kHideDetailsButtonTitle"));
    ui._downloadInfoNameLabel->setText(LocalizedString("kNameLabel"));
    ui._downloadInfoSizeLabel->setText(LocalizedString("kSizeLabel"));
    ui._downloadInfoTimeLabel->setText(LocalizedString("kTimeLabel"));
    ui._optionsWindow->setWindowTitle(LocalizedString("kOptionsTitle"));
    ui._downloadIntervalLabel->setText(LocalizedString("kDownloadIntervalLabel"));
    ui._baseFileNameLabel->setText(LocalizedString("kBaseFileNameLabel"));
    ui._numberLeadingZeroesLabel->setText(LocalizedString("kNumberLeadingZeroesLabel"));
    ui._targetFolderPathLabel->setText(LocalizedString("kTargetFolderPathLabel"));
    ui._changeTargetFolderButton->setText(LocalizedString("kChangeTargetFolderButtonTitle"));
    ui._optionsOKButton->setText(LocalizedString("kOKButtonTitle"));
    ui._optionsCancelButton->setText(LocalizedString("kCancelButtonTitle"));
    // A sheet: modal to its document window only.
    ui._optionsWindow->setWindowModality(Qt::WindowModal);

    if (mDocData) {
        restoreUIStateForDocument(*mDocData);
        mDocData.reset();
    }
    _isFullyExposed = true;
    for (QLabel *field : {ui._downloadInfoNameText, ui._downloadInfoSizeText, ui._downloadInfoTimeText})
        field->setText(LocalizedString("kNoneTitle"));

    connect(ui._startButton, &QPushButton::clicked, this, &MyDocument::startButtonPushed);
    connect(ui._optionsButton, &QPushButton::clicked, this, &MyDocument::showOptionsSheet);
    connect(ui._revealButton, &QPushButton::clicked, this, &MyDocument::revealItemInFinderPushed);
    connect(ui._disclosureTriangle, &QToolButton::clicked, this, &MyDocument::disclosureChanged);
    connect(ui._optionsOKButton, &QPushButton::clicked, this, &MyDocument::optionSheetClosedOK);
    connect(ui._optionsCancelButton, &QPushButton::clicked, this, &MyDocument::optionSheetClosedCancel);
    connect(ui._changeTargetFolderButton, &QPushButton::clicked, this, &MyDocument::changeTargetFolderButtonClicked);
    connect(this, &Document::displayNameChanged, this, &MyDocument::updateWindowTitle);
    updateWindowTitle();
}

QByteArray MyDocument::makeSettingsDataRepresentation() const
{
    QVariantMap values;
    for (const SettingsField &setting : kSettingsFields)
        values.insert(setting.key, ((*_ui).*setting.field)->text());
    return DocumentFile::encode(kPendrillDocumentKind, values);
}

void MyDocument::restoreUIStateForDocument(const QVariantMap &values)
{
    for (const SettingsField &setting : kSettingsFields) {
        const auto found = values.constFind(setting.key);
        if (found != values.constEnd())
            ((*_ui).*setting.field)->setText(found->toString());
    }
}

JobSettings MyDocument::settings() const
{
    const Ui::MyDocument &ui = *_ui;
    return JobSettings{ui._URLText->text(), ui._downloadIntervalText->text(), ui._baseFileNameText->text(),
                       ui._numberLeadingZeroesText->text(), ui._targetFolderPathText->text()};
}

void MyDocument::setJobControlsEnabled(bool enabled)
{
    Ui::MyDocument &ui = *_ui;
    for (QWidget *control : std::initializer_list<QWidget *>{ui._URLText, ui._baseFileNameText, ui._targetFolderPathText,
                                                             ui._numberLeadingZeroesText, ui._changeTargetFolderButton,
                                                             ui._downloadIntervalText})
        control->setEnabled(enabled);
}

void MyDocument::startButtonPushed()
{
    if (!_job.isActive()) {
        setJobControlsEnabled(false);
        _ui->_startButton->setText(LocalizedString("kStopButtonTitle"));
        _job.start(settings());
    } else {
        setJobControlsEnabled(true);
        _ui->_startButton->setText(LocalizedString("kStartButtonTitle"));
        _job.stop();
    }
}

void MyDocument::disclosureChanged()
{
    const int height = _isFullyExposed ? kCollapsedHeight : kExposedHeight;
    _ui->_disclosureTriangle->setText(LocalizedString(_isFullyExposed ? "kShowDetailsButtonTitle" : "kHideDetailsButtonTitle"));
    _ui->_disclosureTriangle->setArrowType(_isFullyExposed ? Qt::RightArrow : Qt::DownArrow);
    _isFullyExposed = !_isFullyExposed;
    if (_detailsAnimation)
        _detailsAnimation->stop();
    // The top edge stays where it is; only the height changes.
    const QSize target(mWindow->width(), height);
    if (_isFullyExposed)
        _ui->_detailsView->show();
    else
        _ui->_detailsView->hide();
    mWindow->setMinimumHeight(0);
    auto *animation = new QPropertyAnimation(mWindow.get(), "size", mWindow.get());
    animation->setDuration(kDetailsAnimationMilliseconds);
    animation->setEndValue(target);
    _detailsAnimation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void MyDocument::showOptionsSheet()
{
    _ui->_optionsWindow->open();
}

void MyDocument::optionSheetClosedOK()
{
    // The fields are read when the job starts, nowhere else.
    _ui->_optionsWindow->accept();
}

void MyDocument::optionSheetClosedCancel()
{
    _ui->_optionsWindow->reject();
}

void MyDocument::changeTargetFolderButtonClicked()
{
    if (_choosePanel)
        return;
    auto *panel = new QFileDialog(_ui->_optionsWindow, LocalizedString("kChooseTargetFolderTitle"),
                                  _ui->_targetFolderPathText->text());
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    connect(panel, &QFileDialog::fileSelected, this, &MyDocument::choosePanelDidEnd);
    _choosePanel = panel;
    panel->open();
}

void MyDocument::choosePanelDidEnd(const QString &chosenFolder)
{
    if (!chosenFolder.isEmpty())
        _ui->_targetFolderPathText->setText(chosenFolder);
}

void MyDocument::revealItemInFinderPushed()
{
    if (_job.lastFilePath().isEmpty())
        return;
    // Failures are not reported: the file may have been moved away meanwhile.
    RevealPathItemInFinder(_job.lastFilePath());
}

void MyDocument::timedDownloadStatusChanged(TimedDownloadJob *, const QString &status)
{
    if (mWindow)
        _ui->_statusText->setText(status);
}

void MyDocument::timedDownloadAnimationChanged(TimedDownloadJob *, bool animating)
{
    if (mWindow)
        _ui->_progressIndicator->setRange(0, animating ? 0 : 1);
}

void MyDocument::timedDownloadCopySaved(TimedDownloadJob *, const SavedCopy &copy)
{
    if (!mWindow)
        return;
    _picture = copy.picture;
    showPicture();
    _ui->_downloadInfoNameText->setText(copy.name);
    _ui->_downloadInfoSizeText->setText(copy.sizeText);
    _ui->_downloadInfoTimeText->setText(copy.timeText);
}

void MyDocument::showPicture()
{
    if (_picture.isNull())
        return;
    const QSize room = _ui->_imageView->size();
    QPixmap pixmap = QPixmap::fromImage(_picture);
    if (pixmap.width() > room.width() || pixmap.height() > room.height())
        pixmap = pixmap.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    _ui->_imageView->setPixmap(pixmap);
}

void MyDocument::updateWindowTitle()
{
    if (mWindow)
        mWindow->setWindowTitle(displayName());
}

bool MyDocument::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mWindow.get()) {
        if (event->type() == QEvent::Close && mWindow->isVisible()) {
            // The owner closes the document, and with it the window.
            event->ignore();
            emit windowCloseRequested(this);
            return true;
        }
        if (event->type() == QEvent::Resize)
            showPicture();
    }
    return Document::eventFilter(watched, event);
}
