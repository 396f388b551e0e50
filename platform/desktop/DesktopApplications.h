// The applications the desktop associates with a MIME type, as freedesktop.org's menus show
// them in "Open with": the mimeapps.list files choose defaults, add and remove associations,
// and every installed .desktop file names the types it handles in its MimeType= key.
//
// Places, first one wins for an application id (the file name below applications/, with '/'
// turned into '-'):
//   mimeapps.list  $XDG_CONFIG_HOME, $XDG_CONFIG_DIRS, then applications/ of every data folder
//   *.desktop      applications/ of $XDG_DATA_HOME, then of $XDG_DATA_DIRS
// Order of the answer: [Default Applications] entries, [Added Associations] entries, then the
// other handlers by name. [Removed Associations] hides a handler found through its MimeType=
// key in the same or a less important file. Entries with Hidden=true, without Exec, or of
// another Type than Application are left out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace shelfmark {

struct DesktopApplication {
    std::string id;    // "org.gnome.TextEditor.desktop"
    std::string name;  // Name= of [Desktop Entry]
    std::string exec;  // Exec= as written, field codes included
    std::string icon;  // Icon=, may be empty
    std::string file;  // the .desktop file's path
};

struct XdgFolders {
    std::vector<std::string> config;  // $XDG_CONFIG_HOME, then $XDG_CONFIG_DIRS
    std::vector<std::string> data;    // $XDG_DATA_HOME, then $XDG_DATA_DIRS
    // From the environment with the freedesktop defaults for unset variables.
    static XdgFolders FromEnvironment();
};

std::vector<DesktopApplication> ApplicationsForType(std::string_view mimeType,
                                                    const XdgFolders& folders);

// The argument vector of `application`'s Exec line for one local file: the line is split as
// the desktop entry format quotes it (double quotes, backslash escapes inside them), %f %F %u
// %U become `path` (as one argument, spaces and all: no shell sees it), %c the name, %k the
// .desktop file, %i "--icon ICON" when there is an icon, %% a percent sign; deprecated codes
// vanish. Empty when the line is empty, its quoting is broken, or its program is a field code.
std::vector<std::string> ExecArguments(const DesktopApplication& application,
                                       const std::string& path);

}  // namespace shelfmark
