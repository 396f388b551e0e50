// Definition blocks from catalog files (categories and extra-information fields, short, ANSI
// and wide names): any bytes parse without harm, writing what was read is stable, and the name
// tables and column rows built from them stay in bounds.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "catalog/CatalogTree.h"
#include "catalog/Definitions.h"
#include "foundation/Utf8Text.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace shelfmark;
    if (size == 0)
        return 0;
    const std::span<const uint8_t> bytes(data + 1, size - 1);
    CatalogTree tree;
    tree.resetToNewCatalog();
    if (data[0] & 1) {
        const std::vector<ExtraDefinition> definitions = ParseExtraBlock(bytes);
        Check(definitions.size() <= kMaxExtraDefinitions);
        for (const ExtraDefinition& definition : definitions) {
            Check(IsUserExtraKey(definition.key));
            Check(text::IsValidUtf8(definition.name));
        }
        const std::vector<uint8_t> written = EncodeExtraBlock(definitions);
        Check(EncodeExtraBlock(ParseExtraBlock(written)) == written);
        tree.setBlockAttribute(tree.root(), attr::ExtraInfoDefinitions, bytes);
    } else {
        const CategoryDefinitions definitions = ParseCategoryBlock(bytes);
        for (const CategoryEntry& entry : definitions.entries)
            Check(text::IsValidUtf8(entry.name));
        const std::vector<uint8_t> written = EncodeCategoryBlock(definitions);
        Check(EncodeCategoryBlock(ParseCategoryBlock(written)) == written);
        tree.setBlockAttribute(tree.root(), attr::CategoryDefinitions, bytes);
        if (bytes.size() >= 4)
            tree.setNumberAttribute(tree.root(), attr::Categories,
                                    uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 |
                                        uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24);
    }
    CatalogDefinitions tables;
    tables.reload(*tree.root());
    Check(tables.columns().size() <= kBuiltinColumnCount + kMaxExtraDefinitions);
    (void)tables.categoryText(*tree.root());
    for (unsigned key = 0; key < 256; ++key)
        (void)tables.extraName(uint8_t(key));
    return 0;
}
