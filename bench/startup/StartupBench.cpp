// Start-up time of Vellicor and Pendrill to their first painted window, against a bare Qt widgets
// window (the floor), in alternating rounds. Each run starts in fresh home and XDG folders with
// the update check switched off, so no run finds another's settings or waits on the network.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace {

struct Program {
    const char *name;
    QString path;
    QString settingsFolder; // under XDG_CONFIG_HOME, as the program's QSettings names it
    std::vector<double> milliseconds;
};

// Milliseconds from starting the child to its "first-paint" line, or nothing when it never
// painted. Both clocks are CLOCK_MONOTONIC, so the child's figure compares with ours.
std::optional<double> timeOneStart(const Program &program)
{
    QTemporaryDir home;
    if (!home.isValid())
        return std::nullopt;
    const QString config = home.filePath(QStringLiteral("config"));
    QDir().mkpath(config + '/' + program.settingsFolder);
    {
        QSettings settings(config + '/' + program.settingsFolder + '/' + program.settingsFolder + ".conf",
                           QSettings::IniFormat);
        settings.setValue(QStringLiteral("kDontCheckForUpdatesKey"), true);
    }
    QDir().mkpath(home.filePath(QStringLiteral("runtime")));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("STARTUP_TIME_PROBE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));

    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    const auto started = std::chrono::steady_clock::now();
    child.start(program.path, {});
    if (!child.waitForStarted(10000) || !child.waitForFinished(60000)) {
        child.kill();
        child.waitForFinished();
        std::fprintf(stderr, "%s did not start and quit within a minute\n", program.name);
        return std::nullopt;
    }
    const QList<QByteArray> lines = child.readAllStandardError().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("first-paint ")) {
            const long long paintedNs = line.mid(12).trimmed().toLongLong();
            const long long startedNs = std::chrono::duration_cast<std::chrono::nanoseconds>(started.time_since_epoch()).count();
            return (paintedNs - startedNs) / 1e6;
        }
    }
    std::fprintf(stderr, "%s quit without reporting its first paint (exit status %d)\n", program.name, child.exitCode());
    return std::nullopt;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    int rounds = 7;
    for (int index = 1; index + 1 < argc; index += 2)
        if (std::strcmp(argv[index], "--rounds") == 0)
            rounds = std::max(1, std::atoi(argv[index + 1]));

    std::vector<Program> programs = {
        {"bare", QStringLiteral(BARE_WINDOW_PROGRAM), QStringLiteral("bare"), {}},
        {"vellicor", QStringLiteral(VELLICOR_PROGRAM), QStringLiteral("Vellicor"), {}},
        {"pendrill", QStringLiteral(PENDRILL_PROGRAM), QStringLiteral("Pendrill"), {}},
    };
    // One unmeasured start of each warms the page cache, so round one is not an outlier.
    for (const Program &program : programs)
        timeOneStart(program);
    for (int round = 0; round < rounds; ++round) {
        for (Program &program : programs) {
            const std::optional<double> time = timeOneStart(program);
            if (!time)
                return 1;
            program.milliseconds.push_back(*time);
            std::printf("round %d: %s %.1f ms\n", round + 1, program.name, *time);
        }
    }

    const double floor = median(programs[0].milliseconds);
    QJsonObject figures {{QStringLiteral("rounds"), rounds}};
    for (const Program &program : programs) {
        const double value = median(program.milliseconds);
        figures.insert(QStringLiteral("%1_median_ms").arg(program.name), std::round(value * 10) / 10);
        if (&program != &programs[0])
            figures.insert(QStringLiteral("%1_to_bare_ratio").arg(program.name), std::round(value / floor * 100) / 100);
    }
    std::printf("%s\n", QJsonDocument(figures).toJson(QJsonDocument::Compact).constData());
    return 0;
}
