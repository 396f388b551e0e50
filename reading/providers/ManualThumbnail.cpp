#include "reading/providers/ManualThumbnail.h"

#include "foundation/Utf8Text.h"
#include "reading/imaging/Imaging.h"
#include "reading/providers/DescriptionProviders.h"

namespace shelfmark {

std::optional<Bitmap> ThumbnailFromPlugins(const std::string& path,
                                           const std::vector<std::string>& directories,
                                           const ThumbnailOptions& options) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    const std::string extension = path.substr(dot + 1);
    for (const std::string& directory : directories) {
        for (const std::string& file : PluginFileNames(directory)) {
            // One plug-in at a time: the table (and the module) go at the end of each round.
            DescriptionProviders providers("/nonexistent/ReadDiskDlg.tkp");
            if (providers.loadPlugin(directory + "/" + file, file) == 0)
                continue;
            for (const DescriptionProvider& row : providers.rows()) {
                if (row.module == 0 || !text::EqualsNoCase(row.extension, extension))
                    continue;
                const auto flags = providers.capabilities(row);
                if (!flags || !(*flags & SHELFMARK_CAN_THUMBNAIL))
                    continue;
                ProviderAnswer answer = providers.describe(row, path, options.ThumbnailSize);
                if (answer.bitmap)
                    return ScaleToFit(*answer.bitmap, options.ThumbnailSize,
                                      options.bProportionalThumbnails);
            }
        }
    }
    return std::nullopt;
}

}  // namespace shelfmark
