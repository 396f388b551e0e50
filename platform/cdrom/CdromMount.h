// Where the data part of the disc in a CD drive is mounted.
#pragma once

#include <string>
#include <vector>

#include "platform/volumes/MountTable.h"

namespace shelfmark::cdrom {

// The mount point of the block device `device` among `mounts` (a mount of the whole file system,
// not of a sub-directory); empty when it is not mounted or not a block device.
std::string FindMountPoint(const std::string& device, const std::vector<MountEntry>& mounts);

// The same for this process's mount table.
std::string CdromMountPoint(const std::string& device);

}  // namespace shelfmark::cdrom
