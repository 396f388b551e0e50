// The logic of the two definition editors: the category editor (a two-level tree of named
// identifiers) and the user extra-information editor (up to 16 numeric and 16 text fields).
// Each edits a working copy of the root's block; commit() writes it back as one undo step that
// also takes the deleted definitions off every item the user chose to clear.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/Definitions.h"
#include "catalog/EditSupport.h"

namespace shelfmark {

// Whether an item the user can reach (locked subtrees are not entered) carries a definition.
bool AnyItemHasCategory(const CatalogDocument& document, std::span<const uint8_t> ids);
bool AnyItemHasAttribute(const CatalogDocument& document, uint8_t key);

class CategoryEditor {
  public:
    explicit CategoryEditor(const CatalogDocument& document);

    const CategoryDefinitions& definitions() const { return definitions_; }
    // A new category at the end (level 1), or a sub-category at the end of the category
    // `parentId`'s sub-categories. Answers the new identifier; nothing when all 255 are used or
    // there is no such category.
    std::optional<uint8_t> addCategory(std::string_view name);
    std::optional<uint8_t> addSubCategory(uint8_t parentId, std::string_view name);
    bool rename(uint8_t id, std::string_view name);
    // Deletes the entry (a category with its sub-categories) after the question: when items
    // carry it, Yes/No/Cancel on removing those assignments too; otherwise the plain delete
    // question unless askFirst is false. False when the entry stays.
    bool remove(uint8_t id, Prompter& prompter, bool askFirst = true);
    // Deletes without asking; removeAssignments as the Yes answer does.
    bool removeWithoutAsking(uint8_t id, bool removeAssignments);
    // The OK button: lock, one attribute-change step with the root and the items that lose
    // identifiers, the block written back. Unchanged when nothing changed.
    EditStatus commit(CatalogDocument& document);

  private:
    uint8_t takeId();
    std::vector<uint8_t> idsWithin(uint8_t id) const;

    const CatalogDocument& document_;
    CategoryDefinitions original_;
    CategoryDefinitions definitions_;
    std::vector<uint8_t> removedIds_;
};

class ExtraInfoEditor {
  public:
    explicit ExtraInfoEditor(const CatalogDocument& document);

    const std::vector<ExtraDefinition>& definitions() const { return definitions_; }
    // The lowest free key of the text (0xB0-0xBF) or numeric (0x70-0x7F) group; nothing when the
    // group is full.
    std::optional<uint8_t> addText(std::string_view name);
    std::optional<uint8_t> addNumber(std::string_view name);
    bool rename(uint8_t key, std::string_view name);
    // As CategoryEditor::remove, with the extra-information question.
    bool remove(uint8_t key, Prompter& prompter, bool askFirst = true);
    bool removeWithoutAsking(uint8_t key, bool removeValues);
    EditStatus commit(CatalogDocument& document);

  private:
    std::optional<uint8_t> add(uint8_t first, std::string_view name);

    const CatalogDocument& document_;
    std::vector<ExtraDefinition> original_;
    std::vector<ExtraDefinition> definitions_;
    std::vector<uint8_t> removedKeys_;
};

}  // namespace shelfmark
