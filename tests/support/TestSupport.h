// Helpers shared by the test executables: temporary folders, the sample corpora, running commands.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace shelfmark::testing {

// A fresh folder under the system's temporary directory, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Points XDG_CONFIG_HOME at a temporary folder for the lifetime of the object, so that
// profile and settings files of a test never touch the user's configuration.
class ScopedConfigHome {
public:
    ScopedConfigHome();
    ~ScopedConfigHome();
    ScopedConfigHome(const ScopedConfigHome&) = delete;
    ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;

    // The program's configuration folder ($XDG_CONFIG_HOME/shelfmark), created.
    std::filesystem::path configDir() const;

private:
    TempDir home_;
    std::string saved_;
    bool hadValue_ = false;
};

// The shared corpora folder (../shared/corpora beside the checkout), or empty when absent.
std::filesystem::path CorpusDir();

// The source tree's root (SHELFMARK_SOURCE_DIR overrides it).
std::filesystem::path SourceDir();
// The build tree's root (SHELFMARK_BINARY_DIR overrides it).
std::filesystem::path BinaryDir();

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, std::string_view bytes);

struct CommandResult {
    int exitCode = -1;
    std::string out;  // standard output
};
// Runs a shell command line and captures its standard output (standard error is left alone
// unless the command redirects it).
CommandResult RunCommand(const std::string& commandLine);
// True when a program of that name is on the PATH.
bool HaveProgram(std::string_view name);
// Quotes a text for /bin/sh.
std::string ShellQuote(std::string_view text);

}  // namespace shelfmark::testing

// Skips the current test with a message when the corpora folder is missing.
#define SHELFMARK_REQUIRE_CORPUS()                                                     \
    do {                                                                               \
        if (::shelfmark::testing::CorpusDir().empty())                                 \
            GTEST_SKIP() << "shared corpora folder not found (../shared/corpora)";     \
    } while (0)

// Skips the current test when a tool it compares against is not installed.
#define SHELFMARK_REQUIRE_PROGRAM(name)                                                \
    do {                                                                               \
        if (!::shelfmark::testing::HaveProgram(name))                                  \
            GTEST_SKIP() << name << " is not installed";                               \
    } while (0)
