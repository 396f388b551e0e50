#include "foundation/ConfigDirectory.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace shelfmark {

static std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/tmp";
}

std::string ConfigDirectory() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return std::string(xdg) + "/shelfmark";
    return HomeDirectory() + "/.config/shelfmark";
}

bool EnsureConfigDirectory() {
    std::error_code error;
    std::filesystem::create_directories(ConfigDirectory(), error);
    return std::filesystem::is_directory(ConfigDirectory(), error);
}

std::string ResolveConfigPath(std::string_view path) {
    if (path.find('/') != std::string_view::npos)
        return std::string(path);
    return ConfigDirectory() + "/" + std::string(path);
}

}  // namespace shelfmark
