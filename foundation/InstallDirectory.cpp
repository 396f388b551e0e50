#include "foundation/InstallDirectory.h"

#include <algorithm>
#include <filesystem>

// Set by the build: the configured prefix, and the way from the program folder up to it.
#ifndef SHELFMARK_INSTALL_PREFIX
#define SHELFMARK_INSTALL_PREFIX "/usr/local"
#endif
#ifndef SHELFMARK_BIN_TO_PREFIX
#define SHELFMARK_BIN_TO_PREFIX ".."
#endif

namespace shelfmark {

std::string ExecutableDirectory() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

std::vector<std::string> InstalledDirectories(std::string_view relative) {
    std::vector<std::string> folders;
    if (const std::string programFolder = ExecutableDirectory(); !programFolder.empty()) {
        const std::filesystem::path beside =
            std::filesystem::path(programFolder) / SHELFMARK_BIN_TO_PREFIX / relative;
        std::error_code error;
        if (std::filesystem::is_directory(beside, error))
            folders.push_back(std::filesystem::weakly_canonical(beside, error).string());
    }
    const std::string configured =
        (std::filesystem::path(SHELFMARK_INSTALL_PREFIX) / relative).lexically_normal().string();
    if (std::find(folders.begin(), folders.end(), configured) == folders.end())
        folders.push_back(configured);
    return folders;
}

}  // namespace shelfmark
