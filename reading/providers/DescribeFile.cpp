#include "reading/providers/DescribeFile.h"

#include "reading/imaging/Imaging.h"

namespace shelfmark {

void StoreProviderResults(CatalogTree& tree, CatalogItem* item,
                          const std::vector<ProviderResult>& results) {
    for (const ProviderResult& result : results) {
        if (result.isText()) {
            if (result.text.empty())
                tree.removeAttribute(item, result.key);
            else
                tree.setTextAttribute(item, result.key, result.text);
        } else if (result.value == 0) {
            tree.removeAttribute(item, result.key);
        } else {
            tree.setNumberAttribute(item, result.key, result.value);
        }
    }
}

bool DescribeFile(DescriptionProviders& providers, const std::string& path,
                  std::string_view lowerExtension, CatalogTree& tree, CatalogItem* item,
                  const ThumbnailOptions& thumbnails) {
    const DescriptionProvider* row = providers.providerFor(lowerExtension);
    if (!row || !item)
        return false;
    const ProviderAnswer answer = providers.describe(*row, path, thumbnails.ThumbnailSize);
    if (!answer.answered)
        return false;
    StoreProviderResults(tree, item, answer.results);
    if (answer.bitmap && thumbnails.ThumbnailSize > 0) {
        if (const auto jpeg = MakeThumbnail(*answer.bitmap, thumbnails))
            tree.setBlockAttribute(item, kThumbnailKey, *jpeg);
    }
    return true;
}

void UseDescriptionProviders(ReadServices& services, DescriptionProviders& providers,
                             const ThumbnailOptions& thumbnails) {
    services.hasProvider = [&providers](std::string_view extension) {
        return providers.providerFor(extension) != nullptr;
    };
    services.describe = [&providers, thumbnails](std::string_view extension,
                                                 const std::string& path, CatalogTree& tree,
                                                 CatalogItem* item) {
        DescribeFile(providers, path, extension, tree, item, thumbnails);
    };
}

}  // namespace shelfmark
