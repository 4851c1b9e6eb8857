#pragma once

#include <QColor>
#include <QString>
#include <QTextCursor>
#include <QWidget>
#include <cstdint>
#include <memory>

class EventLogInbox;
class QFileDialog;
class QObject;

namespace Ui {
class EventLogWindowController;
}

// A window of coloured log entries with running counts of errors and warnings, which the user can
// clear, save as rich text and close. The text view holds the only copy of the log; closing the
// window keeps it. Main thread only: other threads go through AddErrorLogEntry (EventLog.h).
class EventLogWindowController final : public QWidget
{
    Q_OBJECT

public:
    // Entry types. Any value other than error and warning counts as a standard entry.
    static constexpr uint32_t kStandardEntryType = 0;
    static constexpr uint32_t kErrorEntryType = 1;
    static constexpr uint32_t kWarningEntryType = 2;

    // Option bits.
    static constexpr uint32_t kBringForwardOnEntryOption = 1u << 0;

    static const QColor &standardEntryColor();
    static const QColor &errorEntryColor();
    static const QColor &warningEntryColor();

    // A log whose window is loaded and titled `name`, but not shown yet.
    static std::unique_ptr<EventLogWindowController> eventLogWithName(const QString &name, uint32_t options);
    ~EventLogWindowController() override;

    // Appends `text` in its type's colour, then a line break; counts it; and brings the window
    // forward when asked to by the options. The text is added as it stands.
    void addLogEntryString(const QString &text, uint32_t type);
    void addErrorLogEntryString(const QString &text);
    void addWarningLogEntryString(const QString &text);
    void addStandardLogEntryString(const QString &text);

    void incrementEventLogType(uint32_t type);

    // Appends `text` at the end in `color`. A view that shows the end of the log keeps showing it;
    // one the user has scrolled up in, or selected text in, stays where it is.
    void insertText(const QString &text, const QColor &color);

    uint32_t options() const { return _options; }
    void setOptions(uint32_t options) { _options = options; }

    void showLogWindow();
    void hideLogWindow();

    uint32_t standardCount() const { return _standardCount; }
    uint32_t warningCount() const { return _warningCount; }
    uint32_t errorCount() const { return _errorCount; }

    // The log's characters, one entry a line, without colours.
    QString logText() const;

    // Writes the log as rich text in the default font, without the entry colours. The file is
    // replaced only when the whole new one is written: a failed save keeps the old file.
    bool saveLogAsRichText(const QString &path) const;

    // Where other threads leave their entries (AddErrorLogEntry). Safe to ask for on any thread.
    EventLogInbox *inbox() const { return _inbox.get(); }

    void buttonClearClicked(QObject *sender);
    // Opens the save panel as a sheet on the log window, proposing the window title with ".rtf".
    void buttonSaveAsClicked(QObject *sender);
    void saveAsPanelDidEnd(QFileDialog *panel, int returnCode, void *contextInfo);
    void buttonCloseClicked(QObject *sender);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    EventLogWindowController();
    void showCounts();
    bool viewFollowsEnd() const;
    void scrollToEnd();

    // The text view scrolls itself, so there is no separate scroller outlet.
    std::unique_ptr<Ui::EventLogWindowController> _ui;
    uint32_t _options = 0;
    uint32_t _standardCount = 0;
    uint32_t _warningCount = 0;
    uint32_t _errorCount = 0;

    // While the window is hidden, every entry goes into one open edit block, so the text is laid
    // out once when the window is shown. A hidden text view otherwise lays the whole text out
    // again for each entry, and a log that nobody looks at slows down with every line it holds.
    QTextCursor _hiddenEditBlock;
    bool _followEndWhenShown = true;
    std::unique_ptr<EventLogInbox> _inbox;
};
