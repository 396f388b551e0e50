#include "platform/walk/DirectoryWalker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>

namespace shelfmark {

namespace {

constexpr unsigned kStatxMask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME;

bool StatEntry(int dirFd, const char* name, struct statx& info) {
    return ::statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC,
                   kStatxMask, &info) == 0;
}

bool IsMountRoot(const struct statx& info, dev_t rootDevice) {
    if ((info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
        (info.stx_attributes & STATX_ATTR_MOUNT_ROOT))
        return true;
    return makedev(info.stx_dev_major, info.stx_dev_minor) != rootDevice;
}

// Opens a directory for listing, as the parent's child; -1 when it cannot be listed or its
// entries cannot be looked at (no search permission).
int OpenDirectory(int parentFd, const char* name) {
    if (::faccessat(parentFd, name, R_OK | X_OK, AT_EACCESS) != 0)
        return -1;
    return ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

}  // namespace

DirectoryWalker::~DirectoryWalker() {
    closeAll();
}

void DirectoryWalker::closeAll() {
    for (Level& level : levels_)
        if (level.dir != nullptr)
            ::closedir(level.dir);
    levels_.clear();
}

std::string DirectoryWalker::pathOf(std::string_view name) const {
    std::string path = path_;
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    path.append(name);
    return path;
}

WalkResult DirectoryWalker::walk(const std::string& root, WalkVisitor& visitor) {
    closeAll();
    path_ = root;
    const int rootFd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct statx rootInfo {};
    if (rootFd < 0)
        return WalkResult::RootNotReadable;
    DIR* rootDir = ::fdopendir(rootFd);
    if (rootDir == nullptr || ::statx(rootFd, "", AT_EMPTY_PATH, kStatxMask, &rootInfo) != 0) {
        if (rootDir != nullptr)
            ::closedir(rootDir);
        else
            ::close(rootFd);
        return WalkResult::RootNotReadable;
    }
    const dev_t rootDevice = makedev(rootInfo.stx_dev_major, rootInfo.stx_dev_minor);
    levels_.push_back({rootDir, root.size()});

    WalkEntry entry;
    entry.name = root;
    entry.kind = WalkEntryKind::Directory;
    entry.modified = rootInfo.stx_mtime.tv_sec;
    if (!visitor.enterDirectory(entry, 0)) {
        closeAll();
        return WalkResult::Completed;
    }

    bool reportedTooDeep = false;
    while (!levels_.empty()) {
        if (visitor.stopRequested()) {
            closeAll();
            return WalkResult::Stopped;
        }
        Level& level = levels_.back();
        const int depth = static_cast<int>(levels_.size()) - 1;
        const dirent* found = ::readdir(level.dir);
        if (found == nullptr) {
            ::closedir(level.dir);
            path_.resize(level.pathLength);
            levels_.pop_back();
            visitor.leaveDirectory(depth);
            continue;
        }
        const char* name = found->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        const int dirFd = ::dirfd(level.dir);
        struct statx info {};
        if (!StatEntry(dirFd, name, info))
            continue;  // gone since it was listed
        entry.name = name;
        entry.size = info.stx_size;
        entry.modified = info.stx_mtime.tv_sec;
        entry.directoryFd = dirFd;

        if (S_ISREG(info.stx_mode) || S_ISLNK(info.stx_mode)) {
            entry.kind = S_ISREG(info.stx_mode) ? WalkEntryKind::File : WalkEntryKind::Symlink;
            visitor.file(entry, depth);
            continue;
        }
        if (!S_ISDIR(info.stx_mode) || IsMountRoot(info, rootDevice))
            continue;
        if (depth + 1 >= maxLevels_) {
            problemError_ = 0;
            if (!reportedTooDeep)
                visitor.problem(WalkProblem::TooDeep, pathOf(name));
            reportedTooDeep = true;
            continue;
        }
        const int childFd = OpenDirectory(dirFd, name);
        DIR* child = childFd >= 0 ? ::fdopendir(childFd) : nullptr;
        if (child == nullptr) {
            problemError_ = errno;
            if (childFd >= 0)
                ::close(childFd);
            visitor.problem(WalkProblem::CannotEnter, pathOf(name));
            continue;
        }
        entry.kind = WalkEntryKind::Directory;
        entry.size = 0;
        const size_t before = path_.size();
        path_ = pathOf(name);
        if (!visitor.enterDirectory(entry, depth + 1)) {
            path_.resize(before);
            ::closedir(child);
            continue;
        }
        levels_.push_back({child, before});
    }
    return WalkResult::Completed;
}

}  // namespace shelfmark
