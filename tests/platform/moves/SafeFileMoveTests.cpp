// Moves and copies between real folders: free names on collisions, a name that appears during
// the move, other file systems, and every refusal leaving the source whole.
#include "platform/SafeFileMove.h"
#include "tests/platform/moves/ScratchFiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <cstdlib>
#include <gtest/gtest.h>
#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <sys/inotify.h>
#include <climits>
#include <thread>
#include <utility>
#include <vector>

namespace {

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(size);
    for (char &byte : bytes)
        byte = static_cast<char>(generator.bounded(256));
    return bytes;
}

class HookGuard final
{
public:
    explicit HookGuard(std::function<void(const QString &)> hook) { SetSafeFileMoveHook(std::move(hook)); }
    ~HookGuard() { SetSafeFileMoveHook({}); }
};

// Makes the name a move is about to use exist, the first time that name is free, as another
// program saving a file at that moment would.
std::function<void(const QString &)> squatFirstTarget(bool *squatted)
{
    return [squatted](const QString &target) {
        if (*squatted)
            return;
        QFile squatter(target);
        if (squatter.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            squatter.write("squatter");
            *squatted = true;
        }
    };
}

TEST(SafeFileMove, MoveTakesTheNextFreeNameAndLeavesExistingFilesAlone)
{
    ScratchFolder scratch(temporaryBase());
    const QString source = scratch.folder("downloads");
    const QString bin = scratch.folder("bin");
    writeFile(source + "/pic.jpg", "new picture");
    writeFile(bin + "/pic.jpg", "first");
    writeFile(bin + "/pic#1.jpg", "second");

    QString newPath;
    ASSERT_EQ(SafeMoveItemIntoFolder(source + "/pic.jpg", bin, &newPath), kNoErr);
    EXPECT_EQ(newPath, bin + "/pic#2.jpg");
    EXPECT_EQ(contentsOf(newPath), "new picture");
    EXPECT_EQ(contentsOf(bin + "/pic.jpg"), "first");
    EXPECT_EQ(contentsOf(bin + "/pic#1.jpg"), "second");
    EXPECT_FALSE(QFileInfo::exists(source + "/pic.jpg"));

    // A folder moves whole, and a trailing slash on either path changes nothing.
    writeFile(scratch.folder("downloads/set") + "/a.png", "a");
    ASSERT_EQ(SafeMoveItemIntoFolder(source + "/set/", bin + "/", &newPath), kNoErr);
    EXPECT_EQ(newPath, bin + "/set");
    EXPECT_EQ(contentsOf(bin + "/set/a.png"), "a");

    // A symbolic link moves as the link, not as what it points to.
    ASSERT_EQ(::symlink("pic.jpg", QFile::encodeName(source + "/alias.jpg").constData()), 0);
    ASSERT_EQ(SafeMoveItemIntoFolder(source + "/alias.jpg", bin, &newPath), kNoErr);
    EXPECT_EQ(QFileInfo(newPath).symLinkTarget(), bin + "/pic.jpg");
}

TEST(SafeFileMove, CopyKeepsTheSourceAndNeverShowsAPartialCopy)
{
    ScratchFolder scratch(temporaryBase());
    const QString source = scratch.folder("downloads");
    const QString bin = scratch.folder("bin");
    const QByteArray bytes = randomBytes(300 * 1024);
    writeFile(source + "/pic.jpg", bytes);
    writeFile(bin + "/pic.jpg", "existing");

    QString newPath;
    ASSERT_EQ(SafeCopyItemIntoFolder(source + "/pic.jpg", bin, &newPath), kNoErr);
    EXPECT_EQ(newPath, bin + "/pic#1.jpg");
    EXPECT_EQ(contentsOf(newPath), bytes);
    EXPECT_EQ(contentsOf(source + "/pic.jpg"), bytes);
    EXPECT_EQ(contentsOf(bin + "/pic.jpg"), "existing");
    EXPECT_EQ(entriesOf(bin), (QStringList{"pic#1.jpg", "pic.jpg"}));

    // A folder's tree comes along, links as links.
    writeFile(scratch.folder("downloads/app/Contents") + "/binary", "code");
    ASSERT_EQ(::symlink("Contents/binary", QFile::encodeName(source + "/app/run").constData()), 0);
    ASSERT_EQ(SafeCopyItemIntoFolder(source + "/app", bin, &newPath), kNoErr);
    EXPECT_EQ(contentsOf(newPath + "/Contents/binary"), "code");
    EXPECT_TRUE(QFileInfo(newPath + "/run").isSymLink());
    EXPECT_TRUE(QFileInfo::exists(source + "/app/Contents/binary"));
}

class RenameFallbackGuard final
{
public:
    explicit RenameFallbackGuard(bool disabled) { SetSafeFileMoveNoReplaceRenameDisabled(disabled); }
    ~RenameFallbackGuard() { SetSafeFileMoveNoReplaceRenameDisabled(false); }
};

// With renameat2, and the way file systems without it go: link and unlink for files, a claimed
// empty folder for folders.
// A file another program writes to while it is being copied (a download still arriving): the
// copy is refused (EAGAIN) and removed rather than kept with old and new bytes mixed. The writer
// waits until the copy has begun reading, then changes the end of the file, which is read last.
TEST(SafeFileMove, CopyOfAFileWrittenDuringTheReadIsRefused)
{
    ScratchFolder scratch(temporaryBase());
    const QString source = scratch.folder("downloads");
    const QString bin = scratch.folder("bin");
    const QString movie = source + "/movie.mov";
    constexpr int kSize = 48 << 20;
    ASSERT_TRUE(writeFile(movie, QByteArray(kSize, 'A')));
    // An old time, so that the change shows whatever the clock's granularity.
    const struct timespec lastYear[2] = {{1700000000, 0}, {1700000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(movie).constData(), lastYear, 0), 0);
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(movie).constData(), IN_ACCESS), 0);
    std::thread writer([&] {
        char event[sizeof(inotify_event) + NAME_MAX + 1];
        if (::read(watch, event, sizeof event) <= 0)
            return;
        const int descriptor = ::open(QFile::encodeName(movie).constData(), O_WRONLY | O_CLOEXEC);
        const QByteArray tail(1 << 20, 'B');
        if (descriptor >= 0) {
            (void)::pwrite(descriptor, tail.constData(), size_t(tail.size()), kSize - tail.size());
            ::close(descriptor);
        }
    });
    QString newPath = "unchanged";
    const Status status = SafeCopyItemIntoFolder(movie, bin, &newPath);
    writer.join();
    ::close(watch);
    if (status == kNoErr) {
        // The copy was read before the change reached the file: then it is the old file, whole.
        EXPECT_EQ(contentsOf(newPath), QByteArray(kSize, 'A'));
    } else {
        EXPECT_EQ(status, EAGAIN);
        EXPECT_EQ(newPath, "unchanged");
        EXPECT_TRUE(entriesOf(bin).isEmpty()) << "a refused copy stays behind";
    }
}

TEST(SafeFileMove, ANameAppearingDuringTheMoveIsNeverReplaced)
{
    ScratchFolder scratch(temporaryBase());
    const QString source = scratch.folder("downloads");
    const QString bin = scratch.folder("bin");
    QString newPath;
    for (const bool fallback : {false, true}) {
        RenameFallbackGuard guard(fallback);
        for (const bool copy : {false, true}) {
            for (const bool folder : {false, true}) {
                SCOPED_TRACE(std::string(fallback ? "fallback " : "renameat2 ") + (copy ? "copy " : "move ") +
                             (folder ? "folder" : "file"));
                QDir(bin).removeRecursively();
                QDir().mkpath(bin);
                const QString item = source + (folder ? "/set" : "/pic.jpg");
                if (folder)
                    ASSERT_TRUE(writeFile(scratch.folder("downloads/set") + "/a.jpg", "mine"));
                else
                    ASSERT_TRUE(writeFile(item, "mine"));
                bool squatted = false;
                HookGuard hook(squatFirstTarget(&squatted));
                const Status status =
                    copy ? SafeCopyItemIntoFolder(item, bin, &newPath) : SafeMoveItemIntoFolder(item, bin, &newPath);
                ASSERT_EQ(status, kNoErr);
                EXPECT_TRUE(squatted);
                const QString taken = bin + (folder ? "/set" : "/pic.jpg");
                EXPECT_EQ(newPath, bin + (folder ? "/set#1" : "/pic#1.jpg"));
                EXPECT_EQ(contentsOf(taken), "squatter");
                EXPECT_EQ(contentsOf(folder ? newPath + "/a.jpg" : newPath), "mine");
                EXPECT_EQ(QFileInfo::exists(item), copy);
                QDir(source).removeRecursively();
                QDir().mkpath(source);
            }
        }
    }
}

TEST(SafeFileMove, AcrossFileSystemsFilesAreCopiedThenRemovedAndFoldersRefused)
{
    if (!otherFileSystemAvailable())
        GTEST_SKIP() << "/dev/shm shares a file system with " << temporaryBase().constData();
    ScratchFolder here(temporaryBase());
    ScratchFolder there("/dev/shm");
    const QString source = here.folder("downloads");
    const QString bin = there.folder("bin");
    const QByteArray bytes = randomBytes(1024 * 1024 + 17);
    writeFile(source + "/movie.mov", bytes);
    ASSERT_EQ(::chmod(QFile::encodeName(source + "/movie.mov").constData(), 0640), 0);
    writeFile(bin + "/movie.mov", "other");

    QString newPath;
    bool squatted = false;
    {
        HookGuard hook(squatFirstTarget(&squatted));
        ASSERT_EQ(SafeMoveItemIntoFolder(source + "/movie.mov", bin, &newPath), kNoErr);
    }
    EXPECT_TRUE(squatted);
    EXPECT_EQ(newPath, bin + "/movie#2.mov");
    EXPECT_EQ(contentsOf(newPath), bytes);
    struct stat copied;
    ASSERT_EQ(::stat(QFile::encodeName(newPath).constData(), &copied), 0);
    EXPECT_EQ(copied.st_mode & 07777, 0640u);
    EXPECT_FALSE(QFileInfo::exists(source + "/movie.mov"));
    // Nothing temporary is left behind.
    EXPECT_EQ(entriesOf(bin), (QStringList{"movie#1.mov", "movie#2.mov", "movie.mov"}));

    ASSERT_EQ(::symlink("/nowhere", QFile::encodeName(source + "/dangling").constData()), 0);
    ASSERT_EQ(SafeMoveItemIntoFolder(source + "/dangling", bin, &newPath), kNoErr);
    EXPECT_EQ(QFileInfo(newPath).symLinkTarget(), "/nowhere");
    EXPECT_FALSE(QFileInfo(source + "/dangling").isSymLink());

    writeFile(here.folder("downloads/album") + "/1.jpg", "1");
    EXPECT_EQ(SafeMoveItemIntoFolder(source + "/album", bin, &newPath), EXDEV);
    EXPECT_EQ(contentsOf(source + "/album/1.jpg"), "1");
    EXPECT_FALSE(QFileInfo::exists(bin + "/album"));

    // Copying a folder across is fine: the source stays, and every item in the tree keeps its
    // time, links (even one that leads back up, in a loop) as links.
    ASSERT_EQ(::symlink("..", QFile::encodeName(here.folder("downloads/album/inner") + "/up").constData()), 0);
    const struct timespec past[2] = {{1400000000, 5}, {1500000000, 7}};
    for (const char *relative : {"album/inner/up", "album/inner", "album/1.jpg", "album"})
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(source + "/" + relative).constData(), past,
                              AT_SYMLINK_NOFOLLOW),
                  0);
    ASSERT_EQ(SafeCopyItemIntoFolder(source + "/album", bin, &newPath), kNoErr);
    EXPECT_EQ(contentsOf(bin + "/album/1.jpg"), "1");
    EXPECT_EQ(contentsOf(source + "/album/1.jpg"), "1");
    EXPECT_EQ(QFileInfo(bin + "/album/inner/up").symLinkTarget(), bin + "/album");
    for (const char *relative : {"album/inner/up", "album/inner", "album/1.jpg", "album"}) {
        SCOPED_TRACE(relative);
        struct stat copiedItem;
        ASSERT_EQ(::lstat(QFile::encodeName(bin + "/" + relative).constData(), &copiedItem), 0);
        EXPECT_EQ(copiedItem.st_mtim.tv_sec, 1500000000);
        EXPECT_EQ(copiedItem.st_mtim.tv_nsec, 7);
    }
}

// A file still being written when it is sorted (a download that is not finished, a new version
// saved over it) changes after its copy began: removing it would lose what came later.
TEST(SafeFileMove, AcrossFileSystemsASourceThatChangesDuringTheCopyIsKept)
{
    if (!otherFileSystemAvailable())
        GTEST_SKIP() << "/dev/shm shares a file system with " << temporaryBase().constData();
    ScratchFolder here(temporaryBase());
    ScratchFolder there("/dev/shm");
    const QString source = here.folder("downloads");
    const QString bin = there.folder("bin");
    const QString movie = source + "/movie.mov";
    const QByteArray bytes = randomBytes(600 * 1024);

    struct Change {
        const char *what;
        std::function<void()> make;
        QByteArray expected;
    };
    const std::vector<Change> changes{
        {"appended", [&] { QFile file(movie); file.open(QIODevice::Append); file.write("the rest"); },
         bytes + "the rest"},
        {"replaced",
         [&] {
             writeFile(source + "/.partial", "new version");
             ::rename(QFile::encodeName(source + "/.partial").constData(), QFile::encodeName(movie).constData());
         },
         "new version"},
        {"rewritten in place",
         [&] { QFile file(movie); file.open(QIODevice::ReadWrite); file.write("XY"); },
         "XY" + bytes.mid(2)},
    };
    for (const Change &change : changes) {
        SCOPED_TRACE(change.what);
        ASSERT_TRUE(writeFile(movie, bytes));
        // An old time, so that a change within the clock's granularity still shows.
        const struct timespec lastYear[2] = {{1700000000, 0}, {1700000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(movie).constData(), lastYear, 0), 0);
        bool changed = false;
        // The hook runs once the copy is complete, just before it is put in place.
        HookGuard hook([&](const QString &) {
            if (!std::exchange(changed, true))
                change.make();
        });
        QString newPath = "unchanged";
        EXPECT_EQ(SafeMoveItemIntoFolder(movie, bin, &newPath), EAGAIN);
        EXPECT_TRUE(changed);
        EXPECT_EQ(newPath, "unchanged");
        EXPECT_EQ(contentsOf(movie), change.expected);
        EXPECT_EQ(entriesOf(bin), QStringList{});
    }

    // Left alone, the same file moves.
    ASSERT_TRUE(writeFile(movie, bytes));
    QString newPath;
    ASSERT_EQ(SafeMoveItemIntoFolder(movie, bin, &newPath), kNoErr);
    EXPECT_EQ(contentsOf(newPath), bytes);
    EXPECT_FALSE(QFileInfo::exists(movie));
}

// The destination folder is renamed and a link put in its place while a copy is being made in
// it: the copy follows the name the caller gave, or goes again, but is never stranded in the
// renamed folder.
TEST(SafeFileMove, AcrossFileSystemsADestinationSwappedForALinkStrandsNoCopy)
{
    if (!otherFileSystemAvailable())
        GTEST_SKIP() << "/dev/shm shares a file system with " << temporaryBase().constData();
    ScratchFolder here(temporaryBase());
    ScratchFolder there("/dev/shm");
    const QString source = here.folder("downloads");
    const QString bin = there.path("bin");
    const QString movie = source + "/movie.mov";
    const QByteArray bytes = randomBytes(300 * 1024);

    // Where the link leads: beside the old folder, or back onto the source's file system.
    for (const QString &elsewhere : {there.folder("elsewhere"), here.folder("elsewhere")}) {
        SCOPED_TRACE(elsewhere.toStdString());
        const QString oldBin = there.path("old bin");
        QFile::remove(bin);
        QDir(oldBin).removeRecursively();
        QDir().mkpath(bin);
        ASSERT_TRUE(writeFile(movie, bytes));
        bool swapped = false;
        HookGuard hook([&](const QString &) {
            if (std::exchange(swapped, true))
                return;
            ::rename(QFile::encodeName(bin).constData(), QFile::encodeName(oldBin).constData());
            ::symlink(QFile::encodeName(elsewhere).constData(), QFile::encodeName(bin).constData());
        });
        QString newPath;
        const Status status = SafeMoveItemIntoFolder(movie, bin, &newPath);
        EXPECT_TRUE(swapped);
        EXPECT_EQ(entriesOf(oldBin), QStringList{});
        if (deviceOf(QFile::encodeName(elsewhere)) == deviceOf(QFile::encodeName(oldBin))) {
            ASSERT_EQ(status, kNoErr);
            EXPECT_EQ(newPath, bin + "/movie.mov");
            EXPECT_EQ(contentsOf(elsewhere + "/movie.mov"), bytes);
            EXPECT_FALSE(QFileInfo::exists(movie));
        } else {
            EXPECT_EQ(status, EXDEV);
            EXPECT_EQ(entriesOf(elsewhere), QStringList{});
            EXPECT_EQ(contentsOf(movie), bytes);
        }
    }
}

// A write that fails halfway through the copy (here the file size limit stands in for a full
// disk) leaves no partial file in the destination and the source whole.
TEST(SafeFileMove, ACopyThatCannotBeWrittenToTheEndLeavesNothingBehind)
{
    ScratchFolder here(temporaryBase());
    ScratchFolder there(otherFileSystemAvailable() ? QByteArray("/dev/shm") : temporaryBase());
    const QString source = here.folder("downloads");
    const QString bin = there.folder("bin");
    const QByteArray bytes = randomBytes(512 * 1024);
    ASSERT_TRUE(writeFile(source + "/movie.mov", bytes));

    rlimit previous {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const sighandler_t previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    QString newPath;
    const Status copied = SafeCopyItemIntoFolder(source + "/movie.mov", bin, &newPath);
    const Status moved = otherFileSystemAvailable() ? SafeMoveItemIntoFolder(source + "/movie.mov", bin, &newPath)
                                                    : EFBIG;
    ::setrlimit(RLIMIT_FSIZE, &previous);
    ::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(copied, EFBIG);
    EXPECT_EQ(moved, EFBIG);
    EXPECT_EQ(entriesOf(bin), QStringList{});
    EXPECT_EQ(contentsOf(source + "/movie.mov"), bytes);
}

TEST(SafeFileMove, RefusalsLeaveTheSourceWhereItWas)
{
    ScratchFolder scratch(temporaryBase());
    const QString source = scratch.folder("downloads");
    writeFile(source + "/pic.jpg", "keep");
    writeFile(scratch.path("blocking file"), "not a folder");
    QString newPath = "unchanged";

    EXPECT_EQ(SafeMoveItemIntoFolder(source + "/pic.jpg", scratch.path("blocking file"), &newPath), ENOTDIR);
    EXPECT_EQ(SafeCopyItemIntoFolder(source + "/pic.jpg", scratch.path("blocking file/sub"), &newPath), ENOTDIR);
    EXPECT_EQ(SafeMoveItemIntoFolder(source + "/pic.jpg", scratch.path("missing"), &newPath), ENOENT);
    EXPECT_EQ(SafeMoveItemIntoFolder(source + "/gone.jpg", source, &newPath), ENOENT);
    EXPECT_EQ(SafeMoveItemIntoFolder(QString(), source, &newPath), kParamErr);
    EXPECT_EQ(SafeMoveItemIntoFolder("/", source, &newPath), kParamErr);
    EXPECT_EQ(newPath, "unchanged");
    EXPECT_EQ(contentsOf(source + "/pic.jpg"), "keep");

    // A folder into itself or below itself, however the destination is spelled.
    const QString deep = scratch.folder("downloads/a/b");
    ASSERT_EQ(::symlink(QFile::encodeName(deep).constData(), QFile::encodeName(scratch.path("shortcut")).constData()),
              0);
    EXPECT_EQ(SafeMoveItemIntoFolder(source, source, &newPath), EINVAL);
    EXPECT_EQ(SafeMoveItemIntoFolder(source, deep + "/../..", &newPath), EINVAL);
    EXPECT_EQ(SafeMoveItemIntoFolder(source, scratch.path("shortcut"), &newPath), EINVAL);
    EXPECT_EQ(SafeCopyItemIntoFolder(source, scratch.path("shortcut"), &newPath), EINVAL);
    EXPECT_EQ(entriesOf(deep), QStringList{});
    EXPECT_EQ(contentsOf(source + "/pic.jpg"), "keep");
}

TEST(SafeFileMove, AnItemAlreadyInTheDestinationStaysPut)
{
    ScratchFolder scratch(temporaryBase());
    const QString bin = scratch.folder("bin");
    writeFile(bin + "/pic.jpg", "here");
    ASSERT_EQ(::symlink(QFile::encodeName(bin).constData(), QFile::encodeName(scratch.path("link")).constData()), 0);
    const QStringList spellings{bin, bin + "/", scratch.path("bin/../bin"), scratch.path("link"),
                                scratch.path("./bin")};
    for (const QString &spelling : spellings) {
        SCOPED_TRACE(spelling.toStdString());
        EXPECT_TRUE(IsSameFolder(spelling, bin));
        QString newPath;
        EXPECT_EQ(SafeMoveItemIntoFolder(bin + "/pic.jpg", spelling, &newPath), kNoErr);
        EXPECT_EQ(newPath, bin + "/pic.jpg");
        EXPECT_EQ(SafeCopyItemIntoFolder(bin + "/pic.jpg", spelling, &newPath), kNoErr);
        EXPECT_EQ(newPath, bin + "/pic.jpg");
    }
    EXPECT_EQ(entriesOf(bin), QStringList{"pic.jpg"});
    EXPECT_FALSE(IsSameFolder(bin, scratch.path()));
    EXPECT_FALSE(IsSameFolder(bin + "/pic.jpg", bin + "/pic.jpg"));
}

// Runs the move in a child as the user nobody, who may read everything here but write only
// where the test lets it.
struct ProbeResult {
    Status status = kUnknownErr;
    QString newPath;
};

ProbeResult runAsNobody(const char *what, const QString &source, const QString &folder)
{
    QProcess probe;
    probe.start("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups", SAFE_FILE_MOVE_PROBE, what,
                            source, folder});
    ProbeResult result;
    if (!probe.waitForFinished(30000))
        return result;
    const QString output = QString::fromLocal8Bit(probe.readAllStandardOutput()).trimmed();
    result.status = output.section(' ', 0, 0).toInt();
    result.newPath = output.section(' ', 1);
    return result;
}

void giveToNobody(const QString &path)
{
    const passwd *nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid), 0);
}

TEST(SafeFileMove, AUserWithoutWriteAccessLosesNothing)
{
    if (::geteuid() != 0 || !::getpwnam("nobody"))
        GTEST_SKIP() << "needs root to start a child as nobody";
    // The real temporary folder, since the test home is closed to other users.
    ScratchFolder here("/tmp");
    const QString ownSource = here.folder("nobody's");
    giveToNobody(ownSource);
    writeFile(ownSource + "/pic.jpg", "keep");
    giveToNobody(ownSource + "/pic.jpg");
    const QString closedBin = here.folder("root's bin");

    ProbeResult result = runAsNobody("move", ownSource + "/pic.jpg", closedBin);
    EXPECT_EQ(result.status, EACCES);
    EXPECT_EQ(contentsOf(ownSource + "/pic.jpg"), "keep");
    EXPECT_EQ(entriesOf(closedBin), QStringList{});

    if (!otherFileSystemAvailable())
        GTEST_SKIP() << "/dev/shm shares a file system with /tmp";
    // Across file systems the copy succeeds, but the source's folder will not let the source go:
    // the copy has to go again.
    ScratchFolder there("/dev/shm");
    const QString openBin = there.folder("nobody's bin");
    giveToNobody(openBin);
    writeFile(closedBin + "/root.jpg", "root's");
    result = runAsNobody("move", closedBin + "/root.jpg", openBin);
    EXPECT_EQ(result.status, EACCES);
    EXPECT_EQ(contentsOf(closedBin + "/root.jpg"), "root's");
    EXPECT_EQ(entriesOf(openBin), QStringList{});
}

// A folder copy that fails once its tree is written (here its name, with the number it needs,
// grows too long) is removed whole, read-only folders in it too, though only root could write
// into those.
TEST(SafeFileMove, AFailedFolderCopyWithReadOnlyFoldersIsRemovedWhole)
{
    if (::geteuid() != 0 || !::getpwnam("nobody"))
        GTEST_SKIP() << "needs root to start a child as nobody";
    ScratchFolder here("/tmp");
    // A name whose extension alone leaves no room for a "#n": the placing fails after the copy.
    const QString longName = QStringLiteral("a.") + QString(252, QLatin1Char('d'));
    const QString source = here.folder("nobody's");
    const QString readOnly = here.folder("nobody's/" + longName + "/read-only");
    ASSERT_TRUE(writeFile(readOnly + "/kept.jpg", "kept"));
    const QString bin = here.folder("nobody's bin");
    ASSERT_TRUE(QDir().mkpath(bin + "/" + longName));
    for (const QString &path : {source, source + "/" + longName, readOnly, readOnly + "/kept.jpg", bin,
                                bin + "/" + longName})
        giveToNobody(path);
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0555), 0);

    const ProbeResult result = runAsNobody("copy", source + "/" + longName, bin);
    EXPECT_EQ(result.status, ENAMETOOLONG);
    EXPECT_EQ(entriesOf(bin), QStringList{longName});
    EXPECT_EQ(contentsOf(readOnly + "/kept.jpg"), "kept");
}

} // namespace
