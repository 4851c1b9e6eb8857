// The log window: header entries, counts and colours, clearing, coming forward, following the end.
#include "site-downloader/eventlog/EventLog.h"
#include "site-downloader/eventlog/EventLogWindowController.h"
#include "tests/fixtures/QtPrinters.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSysInfo>
#include <QTextBlock>
#include <gtest/gtest.h>

namespace {

struct ColoredLine {
    QString text;
    QColor color;
    bool operator==(const ColoredLine &) const = default;
};

void PrintTo(const ColoredLine &line, std::ostream *stream)
{
    *stream << '"' << line.text.toStdString() << "\" in " << line.color.name().toStdString();
}

QPlainTextEdit *textView(EventLogWindowController &log)
{
    return log.findChild<QPlainTextEdit *>(QStringLiteral("_textViewLogEntries"));
}

QString fieldText(EventLogWindowController &log, const char *name)
{
    return log.findChild<QLabel *>(QLatin1String(name))->text();
}

// Each non-empty line with the colour of its first character.
std::vector<ColoredLine> coloredLines(EventLogWindowController &log)
{
    std::vector<ColoredLine> lines;
    for (QTextBlock block = textView(log)->document()->begin(); block.isValid(); block = block.next()) {
        if (block.text().isEmpty())
            continue;
        lines.push_back({block.text(), block.begin().fragment().charFormat().foreground().color()});
    }
    return lines;
}

std::unique_ptr<EventLogWindowController> makeLog(uint32_t options = 0)
{
    return EventLogWindowController::eventLogWithName(QStringLiteral("Test Log"), options);
}

} // namespace

TEST(GlobalEventLog, StartsWithFourHeaderEntriesOnce)
{
    EventLogWindowController *log = GetGlobalEventLog();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->standardCount(), 4u);
    EXPECT_EQ(log->errorCount(), 0u);
    EXPECT_FALSE(log->isVisible());
    EXPECT_EQ(log->windowTitle(), QCoreApplication::applicationName());

    const QStringList lines = log->logText().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("Process: ") + QCoreApplication::applicationName());
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Operating System: "))) << lines[1].toStdString();
    EXPECT_EQ(lines[2], QStringLiteral("Host: ") + QSysInfo::machineHostName());
    EXPECT_TRUE(lines[3].contains(QRegularExpression(QStringLiteral("^Date: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d [+-]\\d{4}$"))))
        << lines[3].toStdString();
    EXPECT_EQ(lines[4], QString()) << "an empty line separates the header from the entries";

    const QString before = log->logText();
    EXPECT_EQ(GetGlobalEventLog(), log);
    EXPECT_EQ(log->standardCount(), 4u);
    EXPECT_EQ(log->logText(), before);
}

TEST(EventLog, CountsAndColoursEachEntryOnItsOwnLine)
{
    auto log = makeLog();
    log->addErrorLogEntryString(QStringLiteral("first error"));
    log->addErrorLogEntryString(QStringLiteral("second error"));
    log->addWarningLogEntryString(QStringLiteral("a warning"));
    log->addStandardLogEntryString(QStringLiteral("a note"));
    log->addLogEntryString(QStringLiteral("unknown type"), 7);

    EXPECT_EQ(fieldText(*log, "_textFieldErrorCount"), QStringLiteral("2"));
    EXPECT_EQ(fieldText(*log, "_textFieldWarningCount"), QStringLiteral("1"));
    EXPECT_EQ(log->standardCount(), 2u);
    EXPECT_EQ(log->logText(), QStringLiteral("first error\nsecond error\na warning\na note\nunknown type\n"));
    const std::vector<ColoredLine> expected{
        {QStringLiteral("first error"), EventLogWindowController::errorEntryColor()},
        {QStringLiteral("second error"), EventLogWindowController::errorEntryColor()},
        {QStringLiteral("a warning"), EventLogWindowController::warningEntryColor()},
        {QStringLiteral("a note"), EventLogWindowController::standardEntryColor()},
        {QStringLiteral("unknown type"), EventLogWindowController::standardEntryColor()},
    };
    EXPECT_EQ(coloredLines(*log), expected);
}

TEST(EventLog, TextIsAddedAsItStands)
{
    auto log = makeLog();
    const QString text = QStringLiteral("100%d of http://host/a%20b%n%s %1 %@ {\\par}");
    log->addErrorLogEntryString(text);
    AddErrorLogEntry(log.get(), text);
    EXPECT_EQ(log->logText(), text + QLatin1Char('\n') + text + QLatin1Char('\n'));
    EXPECT_EQ(log->errorCount(), 2u);
}

TEST(EventLog, ClearEmptiesTextAndCounts)
{
    auto log = makeLog();
    log->addErrorLogEntryString(QStringLiteral("e"));
    log->addWarningLogEntryString(QStringLiteral("w"));
    log->addStandardLogEntryString(QStringLiteral("s"));
    log->findChild<QPushButton *>(QStringLiteral("_buttonClear"))->click();

    EXPECT_EQ(log->logText(), QString());
    EXPECT_EQ(log->standardCount(), 0u);
    EXPECT_EQ(log->warningCount(), 0u);
    EXPECT_EQ(fieldText(*log, "_textFieldErrorCount"), QStringLiteral("0"));
    EXPECT_EQ(fieldText(*log, "_textFieldWarningCount"), QStringLiteral("0"));

    log->addErrorLogEntryString(QStringLiteral("after clear"));
    EXPECT_EQ(fieldText(*log, "_textFieldErrorCount"), QStringLiteral("1"));
    EXPECT_EQ(coloredLines(*log), (std::vector<ColoredLine>{{QStringLiteral("after clear"), EventLogWindowController::errorEntryColor()}}));
}

TEST(EventLog, ComesForwardOnEntriesOnlyWhenAskedAndKeepsContentWhenClosed)
{
    auto quiet = makeLog();
    quiet->addErrorLogEntryString(QStringLiteral("nobody looks"));
    EXPECT_FALSE(quiet->isVisible());

    auto log = makeLog(EventLogWindowController::kBringForwardOnEntryOption);
    log->addStandardLogEntryString(QStringLiteral("a note brings it forward too"));
    EXPECT_TRUE(log->isVisible());

    log->move(120, 90);
    const QPoint placed = log->pos();
    log->addWarningLogEntryString(QStringLiteral("already visible"));
    EXPECT_TRUE(log->isVisible());
    EXPECT_EQ(log->pos(), placed);

    log->findChild<QPushButton *>(QStringLiteral("_buttonClose"))->click();
    EXPECT_FALSE(log->isVisible());
    EXPECT_EQ(log->warningCount(), 1u);
    EXPECT_EQ(log->logText(), QStringLiteral("a note brings it forward too\nalready visible\n"));

    log->setOptions(0);
    log->addErrorLogEntryString(QStringLiteral("stays hidden"));
    EXPECT_FALSE(log->isVisible());
}

TEST(EventLog, FollowsTheEndUnlessScrolledUpOrSelecting)
{
    auto log = makeLog();
    log->resize(500, 300);
    log->showLogWindow();
    QScrollBar *scroller = textView(*log)->verticalScrollBar();
    for (int index = 0; index < 200; ++index)
        log->addStandardLogEntryString(QStringLiteral("line %1").arg(index));
    ASSERT_GT(scroller->maximum(), 0);
    EXPECT_EQ(scroller->value(), scroller->maximum()) << "a watched log follows new entries";

    scroller->setValue(10);
    for (int index = 0; index < 50; ++index)
        log->addErrorLogEntryString(QStringLiteral("while scrolled up %1").arg(index));
    EXPECT_EQ(scroller->value(), 10);

    scroller->setValue(scroller->maximum());
    QTextCursor selection = textView(*log)->textCursor();
    selection.setPosition(0);
    selection.setPosition(4, QTextCursor::KeepAnchor);
    textView(*log)->setTextCursor(selection);
    scroller->setValue(scroller->maximum());
    const int selectedAt = scroller->value();
    for (int index = 0; index < 50; ++index)
        log->addErrorLogEntryString(QStringLiteral("while selecting %1").arg(index));
    EXPECT_EQ(scroller->value(), selectedAt);
    EXPECT_LT(scroller->value(), scroller->maximum());
    EXPECT_TRUE(textView(*log)->textCursor().hasSelection());
}

TEST(EventLog, EntriesAddedWhileHiddenAreThereWhenShown)
{
    auto log = makeLog();
    log->resize(500, 300);
    for (int index = 0; index < 300; ++index)
        log->addLogEntryString(QStringLiteral("hidden %1").arg(index), index % 3);
    EXPECT_EQ(coloredLines(*log).size(), 300u);
    EXPECT_EQ(coloredLines(*log)[1], (ColoredLine{QStringLiteral("hidden 1"), EventLogWindowController::errorEntryColor()}));

    log->showLogWindow();
    QScrollBar *scroller = textView(*log)->verticalScrollBar();
    ASSERT_GT(scroller->maximum(), 0);
    EXPECT_EQ(scroller->value(), scroller->maximum()) << "a log never looked at opens at its end";
    log->addStandardLogEntryString(QStringLiteral("shown"));
    EXPECT_EQ(scroller->value(), scroller->maximum());

    // Closed while scrolled up, it opens again where the user left it, whatever came meanwhile.
    scroller->setValue(20);
    log->hideLogWindow();
    for (int index = 0; index < 100; ++index)
        log->addErrorLogEntryString(QStringLiteral("while closed %1").arg(index));
    log->buttonClearClicked(nullptr);
    for (int index = 0; index < 300; ++index)
        log->addErrorLogEntryString(QStringLiteral("after clearing %1").arg(index));
    log->showLogWindow();
    EXPECT_EQ(scroller->value(), 20);
    EXPECT_EQ(log->errorCount(), 300u);
    EXPECT_TRUE(log->logText().startsWith(QStringLiteral("after clearing 0\n")));
    log->hideLogWindow();
    log->showLogWindow();
    EXPECT_EQ(scroller->value(), 20);
}

TEST(EventLog, ScreenshotShowsAllThreeColours)
{
    auto log = makeLog();
    log->resize(600, 360);
    log->showLogWindow();
    log->addStandardLogEntryString(QStringLiteral("Process: vellicor"));
    log->addErrorLogEntryString(QStringLiteral("ERROR ERROR ERROR: connection refused by 127.0.0.1"));
    log->addWarningLogEntryString(QStringLiteral("WARNING WARNING WARNING: the folder already exists"));
    log->addStandardLogEntryString(QStringLiteral("STANDARD STANDARD STANDARD: download finished"));
    QApplication::processEvents();

    const QImage picture = log->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(SCREENSHOT_FOLDER)));
    EXPECT_TRUE(picture.save(QStringLiteral(SCREENSHOT_FOLDER "/event-log.png")));

    // Glyph edges are blended into the background, so look for the hue, not the exact colour.
    int red = 0, orange = 0, dark = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            if (pixel.red() > 200 && pixel.green() < 70 && pixel.blue() < 70)
                ++red;
            else if (pixel.red() > 200 && pixel.green() > 100 && pixel.green() < 170 && pixel.blue() < 70)
                ++orange;
            else if (pixel.red() < 60 && pixel.green() < 60 && pixel.blue() < 60)
                ++dark;
        }
    }
    EXPECT_GT(red, 20);
    EXPECT_GT(orange, 20);
    EXPECT_GT(dark, 20);
}
