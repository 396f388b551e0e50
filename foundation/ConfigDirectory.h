// Where the program keeps its writable files: settings, profiles, language files.
#pragma once

#include <string>
#include <string_view>

namespace shelfmark {

// $XDG_CONFIG_HOME/shelfmark, or ~/.config/shelfmark when XDG_CONFIG_HOME is unset or empty.
// Read anew on every call, so that tests can point it elsewhere. Not created.
std::string ConfigDirectory();

// Creates the configuration directory (and its parents) when missing; false on failure.
bool EnsureConfigDirectory();

// A bare file name (no "/") lies in the configuration directory; any other path is used unchanged.
// An empty name gives the configuration directory followed by "/".
std::string ResolveConfigPath(std::string_view path);

}  // namespace shelfmark
