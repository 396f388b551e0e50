// Desktop entry and mimeapps.list files as anyone may install them: the input is written as
// both into a private XDG tree; finding the handlers and expanding their Exec lines must not
// fail, and an expanded line always hands the file over as one whole argument.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/desktop/DesktopApplications.h"

namespace {

namespace fs = std::filesystem;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

const fs::path& Root() {
    static const fs::path root = [] {
        const fs::path path = fs::temp_directory_path() /
                              ("desktop_entry_fuzz." + std::to_string(::getpid()));
        fs::create_directories(path / "config");
        fs::create_directories(path / "data" / "applications");
        return path;
    }();
    return root;
}

void Write(const fs::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path& root = Root();
    Write(root / "data" / "applications" / "app.desktop", data, size);
    Write(root / "config" / "mimeapps.list", data, size);
    const shelfmark::XdgFolders folders{{(root / "config").string()}, {(root / "data").string()}};
    const std::string file = "/media/disk/a \"b\" $c.txt";
    for (const char* type : {"text/plain", "image/png"}) {
        for (const shelfmark::DesktopApplication& application :
             shelfmark::ApplicationsForType(type, folders)) {
            Check(!application.exec.empty());
            const auto arguments = shelfmark::ExecArguments(application, file);
            bool handed = false;
            for (const std::string& argument : arguments)
                handed = handed || argument.find(file) != std::string::npos;
            Check(arguments.empty() || handed);
        }
    }
    return 0;
}
