#include "utilities/FolderIterate.h"

#include "utilities/FixedSizeBlockMemAllocator.h"
#include "utilities/HashTable.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Buckets of the visited set and nodes per chunk of its pool. Only folders go into the set, so
// even a tree of a thousand folders makes chains of about ten.
constexpr uint32_t kVisitedBuckets = 101;
constexpr size_t kNodesPerChunk = 1024;

struct FolderKey {
    unsigned char bytes[2 * sizeof(uint64_t)];
};

FolderKey folderKey(const struct stat &info)
{
    FolderKey key;
    const uint64_t device = info.st_dev;
    const uint64_t inode = info.st_ino;
    std::memcpy(key.bytes, &device, sizeof device);
    std::memcpy(key.bytes + sizeof device, &inode, sizeof inode);
    return key;
}

struct FolderIterateContext {
    uint32_t maxDepth = 0;
    uint32_t depth = 0;
    uint32_t options = 0;
    Status err = kNoErr;
    Status filterResult = kNoErr;
    FolderIterateFilter filter = nullptr;
    void *refCon = nullptr;
    FixedSizeBlockMemAllocator *pool = nullptr;
    HashTable *visited = nullptr;
    std::string path; // the folder being read; the recursion appends and truncates
};

class Descriptor final
{
public:
    explicit Descriptor(int descriptor) : _descriptor(descriptor) {}
    ~Descriptor()
    {
        if (_descriptor >= 0)
            close(_descriptor);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        if (this != &other) {
            if (_descriptor >= 0)
                close(_descriptor);
            _descriptor = other.release();
        }
        return *this;
    }
    int get() const { return _descriptor; }
    int release() { return std::exchange(_descriptor, -1); }

private:
    int _descriptor;
};

// Errors that mean "this folder, or this entry, is not ours to read": passed over quietly.
bool isPassedOver(int error)
{
    return error == EACCES || error == EPERM;
}

// Errors that mean "the entry is no longer what the folder listing said".
bool isGone(int error)
{
    return error == ENOENT || error == ENOTDIR || error == ELOOP;
}

// True when the folder was new to the walk; false when it was entered before, or the set failed
// (then `err` is set).
bool markVisited(FolderIterateContext *context, const struct stat &info)
{
    const FolderKey key = folderKey(info);
    uint32_t previousCount = 0;
    if (const Status status = HashTableAddKey(context->visited, key.bytes, sizeof key.bytes, &previousCount)) {
        context->err = status;
        return false;
    }
    return previousCount == 0;
}

// The entries of one folder, read in one go and sorted bytewise by name, the names kept in a
// single buffer.
struct FolderNames {
    struct Entry {
        uint32_t offset;
        unsigned char type; // DT_* from the listing
        ino_t inode;
    };
    std::string bytes;
    std::vector<Entry> entries;

    const char *name(const Entry &entry) const { return bytes.data() + entry.offset; }
};

Status readNames(DIR *folder, FolderNames *names)
{
    for (;;) {
        errno = 0;
        const dirent *entry = readdir(folder);
        if (!entry)
            break;
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        names->entries.push_back({uint32_t(names->bytes.size()), entry->d_type, entry->d_ino});
        names->bytes.append(name, std::strlen(name) + 1);
    }
    const int error = errno;
    const char *base = names->bytes.data();
    std::sort(names->entries.begin(), names->entries.end(),
              [base](const FolderNames::Entry &a, const FolderNames::Entry &b) {
                  return std::strcmp(base + a.offset, base + b.offset) < 0;
              });
    return error && !isPassedOver(error) ? Status(error) : kNoErr;
}

// The listing alone describes a file well enough: one stat call per file would double the cost of
// a walk. Folders and links are looked at, because a mount point's listed inode is the one it
// covers, and a link's target decides whether the walk descends.
bool describeFromListing(const FolderNames::Entry &listed, const struct stat &folder, struct stat *info)
{
    if (listed.type == DT_UNKNOWN || listed.type == DT_DIR || listed.type == DT_LNK)
        return false;
    *info = {};
    info->st_dev = folder.st_dev;
    info->st_ino = listed.inode;
    info->st_mode = DTTOIF(listed.type);
    return true;
}

void FSIterateFolderLevel(FolderIterateContext *context, int folderDescriptor);

// Walks into the folder that the entry `name` of `parent` is (or leads to, when `followLink`).
// `expected` is what the entry was when it was looked at; a folder swapped in since is not entered.
void descend(FolderIterateContext *context, int parent, const char *name, bool followLink,
             const struct stat &expected)
{
    Descriptor child(openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW)));
    if (child.get() < 0) {
        if (!isGone(errno) && !isPassedOver(errno))
            context->err = ErrnoStatus();
        return;
    }
    struct stat opened {};
    if (fstat(child.get(), &opened) != 0) {
        context->err = ErrnoStatus();
        return;
    }
    if (opened.st_dev != expected.st_dev || opened.st_ino != expected.st_ino)
        return;
    FSIterateFolderLevel(context, child.release());
}

// Takes over `folderDescriptor`; `context->path` names that folder.
void FSIterateFolderLevel(FolderIterateContext *context, int folderDescriptor)
{
    Descriptor descriptor(folderDescriptor);
    if (context->maxDepth != 0 && context->depth >= context->maxDepth)
        return;
    DIR *folder = fdopendir(descriptor.get());
    if (!folder) {
        context->err = ErrnoStatus();
        return;
    }
    descriptor.release();
    ++context->depth;

    FolderNames names;
    context->err = readNames(folder, &names);
    const int folderFD = dirfd(folder);
    const bool resolveAliases = context->options & kFolderIterateResolveAliases;
    const size_t folderPathLength = context->path.size();
    const bool needsSeparator = context->path.empty() || context->path.back() != '/';

    struct stat folderInfo {};
    if (context->err == kNoErr && fstat(folderFD, &folderInfo) != 0)
        context->err = ErrnoStatus();

    for (size_t index = 0; context->err == kNoErr && index < names.entries.size(); ++index) {
        const char *name = names.name(names.entries[index]);
        FolderIterateEntry entry{folderFD, name, nullptr, 0, {}, context->depth};
        if (!describeFromListing(names.entries[index], folderInfo, &entry.info)
            && fstatat(folderFD, name, &entry.info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (isGone(errno))
                continue;
            if (!isPassedOver(errno))
                context->err = ErrnoStatus();
            break;
        }
        context->path.resize(folderPathLength);
        if (needsSeparator)
            context->path += '/';
        context->path += name;
        entry.path = context->path.c_str();
        entry.pathLength = context->path.size();

        const Status result = context->filter(context->refCon, &entry);
        if (result == kSkipErr)
            continue;
        if (result != kNoErr) {
            context->filterResult = result;
            break;
        }

        struct stat target = entry.info;
        const bool isLink = S_ISLNK(entry.info.st_mode);
        if (isLink) {
            if (!resolveAliases)
                continue;
            if (fstatat(folderFD, name, &target, 0) != 0) {
                if (!(context->options & kFolderIterateIgnoreAliasErrors))
                    context->err = ErrnoStatus();
                continue;
            }
        }
        if (!S_ISDIR(target.st_mode))
            continue;
        if (resolveAliases && !markVisited(context, target))
            continue;
        descend(context, folderFD, name, isLink, target);
        if (context->filterResult != kNoErr)
            break;
    }
    context->path.resize(folderPathLength);
    closedir(folder);
    --context->depth;
}

// Marks the starting folder and every folder above it, up to "/", as entered.
Status markStartAndAncestorsVisited(FolderIterateContext *context, int startDescriptor)
{
    struct stat current {};
    if (fstat(startDescriptor, &current) != 0)
        return ErrnoStatus();
    markVisited(context, current);
    Descriptor folder(dup(startDescriptor));
    while (context->err == kNoErr && folder.get() >= 0) {
        Descriptor parent(openat(folder.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat parentInfo {};
        if (parent.get() < 0 || fstat(parent.get(), &parentInfo) != 0)
            break; // an ancestor we may not read cannot be walked into either
        if (parentInfo.st_dev == current.st_dev && parentInfo.st_ino == current.st_ino)
            break; // "/" is its own parent
        markVisited(context, parentInfo);
        current = parentInfo;
        folder = Descriptor(parent.release());
    }
    return context->err;
}

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

Status FSIterateFolder(const char *path, uint32_t maxDepth, uint32_t options, FolderIterateFilter filter,
                       void *refCon)
{
    if (!filter || !path || !*path)
        return kParamErr;
    FolderIterateContext context;
    context.maxDepth = maxDepth;
    context.options = options;
    context.filter = filter;
    context.refCon = refCon;
    context.path = withoutTrailingSlashes(path);

    int start = open(context.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (start < 0 && errno == ENOTDIR) {
        const size_t slash = context.path.rfind('/');
        context.path = slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/")
                                                                                  : context.path.substr(0, slash);
        start = open(context.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (start < 0)
        return ErrnoStatus();
    Descriptor startDescriptor(start);

    struct Cleanup {
        FolderIterateContext &context;
        ~Cleanup()
        {
            HashTableDelete(context.visited);
            FixedSizeBlockMemAllocatorDispose(context.pool);
        }
    } cleanup{context};
    if (options & kFolderIterateResolveAliases) {
        Status status = FixedSizeBlockMemAllocatorNew(GetHashTableNodeSize(sizeof(FolderKey)), kNodesPerChunk,
                                                      &context.pool);
        if (status == kNoErr)
            status = HashTableCreate(kVisitedBuckets, context.pool, &context.visited);
        if (status == kNoErr)
            status = markStartAndAncestorsVisited(&context, startDescriptor.get());
        if (status != kNoErr)
            return status;
    }
    FSIterateFolderLevel(&context, startDescriptor.release());
    return context.filterResult != kNoErr ? context.filterResult : context.err;
}
