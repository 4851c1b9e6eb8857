// Saving the log as rich text: what a real RTF reader makes of the file, the save panel, and a
// save that fails.
#include "platform/RtfWriter.h"
#include "site-downloader/eventlog/EventLogWindowController.h"
#include "tests/fixtures/ProcessProbe.h"
#include "tests/fixtures/QtPrinters.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

const QString kUnrtf = QStringLiteral("/usr/bin/unrtf");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(data), data.size());
}

// unrtf's plain-text output turns every \uN into "?". A copy of its text configuration that
// prints them as "&#N;" lets the test decode them again.
QString unrtfConfigurationFolder(const QTemporaryDir &folder)
{
    const QString configuration = folder.filePath(QStringLiteral("unrtf/"));
    QDir().mkpath(configuration);
    for (const QString &name : {QStringLiteral("text.conf"), QStringLiteral("SYMBOL.charmap")})
        QFile::copy(QStringLiteral("/usr/share/unrtf/") + name, configuration + name);
    QFile textConfiguration(configuration + QStringLiteral("text.conf"));
    if (textConfiguration.open(QIODevice::Append))
        textConfiguration.write("unisymbol_print\n\t&#%;\n");
    return configuration;
}

// The body of the document as unrtf reads it, with its "&#N;" UTF-16 units decoded.
QString textThroughUnrtf(const QString &rtfPath, const QTemporaryDir &folder)
{
    // Through popen, not QProcess: ThreadSanitizer follows popen but stops at Qt's clone.
    QStringList words;
    for (QString word : {kUnrtf, QStringLiteral("-P"), unrtfConfigurationFolder(folder), QStringLiteral("--text"), rtfPath})
        words << QLatin1Char('\'') + word.replace(QLatin1Char('\''), QLatin1String("'\\''")) + QLatin1Char('\'');
    const QString command = words.join(QLatin1Char(' '));
    FILE *unrtf = popen(command.toLocal8Bit().constData(), "r");
    if (!unrtf)
        return QStringLiteral("<unrtf did not start>");
    QByteArray bytes;
    char buffer[4096];
    for (size_t count; (count = fread(buffer, 1, sizeof buffer, unrtf)) > 0;)
        bytes.append(buffer, qsizetype(count));
    if (pclose(unrtf) != 0)
        return QStringLiteral("<unrtf failed>");
    const QString output = QString::fromUtf8(bytes);
    const QString bodyStart = QStringLiteral("-----------------\n");
    const qsizetype body = output.indexOf(bodyStart);
    if (body < 0)
        return QStringLiteral("<no body in: %1>").arg(output);

    QString text;
    const QRegularExpression unit(QStringLiteral("&#(\\d+);"));
    qsizetype position = body + bodyStart.size();
    for (QRegularExpressionMatchIterator it = unit.globalMatch(output, position); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        text += output.mid(position, match.capturedStart() - position);
        text += QChar(char16_t(match.captured(1).toUInt()));
        position = match.capturedEnd();
    }
    return text + output.mid(position);
}

std::unique_ptr<EventLogWindowController> makeLog(const QString &name = QStringLiteral("Export Log"))
{
    return EventLogWindowController::eventLogWithName(name, 0);
}

} // namespace

TEST(EventLogExport, UnrtfReadsBackTheSameText)
{
    if (!QFileInfo(kUnrtf).isExecutable())
        GTEST_SKIP() << "unrtf is not installed";
    QTemporaryDir folder;
    auto log = makeLog();
    log->addStandardLogEntryString(QStringLiteral("Date: 2026-12-06 21:20:50 +0100\n"));
    log->addErrorLogEntryString(QStringLiteral("Cannot write C:\\Temp\\{new} folder} {"));
    log->addWarningLogEntryString(QStringLiteral("Fichier déjà présent: Grüße aus Köln, 東京 and 😀 (U+1F600)"));
    log->addStandardLogEntryString(QStringLiteral("literal \\par and \\u233? and {\\rtf1} stay text"));
    log->addErrorLogEntryString(QStringLiteral("100% of http://host/a%20b%n done"));

    const QString path = folder.filePath(QStringLiteral("log.rtf"));
    ASSERT_TRUE(log->saveLogAsRichText(path));
    EXPECT_TRUE(readFile(path).startsWith("{\\rtf1")) << readFile(path).left(80).toStdString();
    EXPECT_EQ(textThroughUnrtf(path, folder), log->logText());
    EXPECT_FALSE(readFile(path).contains("\\cf")) << "the saved log carries no colours";
}

TEST(EventLogExport, WriterEscapesEveryCharacterAReaderCouldMisread)
{
    EXPECT_TRUE(RtfFromPlainText(QString()).startsWith("{\\rtf1"));
    const QByteArray body = RtfFromPlainText(QStringLiteral("a\\b{c}d\ttab\r\nx\ry\u2029z\x01"));
    EXPECT_TRUE(body.contains("a\\\\b\\{c\\}d\\tab tab\\par\nx\\par\ny\\par\nz}")) << body.toStdString();

    // Above U+7FFF the escape is negative; beyond the BMP each half of the pair is escaped; a
    // lone half becomes the replacement character.
    EXPECT_TRUE(RtfFromPlainText(QStringLiteral("\u00e9\u6771")).contains("\\u233\\'3f\\u26481\\'3f"));
    EXPECT_TRUE(RtfFromPlainText(QStringLiteral("\U0001F600")).contains("\\u-10179\\'3f\\u-8704\\'3f"));
    EXPECT_TRUE(RtfFromPlainText(QString(QChar(0xd83d)) + QLatin1Char('x')).contains("\\u-3\\'3fx"));

    // Groups balance whatever the text: count the braces that are not escaped.
    const QByteArray rtf = RtfFromPlainText(QStringLiteral("}}}{{\\{\\"));
    int depth = 0;
    for (qsizetype index = 0; index < rtf.size(); ++index) {
        if (rtf[index] == '\\')
            ++index;
        else if (rtf[index] == '{')
            ++depth;
        else if (rtf[index] == '}') {
            ASSERT_GT(depth--, 0) << rtf.toStdString();
        }
    }
    EXPECT_EQ(depth, 0) << rtf.toStdString();
}

TEST(EventLogExport, SavePanelProposesTheTitleAndWritesOnlyWhenConfirmed)
{
    QTemporaryDir folder;
    auto log = makeLog(QStringLiteral("vellicor"));
    log->addErrorLogEntryString(QStringLiteral("an error"));
    log->showLogWindow();
    QPushButton *saveAs = log->findChild<QPushButton *>(QStringLiteral("_buttonSaveAs"));

    saveAs->click();
    QFileDialog *panel = log->findChild<QFileDialog *>();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->windowModality(), Qt::WindowModal);
    ASSERT_EQ(panel->selectedFiles().size(), 1);
    EXPECT_EQ(QFileInfo(panel->selectedFiles().constFirst()).fileName(), QStringLiteral("vellicor.rtf"));
    const QString cancelledPath = folder.filePath(QStringLiteral("cancelled.rtf"));
    panel->selectFile(cancelledPath);
    panel->reject();
    ProcessProbe::runEventLoopUntil([&] { return !log->findChild<QFileDialog *>(); }, 2000);
    EXPECT_FALSE(QFileInfo::exists(cancelledPath));

    saveAs->click();
    panel = log->findChild<QFileDialog *>();
    ASSERT_NE(panel, nullptr);
    const QString path = folder.filePath(QStringLiteral("saved.rtf"));
    panel->selectFile(path);
    static_cast<QDialog *>(panel)->accept(); // QFileDialog hides it; the panel's own still runs
    EXPECT_EQ(readFile(path), RtfFromPlainText(QStringLiteral("an error\n")));
}

TEST(EventLogExport, FailedSaveKeepsTheOldFile)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("log.rtf"));
    const QByteArray old = RtfFromPlainText(QStringLiteral("the log saved yesterday\n"));
    writeFile(path, old);

    auto log = makeLog();
    for (int index = 0; index < 2000; ++index)
        log->addErrorLogEntryString(QStringLiteral("entry %1 that makes the new file larger than the limit").arg(index));

    // A file size limit makes the write fail part-way even for root, who ignores permissions.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool savedAnyway = log->saveLogAsRichText(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(savedAnyway);
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("log.rtf")}) << "no temporary file is left";

    EXPECT_FALSE(log->saveLogAsRichText(folder.filePath(QStringLiteral("missing/log.rtf"))));
}
