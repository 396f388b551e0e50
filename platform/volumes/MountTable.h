// The mounted file systems as the kernel lists them in /proc/self/mountinfo.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace shelfmark {

struct MountEntry {
    unsigned major = 0;  // device number of the file system
    unsigned minor = 0;
    std::string root;        // the directory of the file system mounted here ("/" for all of it)
    std::string mountPoint;  // where it is mounted
    std::string fsType;      // "ext4", "vfat", "iso9660", "fuse.sshfs", ...
    std::string source;      // "/dev/sdb1", "server:/export", "proc", ...
};

// Parses the mountinfo text. Lines that do not have the documented shape are skipped; the octal
// escapes the kernel writes for blanks and backslashes ("\040") are resolved.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The mount table of this process; empty when /proc is not available.
std::vector<MountEntry> ReadMountTable();

// Resolves the kernel's octal escapes ("\040" blank, "\011" tab, "\012" newline, "\134" backslash).
std::string UnescapeMountField(std::string_view field);

}  // namespace shelfmark
