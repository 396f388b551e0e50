// The catalog's own vocabularies, kept on its root: category definitions (attribute
// CategoryDefinitions, a two-level list of named 8-bit identifiers) and user-defined
// extra-information fields (attribute ExtraInfoDefinitions, up to 16 numeric and 16 text keys).
// Items carry up to four category identifiers in attribute Categories and extra information as
// plain attributes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/ColumnDescriptors.h"

namespace shelfmark {

class CatalogDocument;
class CatalogItem;

// ---- Definition blocks --------------------------------------------------------------------

struct CategoryEntry {
    uint8_t level = 1;  // 1: category; 2: sub-category of the nearest preceding category
    uint8_t id = 0;     // 1-255
    std::string name;   // UTF-8
    bool operator==(const CategoryEntry&) const = default;
};

struct CategoryDefinitions {
    uint8_t nextId = 1;  // the next identifier to hand out
    std::vector<CategoryEntry> entries;  // display order: each category, then its sub-categories
    bool operator==(const CategoryDefinitions&) const = default;
};

struct ExtraDefinition {
    uint8_t key = 0;  // 0x70-0x7F numeric, 0xB0-0xBF text
    std::string name;
    bool operator==(const ExtraDefinition&) const = default;
};

inline constexpr size_t kMaxExtraDefinitions = 32;
inline constexpr size_t kMaxDefinitionName = 254;

// Reads a category block (without its count word). Names are byte strings (UTF-8, or
// Windows-1252 from older files) or the wide form: length 255, 254, w, then w UTF-16LE units.
// A block cut short keeps the entries read whole before the cut; an empty block is empty.
CategoryDefinitions ParseCategoryBlock(std::span<const uint8_t> bytes);
// The block bytes; names longer than 254 bytes are cut (at a character boundary).
std::vector<uint8_t> EncodeCategoryBlock(const CategoryDefinitions& definitions);

// Reads an extra-information block; entries whose key is no user field are dropped, as are
// entries past the 32nd or cut short.
std::vector<ExtraDefinition> ParseExtraBlock(std::span<const uint8_t> bytes);
// At most 32 entries, names cut to 254 bytes.
std::vector<uint8_t> EncodeExtraBlock(std::span<const ExtraDefinition> definitions);

// The root's blocks (absent: empty).
CategoryDefinitions CategoryDefinitionsOf(const CatalogItem& root);
std::vector<ExtraDefinition> ExtraDefinitionsOf(const CatalogItem& root);

// Whether the key is a user-defined extra-information field.
constexpr bool IsUserExtraKey(uint8_t key) {
    return (key >= 0x70 && key <= 0x7F) || (key >= 0xB0 && key <= 0xBF);
}
// Whether the key is a built-in extra-information field the extra-information page offers.
bool IsBuiltinExtraKey(uint8_t key);
// The built-in fields in the page's order, with their English names.
struct BuiltinExtraField {
    uint8_t key;
    std::string_view name;
};
std::span<const BuiltinExtraField> BuiltinExtraFields();

// ---- Category assignment ------------------------------------------------------------------

using CategoryIds = std::array<uint8_t, 4>;
// The identifiers an item carries, from the lowest byte up to the first zero (unused slots 0).
CategoryIds CategoryIdsOf(const CatalogItem& item);
// The identifiers packed from the lowest byte, zeros skipped.
uint32_t PackCategoryIds(const CategoryIds& ids);
// The value without the identifiers in `removed`: the later ones move down, freed bytes are 0.
uint32_t RemoveCategoryIds(uint32_t value, std::span<const uint8_t> removed);

// ---- Name tables ----------------------------------------------------------------------------

// The catalog's definitions as lists show them; filled by LoadDefinitions.
class CatalogDefinitions {
  public:
    CatalogDefinitions();

    // LoadDefinitions: when the root has no category block, builds one from the profile file
    // `categoriesProfile` (Categories.tkp) and stores it, marking the catalog modified when the
    // file gave any entries; then fills the name tables and the user column rows.
    void load(CatalogDocument& document, std::string_view categoriesProfile);
    // The tables from the root's blocks as they are (no migration).
    void reload(const CatalogItem& root);
    // Makes the document call load() after a file is opened and reload() after an undo put the
    // root's blocks back. The object must outlive the document's use of it.
    void attach(CatalogDocument& document, std::string categoriesProfile);

    // The category's name; "#%04d" of the identifier without a definition.
    const std::string& categoryName(uint8_t id) const { return categoryNames_[id]; }
    // The item's categories as "name, name"; empty without attribute Categories.
    std::string categoryText(const CatalogItem& item) const;
    // A field's name: the built-in English name, the user definition's name, or "#%03d" of its
    // number within its group for a user key without a definition; empty for other keys.
    std::string extraName(uint8_t key) const;
    // The key of a field named `name` (case-insensitive), built-in or user-defined.
    std::optional<uint8_t> extraKeyNamed(std::string_view name) const;
    const ColumnTable& columns() const { return columns_; }

  private:
    std::array<std::string, 256> categoryNames_;
    std::array<std::string, 32> userNames_;  // 0x70-0x7F, then 0xB0-0xBF
    std::array<bool, 32> defined_{};
    ColumnTable columns_;
};

// Builds the category block from a Categories.tkp profile's text sections.
CategoryDefinitions CategoriesFromProfile(std::string_view profilePath);

}  // namespace shelfmark
