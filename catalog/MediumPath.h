// Where a catalogued item lies on its medium: the volume's mount point, the disk's base
// directory (the folder that was read as the disk) and the item's path inside the disk.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalog/CatalogItem.h"
#include "platform/volumes/Volumes.h"

namespace shelfmark {

// A stored name as the bytes of the file's name on the medium. Every name on the way from a
// disk to its items passes through here, so names that were not valid text when they were read
// come back as they were on the medium.
std::string NameOnMedium(std::string_view storedName);

// The components of the item's path below the mount point: the base directory's components,
// then the names from the disk down to the item (none for the disk itself). Empty for an item
// outside any disk.
std::vector<std::string> PathOnMedium(const CatalogItem& item);

// mountPoint + "/" + the components joined by "/" (the mount point alone without components).
std::string JoinOnMedium(std::string_view mountPoint, const std::vector<std::string>& components);

// The item's real path on the mounted volume that holds its disk.
std::string RealPathOnMedium(const CatalogItem& item, const Volume& volume);

}  // namespace shelfmark
