#include "reading/details/MediaFacts.h"

#include <dirent.h>
#include <sys/statvfs.h>

#include <memory>
#include <string_view>
#include <vector>

#include "foundation/Utf8Text.h"

namespace shelfmark {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

std::vector<std::string> RootEntries(const std::string& root) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(root.empty() ? "." : root.c_str()));
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir.get()))
        names.emplace_back(entry->d_name);
    return names;
}

bool HasEntry(const std::vector<std::string>& names, std::string_view wanted) {
    for (const std::string& name : names) {
        if (text::EqualsNoCase(name, wanted))
            return true;
    }
    return false;
}

}  // namespace

bool IsVideoCd(const std::string& root) {
    const std::vector<std::string> names = RootEntries(root);
    const bool hasVcd = HasEntry(names, "VCD") || HasEntry(names, "SVCD");
    return hasVcd && (HasEntry(names, "MPEGAV") || HasEntry(names, "MPEG2"));
}

bool HasFreeSpace(const std::string& root) {
    struct statvfs info {};
    if (::statvfs(root.empty() ? "." : root.c_str(), &info) != 0)
        return false;
    return info.f_bavail > 0 && info.f_frsize > 0;
}

}  // namespace shelfmark
