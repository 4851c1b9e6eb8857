#include "site-downloader/eventlog/EventLogWindowController.h"

#include "platform/LocalizedString.h"
#include "platform/RtfWriter.h"
#include "site-downloader/eventlog/EventLogInbox.h"
#include "ui_EventLogWindowController.h"

#include <QFileDialog>
#include <QLocale>
#include <QSaveFile>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextCharFormat>
#include <QTextCursor>

namespace {

// Block separator for QTextCursor::insertText, which makes it a new paragraph.
const QString kEntryEnd = QStringLiteral("\r");

void showCount(QLabel *field, uint32_t count)
{
    field->setText(QLocale().toString(count));
}

} // namespace

const QColor &EventLogWindowController::standardEntryColor()
{
    static const QColor color(Qt::black);
    return color;
}

const QColor &EventLogWindowController::errorEntryColor()
{
    static const QColor color(Qt::red);
    return color;
}

const QColor &EventLogWindowController::warningEntryColor()
{
    static const QColor color(255, 128, 0);
    return color;
}

EventLogWindowController::EventLogWindowController()
    : _ui(new Ui::EventLogWindowController), _inbox(std::make_unique<EventLogInbox>(this))
{
    _ui->setupUi(this);
    _ui->_textFieldErrorCountTitle->setText(LocalizedString("kEventLogErrorCountTitle"));
    _ui->_textFieldWarningCountTitle->setText(LocalizedString("kEventLogWarningCountTitle"));
    _ui->_buttonClear->setText(LocalizedString("kEventLogClearButtonTitle"));
    _ui->_buttonSaveAs->setText(LocalizedString("kEventLogSaveAsButtonTitle"));
    _ui->_buttonClose->setText(LocalizedString("kEventLogCloseButtonTitle"));
    connect(_ui->_buttonClear, &QPushButton::clicked, this, [this] { buttonClearClicked(_ui->_buttonClear); });
    connect(_ui->_buttonSaveAs, &QPushButton::clicked, this, [this] { buttonSaveAsClicked(_ui->_buttonSaveAs); });
    connect(_ui->_buttonClose, &QPushButton::clicked, this, [this] { buttonCloseClicked(_ui->_buttonClose); });
    showCounts();
    _hiddenEditBlock = QTextCursor(_ui->_textViewLogEntries->document());
    _hiddenEditBlock.beginEditBlock();
}

EventLogWindowController::~EventLogWindowController() = default;

std::unique_ptr<EventLogWindowController> EventLogWindowController::eventLogWithName(const QString &name, uint32_t options)
{
    std::unique_ptr<EventLogWindowController> log(new EventLogWindowController);
    log->setWindowTitle(name);
    log->setOptions(options);
    return log;
}

void EventLogWindowController::addLogEntryString(const QString &text, uint32_t type)
{
    incrementEventLogType(type);
    switch (type) {
    case kErrorEntryType:
        insertText(text, errorEntryColor());
        break;
    case kWarningEntryType:
        insertText(text, warningEntryColor());
        break;
    default:
        insertText(text, standardEntryColor());
        break;
    }
    insertText(kEntryEnd, standardEntryColor());
    if ((_options & kBringForwardOnEntryOption) && !isVisible())
        showLogWindow();
}

void EventLogWindowController::addErrorLogEntryString(const QString &text)
{
    addLogEntryString(text, kErrorEntryType);
}

void EventLogWindowController::addWarningLogEntryString(const QString &text)
{
    addLogEntryString(text, kWarningEntryType);
}

void EventLogWindowController::addStandardLogEntryString(const QString &text)
{
    addLogEntryString(text, kStandardEntryType);
}

void EventLogWindowController::incrementEventLogType(uint32_t type)
{
    switch (type) {
    case kErrorEntryType:
        showCount(_ui->_textFieldErrorCount, ++_errorCount);
        break;
    case kWarningEntryType:
        showCount(_ui->_textFieldWarningCount, ++_warningCount);
        break;
    default:
        ++_standardCount;
        break;
    }
}

void EventLogWindowController::insertText(const QString &text, const QColor &color)
{
    // Hidden, the view is not laid out and has no position to keep (see showEvent).
    const bool followsEnd = isVisible() && viewFollowsEnd();

    QTextCharFormat format;
    format.setForeground(color);
    QTextCursor end(_ui->_textViewLogEntries->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text, format);

    if (followsEnd)
        scrollToEnd();
}

bool EventLogWindowController::viewFollowsEnd() const
{
    const QPlainTextEdit *view = _ui->_textViewLogEntries;
    const QScrollBar *scroller = view->verticalScrollBar();
    return scroller->value() == scroller->maximum() && !view->textCursor().hasSelection();
}

void EventLogWindowController::scrollToEnd()
{
    QScrollBar *scroller = _ui->_textViewLogEntries->verticalScrollBar();
    scroller->setValue(scroller->maximum());
}

void EventLogWindowController::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (_hiddenEditBlock.isNull())
        return;
    _hiddenEditBlock.endEditBlock();
    _hiddenEditBlock = QTextCursor();
    if (_followEndWhenShown)
        scrollToEnd();
}

void EventLogWindowController::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!_hiddenEditBlock.isNull())
        return;
    _followEndWhenShown = viewFollowsEnd();
    _hiddenEditBlock = QTextCursor(_ui->_textViewLogEntries->document());
    _hiddenEditBlock.beginEditBlock();
}

void EventLogWindowController::showLogWindow()
{
    show();
    raise();
    activateWindow();
}

void EventLogWindowController::hideLogWindow()
{
    hide();
}

QString EventLogWindowController::logText() const
{
    return _ui->_textViewLogEntries->toPlainText();
}

bool EventLogWindowController::saveLogAsRichText(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray rtf = RtfFromPlainText(logText());
    if (file.write(rtf) != rtf.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void EventLogWindowController::buttonClearClicked(QObject *)
{
    // Removing the text keeps an open edit block of a hidden log intact; replacing the document's
    // content would reset it.
    QTextCursor all(_ui->_textViewLogEntries->document());
    all.select(QTextCursor::Document);
    all.removeSelectedText();
    _standardCount = 0;
    _warningCount = 0;
    _errorCount = 0;
    showCounts();
}

void EventLogWindowController::buttonSaveAsClicked(QObject *)
{
    auto *panel = new QFileDialog(this);
    panel->setAcceptMode(QFileDialog::AcceptSave);
    panel->setFileMode(QFileDialog::AnyFile);
    panel->selectFile(windowTitle() + QStringLiteral(".rtf"));
    // Finishing only hides a dialog, even one that deletes itself on close.
    connect(panel, &QDialog::finished, this, [this, panel](int returnCode) {
        saveAsPanelDidEnd(panel, returnCode, nullptr);
        panel->deleteLater();
    });
    panel->open();
}

void EventLogWindowController::saveAsPanelDidEnd(QFileDialog *panel, int returnCode, void *)
{
    if (returnCode != QDialog::Accepted || panel->selectedFiles().isEmpty())
        return;
    // The log says nothing about a save that fails; the old file, if any, is still whole.
    try {
        saveLogAsRichText(panel->selectedFiles().constFirst());
    } catch (...) {
    }
}

void EventLogWindowController::buttonCloseClicked(QObject *)
{
    hideLogWindow();
}

void EventLogWindowController::showCounts()
{
    showCount(_ui->_textFieldErrorCount, _errorCount);
    showCount(_ui->_textFieldWarningCount, _warningCount);
}
