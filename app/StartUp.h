// What the desktop program is asked to do when it starts: the command line read in order, and the
// catalog to open from it and the start-up settings. Free of Qt so that tests see every rule.
//
// Command line: an argument starting with "-" or "/" is a switch, compared case-insensitively
// without that first character: "Uninstall", "Catalog" (the next path is a directory to read as a
// disk), "New" (start with an empty catalog), "Search" (the next path names a file or directory
// whose name is searched for), "Systray" (accepted, no effect). Unknown switches are ignored. Any
// other argument is a path: the pending "Search" name, the pending "Catalog" directory, else the
// catalog file to open.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/settings/AppSettings.h"

namespace shelfmark {

struct CommandLine {
    bool uninstall = false;
    bool newCatalog = false;
    // The catalog file to open; empty when none was given.
    std::string catalogFile;
    // The name to search for (already cut to its last path component).
    std::optional<std::string> searchName;
    // The directory to read into the catalog as a disk.
    std::optional<std::string> directoryToRead;
};

// Reads the arguments after the program name.
CommandLine ParseCommandLine(std::span<const std::string> arguments);

// The name a "Search" path stands for: the text after its last "/" or "\" (the whole text when it
// has neither). Separators at the end are dropped first, so a directory written as "dir/" is
// searched for by its name rather than by an empty text.
std::string SearchNameOfPath(std::string_view path);

// How the program gets its first catalog.
enum class StartCatalog { File, Empty, OpenDialog };
struct StartChoice {
    StartCatalog kind = StartCatalog::Empty;
    std::string path;  // with File
};

// The command-line file if any; else the last file when StartMode is 1 and "New" was not given
// (an empty LastFile starts empty); else the Open dialog when StartMode is 2; else empty.
StartChoice ChooseStartCatalog(const CommandLine& commandLine, const AppSettings& settings);

}  // namespace shelfmark
