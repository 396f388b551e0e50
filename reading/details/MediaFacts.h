// Facts about the medium behind a drive root (a mount point or the folder that stands for it).
#pragma once

#include <string>

namespace shelfmark {

// True when the root holds an entry "VCD" or "SVCD" and also one named "MPEGAV" or "MPEG2",
// in any letter case as a disc's file system would match them. The caller asks this only of
// CD-ROM drives.
bool IsVideoCd(const std::string& root);

// True when the file system holding `root` reports free bytes for an unprivileged user. On a
// CD-ROM drive this marks a writable disc.
bool HasFreeSpace(const std::string& root);

}  // namespace shelfmark
