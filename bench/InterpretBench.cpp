// Output interpretation throughput: a long transcript of wget 1.21 output, played by a fake
// wget, through the engine's framing and the helper's interpretation into a counting delegate;
// `grep -c saved` over the same file in the same run is the peer.
//
//   interpret_bench [LINES] [--rounds N]      LINES defaults to 1,000,000
//
// The last line of standard output is one JSON object. The exit status is 0 when the engine
// saw every line and as many saved files as grep, 1 when it did not, 2 when it could not run.

#include "bench/BenchRuns.h"
#include "platform/LocalizedString.h"
#include "platform/ResourceFolder.h"
#include "site-downloader/wget/WgetEnginePreferences.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr qint64 kDefaultLineCount = 1000000;
constexpr int kDotsPerLine = 50; // kilobytes per progress line in wget's default dot style
const QByteArray kHost = "127.0.0.1:45703";
const QByteArray kFolder = "/tmp/dl/" + kHost;

// A recursive run as wget 1.21 prints it under LC_ALL=C.UTF-8: mostly small pages on a kept-
// alive connection, some pictures of a few progress lines, now and then a missing page and a
// larger file with a long run of progress lines.
class TranscriptWriter
{
public:
    QByteArray text;
    qint64 lines = 0;

    void line(const QByteArray &content)
    {
        text += content;
        text += '\n';
        ++lines;
    }

    void header()
    {
        line("--2026-12-06 21:20:50--  http://" + kHost + "/");
        line("Connecting to " + kHost + "... connected.");
        line("HTTP request sent, awaiting response... 200 OK");
        line("Length: 4663 (4.6K) [text/html]");
        line("Saving to: \u2018" + kFolder + "/index.html\u2019");
        line("");
        progress(4663);
        saved("index.html", 4663);
    }

    void file(int number)
    {
        if (number % 25 == 24) {
            line("--2026-12-06 21:20:50--  http://" + kHost + "/missing" + QByteArray::number(number) + ".html");
            line("Reusing existing connection to " + kHost + ".");
            line("HTTP request sent, awaiting response... 404 Not Found");
            line("2026-12-06 21:20:50 ERROR 404: Not Found.");
            line("");
            return;
        }
        QByteArray name;
        QByteArray type;
        qint64 size = 0;
        if (number % 100 == 99) {
            name = "archive" + QByteArray::number(number) + ".tar.gz";
            type = "application/octet-stream";
            size = 10485760;
        } else if (number % 4 == 3) {
            name = "picture" + QByteArray::number(number) + ".png";
            type = "image/png";
            size = 204800;
        } else {
            name = "page" + QByteArray::number(number) + ".html";
            type = "text/html";
            size = 191 + number % 700;
        }
        line("--2026-12-06 21:20:50--  http://" + kHost + "/" + name);
        line("Reusing existing connection to " + kHost + ".");
        line("HTTP request sent, awaiting response... 200 OK");
        if (size < 1024)
            line("Length: " + QByteArray::number(size) + " [" + type + "]");
        else
            line("Length: " + QByteArray::number(size) + " (" + QByteArray::number(size / 1024) + "K) [" + type + "]");
        line("Saving to: \u2018" + kFolder + "/" + name + "\u2019");
        line("");
        progress(size);
        saved(name, size);
    }

    void footer(int files)
    {
        line("FINISHED --2026-12-06 21:20:51--");
        line("Total wall clock time: 1.2s");
        line("Downloaded: " + QByteArray::number(files) + " files, 41M in 0.3s (137 MB/s)");
    }

private:
    // Dot lines of 50 KB each; the last one carries the total time instead of the remaining one.
    void progress(qint64 size)
    {
        const qint64 kilobytes = (size + 1023) / 1024;
        for (qint64 start = 0; start < std::max<qint64>(kilobytes, 1); start += kDotsPerLine) {
            const qint64 count = std::min<qint64>(kDotsPerLine, kilobytes - start);
            QByteArray dots;
            for (qint64 dot = 0; dot < kDotsPerLine; ++dot) {
                if (dot % 10 == 0)
                    dots += ' ';
                dots += dot < count ? '.' : ' ';
            }
            const bool last = start + kDotsPerLine >= kilobytes;
            const qint64 percent = last ? 100 : (start + count) * 1024 * 100 / size;
            line(QByteArray::number(start).rightJustified(6) + "K" + dots + " "
                 + QByteArray::number(percent).rightJustified(3) + "%" + (last ? "  189M=0.001s" : "  140M 0s"));
        }
        line("");
    }

    void saved(const QByteArray &name, qint64 size)
    {
        line("2026-12-06 21:20:50 (31.7 MB/s) - \u2018" + kFolder + "/" + name + "\u2019 saved ["
             + QByteArray::number(size) + "/" + QByteArray::number(size) + "]");
        line("");
    }
};

bool writeFile(const QString &path, const QByteArray &content, QFile::Permissions permissions = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        return false;
    return !permissions || file.setPermissions(permissions);
}

int usage()
{
    std::fprintf(stderr, "usage: interpret_bench [LINES] [--rounds N]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    PrepareWgetEnvironment();
    QCoreApplication application(argc, argv);
    PrepareBenchApplication();

    qint64 targetLines = kDefaultLineCount;
    int rounds = 3;
    const QStringList arguments = application.arguments().mid(1);
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        bool ok = true;
        if (arguments[index] == QLatin1String("--rounds") && index + 1 < arguments.size())
            rounds = arguments[++index].toInt(&ok);
        else if (arguments[index].startsWith(QLatin1String("--")))
            return usage();
        else
            targetLines = arguments[index].toLongLong(&ok);
        if (!ok || rounds < 1 || targetLines < 20)
            return usage();
    }

    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 2;
    TranscriptWriter transcript;
    transcript.header();
    // Whole blocks while they fit, then blank lines (wget prints plenty) to the exact count.
    int files = 1;
    for (;;) {
        const qsizetype size = transcript.text.size();
        const qint64 lines = transcript.lines;
        transcript.file(files);
        if (transcript.lines > targetLines - 3) {
            transcript.text.truncate(size);
            transcript.lines = lines;
            break;
        }
        ++files;
    }
    while (transcript.lines < targetLines - 3)
        transcript.line("");
    transcript.footer(files);
    const QString transcriptPath = scratch.filePath(QStringLiteral("transcript.txt"));
    if (!writeFile(transcriptPath, transcript.text))
        return 2;
    transcript.text.clear();

    // The fake wget only plays the transcript, on standard error as wget writes it.
    const QString resources = scratch.filePath(QStringLiteral("resources"));
    QDir().mkpath(resources);
    const QFile::Permissions executable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    if (!writeFile(resources + QStringLiteral("/wget"),
                   "#!/bin/sh\nexec cat '" + QFile::encodeName(transcriptPath) + "' 1>&2\n", executable))
        return 2;
    SetResourceFolder(resources);

    const QString grep = QStandardPaths::findExecutable(QStringLiteral("grep"));
    if (grep.isEmpty())
        return 2;
    const std::vector<QByteArray> grepArguments = {QFile::encodeName(grep), "grep", "-c", "saved",
                                                   QFile::encodeName(transcriptPath)};

    auto preferences = std::make_shared<WgetEnginePreferences>();
    preferences->setBaseURL(QStringLiteral("http://") + QString::fromLatin1(kHost) + QLatin1Char('/'));
    preferences->setOutputDirectory(scratch.filePath(QStringLiteral("output")), false);

    double grepSeconds = std::numeric_limits<double>::infinity();
    double engineSeconds = std::numeric_limits<double>::infinity();
    ChildRun grepRun;
    EngineRun engineRun;
    for (int round = 0; round < rounds; ++round) {
        grepRun = RunDrainedChild(grepArguments, 64);
        grepSeconds = std::min(grepSeconds, grepRun.seconds);
        engineRun = RunEngine(preferences);
        engineSeconds = std::min(engineSeconds, engineRun.seconds);
        std::fprintf(stderr, "round %d: grep %.3f s, engine %.3f s\n", round + 1, grepRun.seconds, engineRun.seconds);
    }

    const RecordingDelegate &events = engineRun.events;
    const qint64 grepCount = grepRun.output.trimmed().toLongLong();
    const qint64 lineEvents = static_cast<qint64>(events.verboseLogPieces / 3);
    QJsonObject figures;
    figures[QStringLiteral("lines")] = transcript.lines;
    figures[QStringLiteral("rounds")] = rounds;
    figures[QStringLiteral("lines_per_second")] = engineSeconds > 0 ? static_cast<double>(transcript.lines) / engineSeconds : 0.0;
    figures[QStringLiteral("grep_seconds")] = grepSeconds;
    figures[QStringLiteral("engine_seconds")] = engineSeconds;
    figures[QStringLiteral("ratio_to_grep")] = grepSeconds > 0 ? engineSeconds / grepSeconds : 0.0;
    figures[QStringLiteral("saved_events")] = static_cast<qint64>(events.savedEvents);
    figures[QStringLiteral("grep_count")] = grepCount;
    figures[QStringLiteral("line_events")] = lineEvents;
    figures[QStringLiteral("progress_events")] = static_cast<qint64>(events.progressEvents);
    figures[QStringLiteral("status_events")] = static_cast<qint64>(events.statusEvents);
    figures[QStringLiteral("result")] = events.result;
    PrintFigures(figures);

    const bool complete = engineRun.startResult == kNoErr && events.finishedEvents == 1 && events.result == 0
                          && lineEvents == transcript.lines && static_cast<qint64>(events.savedEvents) == grepCount;
    return complete ? 0 : 1;
}
