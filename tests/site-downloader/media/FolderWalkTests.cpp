// The folder walk on real trees: order, depth, links standing in for aliases, and entries that
// cannot be read or vanish underway.
#include "site-downloader/media/FSRefIterateFolder.h"
#include "tests/site-downloader/media/TestTree.h"

#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Walk {
    std::vector<std::string> listed; // relative to the tree's root
    Status result = kNoErr;
};

// Lists what the walk hands over; `react` may steer it per entry.
Walk walk(const TestTree &tree, uint32_t options = kFolderIterateDefaultOptions, uint32_t maxDepth = 0,
          const std::function<Status(const std::string &)> &react = {})
{
    struct Context {
        const TestTree &tree;
        const std::function<Status(const std::string &)> &react;
        Walk result;
    } context{tree, react, {}};
    const FSRef root{0, 0, tree.path()};
    context.result.result = FSRefIterateFolder(
        &root, maxDepth, options,
        [](void *refCon, const FolderIterateEntry *entry) -> Status {
            auto *context = static_cast<Context *>(refCon);
            const std::string listed = context->tree.relative(std::string(entry->path, entry->pathLength));
            context->result.listed.push_back(listed);
            return context->react ? context->react(listed) : kNoErr;
        },
        &context);
    return context.result;
}

using Names = std::vector<std::string>;

} // namespace

TEST(FolderWalk, ListsEveryEntryInPreOrderWithoutTheRoot)
{
    TestTree tree;
    tree.add({"b/", "b/z.png", "b/a/", "b/a/deep.jpg", "a.txt", "c/", "empty/"});
    const Walk all = walk(tree);
    EXPECT_EQ(all.result, kNoErr);
    EXPECT_EQ(all.listed, (Names{"a.txt", "b", "b/a", "b/a/deep.jpg", "b/z.png", "c", "empty"}));

    EXPECT_EQ(walk(tree, kFolderIterateDefaultOptions, 1).listed, (Names{"a.txt", "b", "c", "empty"}));
    EXPECT_EQ(walk(tree, kFolderIterateDefaultOptions, 2).listed,
              (Names{"a.txt", "b", "b/a", "b/z.png", "c", "empty"}));
}

TEST(FolderWalk, FilterSkipsDescentOrEndsTheWalkWithItsCode)
{
    TestTree tree;
    tree.add({"a/", "a/inside", "b/", "b/inside", "c"});
    const Walk skipped = walk(tree, kFolderIterateDefaultOptions, 0,
                              [](const std::string &entry) { return entry == "a" ? kSkipErr : kNoErr; });
    EXPECT_EQ(skipped.result, kNoErr);
    EXPECT_EQ(skipped.listed, (Names{"a", "b", "b/inside", "c"}));

    const Walk ended = walk(tree, kFolderIterateDefaultOptions, 0,
                            [](const std::string &entry) { return entry == "a/inside" ? kCanceledErr : kNoErr; });
    EXPECT_EQ(ended.result, kCanceledErr);
    EXPECT_EQ(ended.listed, (Names{"a", "a/inside"}));
}

// Links to the tree's own folders, its ancestors and "/" are listed once and never walked, so
// the walk stays inside the tree; a link to a folder elsewhere is walked into.
TEST(FolderWalk, LinksNeverLeadOutOfTheTreeOrRoundALoop)
{
    TestTree tree;
    tree.add({"a/", "a/b/", "a/b/photo.png"});
    tree.link("a/b/to-a", tree.path("a"));
    tree.link("a/to-root", tree.path());
    tree.link("a/to-parent", tree.root().parent_path());
    tree.link("a/to-slash", "/");
    tree.link("a/relative-loop", "..");
    const std::filesystem::path elsewhere = tree.root().parent_path() / "elsewhere";
    std::filesystem::create_directory(elsewhere);
    std::ofstream(elsewhere / "outside.png") << "x";
    tree.link("to-elsewhere", elsewhere);

    const Walk followed = walk(tree);
    EXPECT_EQ(followed.result, kNoErr);
    EXPECT_EQ(followed.listed, (Names{"a", "a/b", "a/b/photo.png", "a/b/to-a", "a/relative-loop", "a/to-parent",
                                      "a/to-root", "a/to-slash", "to-elsewhere", "to-elsewhere/outside.png"}));

    const Walk plain = walk(tree, 0);
    EXPECT_EQ(plain.result, kNoErr);
    EXPECT_EQ(plain.listed.size(), followed.listed.size() - 1); // every link listed, none followed
}

TEST(FolderWalk, DanglingLinkIsAPlainEntryUnlessAliasErrorsCount)
{
    TestTree tree;
    tree.add({"a/", "z"});
    tree.link("a/gone", tree.path("nothing-here"));
    tree.link("a/self", tree.path("a/self"));

    const Walk tolerant = walk(tree);
    EXPECT_EQ(tolerant.result, kNoErr);
    EXPECT_EQ(tolerant.listed, (Names{"a", "a/gone", "a/self", "z"}));

    const Walk strict = walk(tree, kFolderIterateResolveAliases);
    EXPECT_EQ(strict.result, ENOENT);
    EXPECT_EQ(strict.listed, (Names{"a", "a/gone"}));
}

TEST(FolderWalk, EntriesThatVanishUnderwayAreLeftOut)
{
    TestTree tree;
    tree.add({"a", "b", "c/", "c/inside", "d"});
    const Walk walked = walk(tree, kFolderIterateDefaultOptions, 0, [&tree](const std::string &entry) {
        if (entry == "a") {
            std::filesystem::remove(tree.path("b"));
            std::filesystem::remove_all(tree.path("c"));
        }
        return kNoErr;
    });
    EXPECT_EQ(walked.result, kNoErr);
    // A file is taken from the folder listing as it was read; a vanished folder is left out.
    EXPECT_EQ(std::count(walked.listed.begin(), walked.listed.end(), "c"), 0);
    EXPECT_EQ(walked.listed.back(), "d");

    tree.add({"b", "e/", "e/inside"});
    const Walk folderGone = walk(tree, kFolderIterateDefaultOptions, 0, [&tree](const std::string &entry) {
        if (entry == "e")
            std::filesystem::remove_all(tree.path("e")); // after listing, before descending
        return kNoErr;
    });
    EXPECT_EQ(folderGone.result, kNoErr);
    EXPECT_EQ(folderGone.listed, (Names{"a", "b", "d", "e"}));
}

TEST(FolderWalk, NoSuchStartingFolder)
{
    const FSRef missing{0, 0, "/nonexistent-folder-of-the-walk-test"};
    EXPECT_EQ(FSRefIterateFolder(&missing, 0, kFolderIterateDefaultOptions,
                                 [](void *, const FolderIterateEntry *) { return kNoErr; }, nullptr),
              ENOENT);
    EXPECT_EQ(FSRefIterateFolder(&missing, 0, 0, nullptr, nullptr), paramErr);
}

// An unreadable folder is passed over quietly and the walk goes on with its siblings. Root reads
// every folder, so under root the walk runs again in this program as nobody.
TEST(FolderWalk, UnreadableFolderIsPassedOver)
{
    if (const char *treePath = std::getenv("FOLDER_WALK_UNREADABLE_TREE")) {
        struct Context {
            std::vector<std::string> listed;
        } context;
        const FSRef root{0, 0, treePath};
        const Status result = FSRefIterateFolder(
            &root, 0, kFolderIterateDefaultOptions,
            [](void *refCon, const FolderIterateEntry *entry) {
                static_cast<Context *>(refCon)->listed.emplace_back(entry->name);
                return kNoErr;
            },
            &context);
        EXPECT_EQ(result, kNoErr);
        EXPECT_EQ(context.listed, (Names{"a", "closed", "z", "z.png"}));
        return;
    }

    TestTree tree(QStringLiteral("/tmp"));
    tree.add({"a", "closed/", "closed/hidden.png", "z/", "z/z.png"});
    std::filesystem::permissions(tree.root().parent_path(), std::filesystem::perms(0755));
    std::filesystem::permissions(tree.path("closed"), std::filesystem::perms(0));
    if (geteuid() != 0) {
        const Walk walked = walk(tree);
        std::filesystem::permissions(tree.path("closed"), std::filesystem::perms(0700));
        EXPECT_EQ(walked.result, kNoErr);
        EXPECT_EQ(walked.listed, (Names{"a", "closed", "z", "z/z.png"}));
        return;
    }
    // popen, not QProcess: ThreadSanitizer cannot follow Qt's raw clone() into the child.
    const std::string command = "FOLDER_WALK_UNREADABLE_TREE='" + tree.path() + "' TMPDIR=/tmp "
                                + "setpriv --reuid=nobody --regid=nogroup --clear-groups -- '"
                                + QCoreApplication::applicationFilePath().toStdString()
                                + "' --gtest_filter=FolderWalk.UnreadableFolderIsPassedOver 2>&1";
    FILE *child = popen(command.c_str(), "r");
    ASSERT_NE(child, nullptr);
    std::string output;
    char buffer[4096];
    for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, child)) > 0;)
        output.append(buffer, count);
    const int status = pclose(child);
    std::filesystem::permissions(tree.path("closed"), std::filesystem::perms(0700));
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}
