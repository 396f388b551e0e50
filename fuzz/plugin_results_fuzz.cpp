// A provider that leaves whatever the input says in the request block: counts, keys, text
// pointers and lengths, and an image with arbitrary fields. The intake must take only
// well-formed results and store them without harm.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "catalog/CatalogTree.h"
#include "reading/imaging/Imaging.h"
#include "reading/providers/DescribeFile.h"

namespace {

class Input {
  public:
    explicit Input(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint8_t byte() { return at_ < bytes_.size() ? bytes_[at_++] : 0; }
    uint32_t word() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= uint32_t(byte()) << (8 * i);
        return value;
    }

  private:
    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
};

std::span<const uint8_t> gInput;
char gForeign[64] = "a text the caller did not lend";
std::vector<uint32_t> gPixels;
ProviderImage gImage;
int gReleases = 0;

void Release(ProviderImage*) {
    ++gReleases;
}

int Provider(ProviderRequest* request) {
    if (request->command == SHELFMARK_COMMAND_QUERY) {
        std::strcpy(request->u.query.buffer, ".tst");
        return 1;
    }
    if (request->command != SHELFMARK_COMMAND_DESCRIBE)
        return 0;
    Input in(gInput);
    auto& d = request->u.describe;
    const uint32_t entries = in.byte() % 20;
    for (uint32_t i = 0; i < entries && i < d.capacity; ++i) {
        ResultEntry& entry = d.results[i];
        entry.key = in.byte();
        entry.value = in.word();
        const uint8_t choice = in.byte();
        if (choice % 4 == 1)
            entry.text = nullptr;
        else if (choice % 4 == 2)
            entry.text = gForeign;
        const uint32_t length = in.word() % (d.maxTextLength + 64);
        if (choice % 4 == 0) {
            const uint32_t written = std::min(length, d.maxTextLength);
            for (uint32_t k = 0; k < written; ++k)
                entry.text[k] = static_cast<char>(in.byte());
        }
        entry.textLength = length;
    }
    d.count = in.byte() & 1 ? in.word() : entries;
    if (in.byte() & 1) {
        gImage = {};
        gImage.width = in.word() % 70000;
        gImage.height = in.word() % 70000;
        gImage.stride = in.word() % 300000;
        gImage.release = Release;
        // Pixels only where the block the fields describe really exists.
        const uint64_t words = uint64_t(gImage.stride / 4) * gImage.height;
        if (words > 0 && words <= (1u << 18) && gImage.stride / 4 >= gImage.width) {
            gPixels.assign(words, in.word());
            gImage.pixels = gPixels.data();
        }
        d.bitmap = &gImage;
    }
    return 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static shelfmark::DescriptionProviders providers("/nonexistent/ReadDiskDlg.tkp");
    static const bool ready = [] {
        providers.addProvider("hvsm_fuzz.so", Provider, "/fuzz");
        providers.activateExtensions("tst");
        providers.setTextSizeMax(1);
        return shelfmark::StartImaging();
    }();
    (void)ready;
    gInput = std::span<const uint8_t>(data, size);
    gReleases = 0;
    shelfmark::CatalogTree tree;
    shelfmark::CatalogItem* item =
        tree.createItem("f.tst", tree.resetToNewCatalog(), shelfmark::Last, 0);
    shelfmark::ThumbnailOptions thumbnails;
    thumbnails.ThumbnailSize = 32;
    shelfmark::DescribeFile(providers, "/fuzz/f.tst", "tst", tree, item, thumbnails);
    if (gReleases > 1)
        std::abort();  // an image is given back exactly once
    for (const shelfmark::ItemAttribute& attribute : item->attributes()) {
        const uint8_t key = attribute.key();
        if (key != shelfmark::kThumbnailKey && (key < 0x40 || key > 0xBF))
            std::abort();
    }
    if (const auto text = item->textAttribute(0x80); text && text->size() > 1024)
        std::abort();
    return 0;
}
