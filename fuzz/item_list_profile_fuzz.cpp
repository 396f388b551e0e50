// ItemList.tkp text of any shape: the old-form conversion, every profile it holds and the
// filename formats load without harm. A loaded profile saved and loaded again is the same
// profile, and the pieces cut from a name always lie inside that name.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/ProfileFile.h"
#include "lists/FilenameFormat.h"
#include "lists/ItemListProfile.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

bool SameColumns(const shelfmark::ItemListProfile& a, const shelfmark::ItemListProfile& b) {
    if (a.columns.size() != b.columns.size())
        return false;
    for (size_t i = 0; i < a.columns.size(); ++i) {
        const auto& x = a.columns[i];
        const auto& y = b.columns[i];
        if (x.title != y.title || x.value != y.value || x.alignment != y.alignment || x.width != y.width)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace shelfmark;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    ProfileFile file;
    file.loadFromText(input);
    ConvertOldItemListSections(file);
    for (const std::string& name : ItemListProfileNames(file)) {
        const std::optional<ItemListProfile> profile = LoadItemListProfile(file, name);
        if (!profile)
            continue;  // a later section of the same name (case-insensitive) is never reached
        Check(profile->maxListingDepth >= 1 && profile->maxListingDepth <= kMaxListingDepth);
        ProfileFile copy;
        SaveItemListProfile(copy, *profile);
        const std::optional<ItemListProfile> back = LoadItemListProfile(copy, profile->name);
        Check(back.has_value());
        Check(back->format == profile->format && back->extensions.size() == profile->extensions.size() &&
              back->maxListingDepth == profile->maxListingDepth && SameColumns(*back, *profile));

        const SplitFormat split = SplitFilenameFormat(profile->format);
        Check(split.separators.size() == split.variables.size() + 1);
        const FormatPieces pieces = CutFormatPieces(split, input);
        for (std::string_view piece : pieces)
            Check(piece.empty() || (piece.data() >= input.data() && piece.data() + piece.size() <= input.data() + size));
        (void)FilenameFormatValid(profile->format);
    }
    return 0;
}
