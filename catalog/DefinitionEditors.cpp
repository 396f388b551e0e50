#include "catalog/DefinitionEditors.h"

#include <algorithm>

#include "catalog/TreeWalk.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"

namespace shelfmark {
namespace {

bool EnterUnlocked(const CatalogItem& item) {
    return !item.isLocked();
}

bool Contains(std::span<const uint8_t> list, uint8_t value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

bool CarriesCategory(const CatalogItem& item, std::span<const uint8_t> ids) {
    for (uint8_t id : CategoryIdsOf(item)) {
        if (id != 0 && Contains(ids, id))
            return true;
    }
    return false;
}

// Every reachable item (the root first) for which `match` holds.
template <typename Match>
std::vector<CatalogItem*> CollectItems(CatalogDocument& document, Match&& match) {
    std::vector<CatalogItem*> found;
    CatalogItem* root = document.tree().root();
    if (match(*root))
        found.push_back(root);
    if (!root->isLocked()) {
        WalkBelow(root, EnterUnlocked, [&](CatalogItem& item) {
            if (match(item))
                found.push_back(&item);
            return true;
        });
    }
    return found;
}

template <typename Match>
bool AnyItem(const CatalogDocument& document, Match&& match) {
    const CatalogItem* root = document.tree().root();
    if (match(*root))
        return true;
    if (root->isLocked())
        return false;
    return !WalkBelow(root, EnterUnlocked, [&](CatalogItem& item) { return !match(item); });
}

// The answer to a delete: Yes/No/Cancel when items carry the definition, the plain question
// otherwise. Nothing: keep the definition.
std::optional<bool> AskDelete(Prompter& prompter, bool assigned, const std::string& assignedText,
                              std::string_view name, bool askFirst) {
    if (assigned) {
        switch (prompter.askYesNoCancel(assignedText)) {
            case PromptAnswer::Yes:
                return true;
            case PromptAnswer::No:
                return false;
            default:
                return std::nullopt;
        }
    }
    if (askFirst &&
        !prompter.askYesNo(FillPattern(LanguageTexts::Instance().text("Strings", 33), "%s", name)))
        return std::nullopt;
    return false;
}

// Writes `block` on the root as one undo step with the items `strip` changes.
EditStatus CommitBlock(CatalogDocument& document, uint8_t blockKey,
                       const std::vector<uint8_t>& block, bool unchanged,
                       const std::function<bool(const CatalogItem&)>& affected,
                       const std::function<void(CatalogItem*)>& strip, std::string_view label) {
    if (!BeginEdit(document))
        return EditStatus::Refused;
    if (unchanged)
        return EndUnchanged(document);
    CatalogItem* root = document.tree().root();
    std::vector<CatalogItem*> items = CollectItems(document, affected);
    if (items.empty() || items.front() != root)
        items.insert(items.begin(), root);
    document.recordUndo(UndoKind::AttributeChange, items, label);
    for (CatalogItem* item : items) {
        strip(item);
        if (item != root)
            document.notifyChanged(*item);
    }
    document.tree().setBlockAttribute(root, blockKey, block);
    document.notifyChanged(*root);
    if (document.undoHooks().reloadDefinitions)
        document.undoHooks().reloadDefinitions();
    document.setModified();
    return EditStatus::Done;
}

}  // namespace

bool AnyItemHasCategory(const CatalogDocument& document, std::span<const uint8_t> ids) {
    return AnyItem(document, [&](const CatalogItem& item) { return CarriesCategory(item, ids); });
}

bool AnyItemHasAttribute(const CatalogDocument& document, uint8_t key) {
    return AnyItem(document, [key](const CatalogItem& item) { return item.hasAttribute(key); });
}

// ---- Categories -------------------------------------------------------------------------------

CategoryEditor::CategoryEditor(const CatalogDocument& document)
    : document_(document),
      original_(CategoryDefinitionsOf(*document.tree().root())),
      definitions_(original_) {}

uint8_t CategoryEditor::takeId() {
    auto used = [&](unsigned id) {
        return std::any_of(definitions_.entries.begin(), definitions_.entries.end(),
                           [id](const CategoryEntry& entry) { return entry.id == id; });
    };
    // The next identifier when it is free; past 255 (or taken), the lowest free one.
    unsigned id = definitions_.nextId;
    if (id == 0 || used(id)) {
        id = 1;
        while (id < 256 && used(id))
            ++id;
        if (id == 256)
            return 0;
    }
    definitions_.nextId = uint8_t(id + 1);  // 0 after 255: the lowest free one next time
    return uint8_t(id);
}

std::optional<uint8_t> CategoryEditor::addCategory(std::string_view name) {
    const uint8_t id = takeId();
    if (id == 0)
        return std::nullopt;
    definitions_.entries.push_back({1, id, std::string(name)});
    return id;
}

std::optional<uint8_t> CategoryEditor::addSubCategory(uint8_t parentId, std::string_view name) {
    auto& entries = definitions_.entries;
    auto parent = std::find_if(entries.begin(), entries.end(), [&](const CategoryEntry& entry) {
        return entry.level == 1 && entry.id == parentId;
    });
    if (parent == entries.end())
        return std::nullopt;
    auto end = std::next(parent);
    while (end != entries.end() && end->level != 1)
        ++end;
    const size_t position = size_t(end - entries.begin());
    const uint8_t id = takeId();
    if (id == 0)
        return std::nullopt;
    entries.insert(entries.begin() + std::ptrdiff_t(position), {2, id, std::string(name)});
    return id;
}

bool CategoryEditor::rename(uint8_t id, std::string_view name) {
    for (CategoryEntry& entry : definitions_.entries) {
        if (entry.id == id) {
            entry.name = name;
            return true;
        }
    }
    return false;
}

std::vector<uint8_t> CategoryEditor::idsWithin(uint8_t id) const {
    std::vector<uint8_t> ids;
    const auto& entries = definitions_.entries;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].id != id)
            continue;
        ids.push_back(id);
        for (size_t j = i + 1; entries[i].level == 1 && j < entries.size() && entries[j].level != 1;
             ++j)
            ids.push_back(entries[j].id);
        break;
    }
    return ids;
}

bool CategoryEditor::remove(uint8_t id, Prompter& prompter, bool askFirst) {
    const std::vector<uint8_t> ids = idsWithin(id);
    if (ids.empty())
        return false;
    std::string name;
    for (const CategoryEntry& entry : definitions_.entries) {
        if (entry.id == id)
            name = entry.name;
    }
    const bool assigned = AnyItemHasCategory(document_, ids);
    const std::optional<bool> answer = AskDelete(
        prompter, assigned, LanguageTexts::Instance().text("Strings", 205), name, askFirst);
    return answer && removeWithoutAsking(id, *answer);
}

bool CategoryEditor::removeWithoutAsking(uint8_t id, bool removeAssignments) {
    const std::vector<uint8_t> ids = idsWithin(id);
    if (ids.empty())
        return false;
    std::erase_if(definitions_.entries,
                  [&](const CategoryEntry& entry) { return Contains(ids, entry.id); });
    if (removeAssignments)
        removedIds_.insert(removedIds_.end(), ids.begin(), ids.end());
    return true;
}

EditStatus CategoryEditor::commit(CatalogDocument& document) {
    const std::vector<uint8_t> removed = removedIds_;
    return CommitBlock(
        document, attr::CategoryDefinitions, EncodeCategoryBlock(definitions_),
        definitions_ == original_ && removed.empty() &&
            document.tree().root()->hasAttribute(attr::CategoryDefinitions),
        [&](const CatalogItem& item) { return CarriesCategory(item, removed); },
        [&](CatalogItem* item) {
            const std::optional<uint32_t> value = item->numberAttribute(attr::Categories);
            if (!value)
                return;
            const uint32_t kept = RemoveCategoryIds(*value, removed);
            if (kept)
                document.tree().setNumberAttribute(item, attr::Categories, kept);
            else
                document.tree().removeAttribute(item, attr::Categories);
        },
        MenuText("Menu_Mainframe", 3));
}

// ---- User extra information -------------------------------------------------------------------

ExtraInfoEditor::ExtraInfoEditor(const CatalogDocument& document)
    : document_(document),
      original_(ExtraDefinitionsOf(*document.tree().root())),
      definitions_(original_) {}

std::optional<uint8_t> ExtraInfoEditor::add(uint8_t first, std::string_view name) {
    for (unsigned key = first; key < first + 16u; ++key) {
        const bool used = std::any_of(definitions_.begin(), definitions_.end(),
                                      [key](const ExtraDefinition& d) { return d.key == key; });
        if (!used) {
            // A key freed with its values in this session stays marked: the new field starts
            // without the old field's values.
            definitions_.push_back({uint8_t(key), std::string(name)});
            return uint8_t(key);
        }
    }
    return std::nullopt;
}

std::optional<uint8_t> ExtraInfoEditor::addText(std::string_view name) {
    return add(attr::ExtraTextFirst, name);
}

std::optional<uint8_t> ExtraInfoEditor::addNumber(std::string_view name) {
    return add(attr::ExtraNumberFirst, name);
}

bool ExtraInfoEditor::rename(uint8_t key, std::string_view name) {
    for (ExtraDefinition& definition : definitions_) {
        if (definition.key == key) {
            definition.name = name;
            return true;
        }
    }
    return false;
}

bool ExtraInfoEditor::remove(uint8_t key, Prompter& prompter, bool askFirst) {
    auto found = std::find_if(definitions_.begin(), definitions_.end(),
                              [key](const ExtraDefinition& d) { return d.key == key; });
    if (found == definitions_.end())
        return false;
    const std::optional<bool> answer =
        AskDelete(prompter, AnyItemHasAttribute(document_, key),
                  "This Extra Information is assigned to some items. Do you also want to remove "
                  "these assignments?",
                  found->name, askFirst);
    return answer && removeWithoutAsking(key, *answer);
}

bool ExtraInfoEditor::removeWithoutAsking(uint8_t key, bool removeValues) {
    const size_t before = definitions_.size();
    std::erase_if(definitions_, [key](const ExtraDefinition& d) { return d.key == key; });
    if (definitions_.size() == before)
        return false;
    if (removeValues)
        removedKeys_.push_back(key);
    return true;
}

EditStatus ExtraInfoEditor::commit(CatalogDocument& document) {
    const std::vector<uint8_t> removed = removedKeys_;
    auto carries = [&](const CatalogItem& item) {
        return std::any_of(removed.begin(), removed.end(),
                           [&](uint8_t key) { return item.hasAttribute(key); });
    };
    return CommitBlock(
        document, attr::ExtraInfoDefinitions, EncodeExtraBlock(definitions_),
        definitions_ == original_ && removed.empty(), carries,
        [&](CatalogItem* item) {
            for (uint8_t key : removed)
                document.tree().removeAttribute(item, key);
        },
        MenuText("Menu_Mainframe", 4));
}

}  // namespace shelfmark
