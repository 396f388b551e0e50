// Where a catalogued item lies on its medium: the volume's mount point, the disk's base
// directory (the folder that was read as the disk) and the item's path inside the disk.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalog/CatalogItem.h"
#include "platform/volumes/Volumes.h"

namespace shelfmark {

// The stored names of the item's path below the mount point: the base directory's components,
// then the names from the disk down to the item (none for the disk itself). Empty for an item
// outside any disk.
std::vector<std::string> PathOnMedium(const CatalogItem& item);

// mountPoint + "/" + the components joined by "/" (the mount point alone without components),
// each stored name turned back into the name it has on the medium (DiskNames.h).
std::string JoinOnMedium(std::string_view mountPoint, const std::vector<std::string>& components);

// The item's real path on the mounted volume that holds its disk.
std::string RealPathOnMedium(const CatalogItem& item, const Volume& volume);

}  // namespace shelfmark
