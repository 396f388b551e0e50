// A depth-first walk of one volume's directory tree that never changes the process's current
// directory: every directory is opened relative to its parent's descriptor, so other threads
// keep their own view of the file system. Entries come in the order the file system returns them.
//
// What the walk reports: regular files, and symbolic links as entries of their own (with the
// link's size and time; links are never followed); directories it could enter. Sockets, FIFOs
// and device nodes are left out. Mount points below the root are not entered: a walk covers one
// volume.
#pragma once

#include <dirent.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace shelfmark {

enum class WalkEntryKind { File, Symlink, Directory };

struct WalkEntry {
    std::string_view name;  // for the root: the root path
    WalkEntryKind kind = WalkEntryKind::File;
    uint64_t size = 0;
    int64_t modified = 0;  // last write, seconds since 1970-01-01 UTC
    int directoryFd = -1;  // the open directory that holds the entry, for *at() calls
};

enum class WalkProblem {
    CannotEnter,  // a directory that could not be opened and listed
    TooDeep,      // directories below the deepest level; reported once per walk
};

class WalkVisitor {
  public:
    virtual ~WalkVisitor() = default;
    // Asked before every entry; true ends the walk at once, without further calls.
    virtual bool stopRequested() = 0;
    // A directory was opened; depth 0 is the root. False skips its contents (no leaveDirectory).
    virtual bool enterDirectory(const WalkEntry& directory, int depth) = 0;
    // Every entry of the directory at `depth` has been seen.
    virtual void leaveDirectory(int depth) = 0;
    // A file or a symbolic link in the directory at `depth`.
    virtual void file(const WalkEntry& file, int depth) = 0;
    virtual void problem(WalkProblem problem, const std::string& path) = 0;
};

enum class WalkResult { Completed, Stopped, RootNotReadable };

class DirectoryWalker {
  public:
    // `maxLevels` directory levels are walked, the root being level 0.
    explicit DirectoryWalker(int maxLevels = 40) : maxLevels_(maxLevels) {}
    DirectoryWalker(const DirectoryWalker&) = delete;
    DirectoryWalker& operator=(const DirectoryWalker&) = delete;
    ~DirectoryWalker();

    WalkResult walk(const std::string& root, WalkVisitor& visitor);

    // While walking: the path of the directory being listed, and of an entry in it.
    const std::string& currentDirectory() const { return path_; }
    std::string pathOf(std::string_view name) const;
    // While the visitor handles a problem: the system's error number behind it (0 for TooDeep).
    int problemError() const { return problemError_; }

  private:
    struct Level {
        DIR* dir = nullptr;
        size_t pathLength = 0;  // length of the parent's path, restored when the level ends
    };
    void closeAll();

    int maxLevels_;
    std::vector<Level> levels_;
    std::string path_;
    int problemError_ = 0;
};

}  // namespace shelfmark
