#include "tests/support/TestSupport.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <sys/wait.h>

namespace shelfmark::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = base / ("shelfmark-test-" + std::to_string(random()));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code error;
    // Tests may leave folders without permissions behind; give them back before removing.
    for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path_, error);
}

ScopedConfigHome::ScopedConfigHome() {
    if (const char* value = std::getenv("XDG_CONFIG_HOME")) {
        saved_ = value;
        hadValue_ = true;
    }
    ::setenv("XDG_CONFIG_HOME", home_.path().c_str(), 1);
    fs::create_directories(configDir());
}

ScopedConfigHome::~ScopedConfigHome() {
    if (hadValue_)
        ::setenv("XDG_CONFIG_HOME", saved_.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

fs::path ScopedConfigHome::configDir() const { return home_.path() / "shelfmark"; }

fs::path SourceDir() {
    if (const char* dir = std::getenv("SHELFMARK_SOURCE_DIR"))
        return dir;
    return SHELFMARK_TEST_SOURCE_DIR;
}

fs::path BinaryDir() {
    if (const char* dir = std::getenv("SHELFMARK_BINARY_DIR"))
        return dir;
    return SHELFMARK_TEST_BINARY_DIR;
}

fs::path CorpusDir() {
    if (const char* dir = std::getenv("SHELFMARK_CORPUS_DIR"))
        return fs::is_directory(dir) ? fs::path(dir) : fs::path();
    const fs::path candidate = SourceDir().parent_path() / "shared" / "corpora";
    std::error_code error;
    return fs::is_directory(candidate, error) ? candidate : fs::path();
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

CommandResult RunCommand(const std::string& commandLine) {
    CommandResult result;
    FILE* pipe = ::popen(commandLine.c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 65536> buffer;
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.out.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool HaveProgram(std::string_view name) {
    return RunCommand("command -v " + ShellQuote(name) + " >/dev/null 2>&1").exitCode == 0;
}

std::string ShellQuote(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += "'";
    return quoted;
}

}  // namespace shelfmark::testing
