// The description step of a disk read: the provider of a file's extension describes it, its
// results are stored on the file's item and a returned image becomes the item's thumbnail.
#pragma once

#include <string>
#include <string_view>

#include "catalog/CatalogTree.h"
#include "reading/engine/ReadServices.h"
#include "reading/imaging/Bitmap.h"
#include "reading/providers/DescriptionProviders.h"

namespace shelfmark {

inline constexpr uint8_t kThumbnailKey = 0xC5;

// Looks the (lower-cased) extension up in the providers' map and, when a provider handles it,
// sends it the file's full path. When it answers nonzero its results are stored on the item (a
// number of 0 or an empty text removes the attribute) and a returned image is scaled to the
// thumbnail edge, encoded as JPEG and stored under key 0xC5, when the thumbnail support is
// started (a ThumbnailSize of 0 asks for no thumbnails). Answers whether a provider answered
// nonzero. Used for files of the walk and for the
// tracks of an audio CD (extension "cda", path ".../Track01.cda").
bool DescribeFile(DescriptionProviders& providers, const std::string& path,
                  std::string_view lowerExtension, CatalogTree& tree, CatalogItem* item,
                  const ThumbnailOptions& thumbnails);

// Lets a read's services describe files through the providers' map: hasProvider and describe
// call DescribeFile. The providers must outlive the read.
void UseDescriptionProviders(ReadServices& services, DescriptionProviders& providers,
                             const ThumbnailOptions& thumbnails);

// Stores results on an item as DescribeFile does.
void StoreProviderResults(CatalogTree& tree, CatalogItem* item,
                          const std::vector<ProviderResult>& results);

}  // namespace shelfmark
