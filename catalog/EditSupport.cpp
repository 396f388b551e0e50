#include "catalog/EditSupport.h"

#include <algorithm>
#include <ctime>
#include <unordered_set>
#include <utility>
#include <vector>

#include "catalog/CatalogFile.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"

namespace shelfmark {

bool BeginEdit(CatalogDocument& document) {
    const uint64_t generation = document.treeGeneration();
    if (!document.lockForEditing())
        return false;
    return document.treeGeneration() == generation;
}

EditStatus EndUnchanged(CatalogDocument& document) {
    document.releaseLock(false);
    return EditStatus::Unchanged;
}

std::string MenuText(std::string_view section, int key) {
    return LanguageTexts::Instance().text(section, key);
}

std::string FillPattern(std::string_view pattern, std::string_view marker, std::string_view value) {
    std::string out(pattern);
    if (const size_t at = out.find(marker); at != std::string::npos)
        out.replace(at, marker.size(), value);
    return out;
}

std::vector<CatalogItem*> KeepKinds(CatalogDocument& document, std::span<CatalogItem* const> items,
                                    const std::function<bool(const CatalogItem&)>& accept) {
    std::vector<CatalogItem*> kept;
    std::unordered_set<const CatalogItem*> seen;
    for (CatalogItem* item : items) {
        if (!seen.insert(item).second)
            continue;
        if (accept(*item))
            kept.push_back(item);
        else
            document.prompter().error(Str(81), document.tree().pathText(item, pathmode::Display));
    }
    return kept;
}

bool CarriesFolderSize(const CatalogItem& item) {
    return (item.isFolder() || item.isDisk()) && !item.isShortcut();
}

CatalogItem* PreviousSibling(const CatalogTree& tree, const CatalogItem* item) {
    CatalogItem* previous = nullptr;
    CatalogItem* child = item->parent() ? item->parent()->firstChildIgnoringLock() : tree.topLevel();
    for (; child && child != item; child = child->next())
        previous = child;
    return child ? previous : nullptr;
}

bool Contains(const CatalogItem* item, const CatalogItem* inner) {
    for (; inner; inner = inner->parent()) {
        if (inner == item)
            return true;
    }
    return false;
}

CatalogItem* TakeOut(CatalogDocument& document, CatalogItem* item, bool keep) {
    CatalogTree& tree = document.tree();
    CatalogItem* parent = item->parent();
    CatalogItem* previous = PreviousSibling(tree, item);
    document.notifyRemoving(*item);
    if (CarriesFolderSize(*item))
        tree.addToFolderSizes(parent, -int64_t(item->size()));
    tree.removeItem(item, keep);
    document.notifyRemoved(item, parent);
    return previous;
}

void PutBack(CatalogDocument& document, CatalogItem* item, CatalogItem* parent,
             CatalogItem* previous) {
    CatalogTree& tree = document.tree();
    tree.moveItem(item, parent ? parent : TopLevel, previous ? previous : First);
    if (CarriesFolderSize(*item))
        tree.addToFolderSizes(parent, int64_t(item->size()));
    document.notifyInserted(*item);
}

bool MoveWithSizes(CatalogDocument& document, CatalogItem* item, CatalogItem* newParent,
                   CatalogItem* position) {
    if (Contains(item, newParent))
        return false;
    CatalogTree& tree = document.tree();
    CatalogItem* formerParent = item->parent();
    document.notifyMoving(*item, newParent);
    tree.moveItem(item, newParent ? newParent : TopLevel, position);
    if (CarriesFolderSize(*item)) {
        tree.addToFolderSizes(formerParent, -int64_t(item->size()));
        tree.addToFolderSizes(newParent, int64_t(item->size()));
    }
    document.notifyMoved(*item, formerParent);
    return true;
}

bool RoomBelow(CatalogDocument& document, const CatalogItem& folder, int levels) {
    if (DepthBelowRoot(folder) + levels <= kMaxFileLevels)
        return true;
    document.prompter().error("Nothing can lie more than " + std::to_string(kMaxFileLevels) +
                                  " levels below the top of the catalog.",
                              document.tree().pathText(&folder, pathmode::Display));
    return false;
}

int LevelsBelow(const CatalogItem& item) {
    int deepest = 0;
    std::vector<std::pair<const CatalogItem*, int>> pending{{&item, 0}};
    while (!pending.empty()) {
        const auto [parent, below] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, below);
        for (const CatalogItem* child = parent->firstChildIgnoringLock(); child; child = child->next())
            pending.emplace_back(child, below + 1);
    }
    return deepest;
}

void CopyChildren(CatalogTree& tree, const CatalogItem* source, CatalogItem* target,
                  bool visibleOnly, const CatalogItem* skip) {
    struct Level {
        const CatalogItem* next;  // the next source child to copy
        CatalogItem* parent;      // where its copy goes
        CatalogItem* last;        // the copy's newest child so far
    };
    auto lastChild = [](CatalogItem* parent) {
        CatalogItem* last = parent->firstChildIgnoringLock();
        while (last && last->next())
            last = last->next();
        return last;
    };
    auto children = [visibleOnly](const CatalogItem* item) {
        return visibleOnly ? item->firstChild() : item->firstChildIgnoringLock();
    };
    Level stack[kMaxFileLevels];
    const int levels = kMaxFileLevels - DepthBelowRoot(*target);
    if (levels <= 0)
        return;
    int depth = 0;
    stack[0] = {children(source), target, lastChild(target)};
    while (depth >= 0) {
        Level& level = stack[depth];
        const CatalogItem* from = level.next;
        if (!from) {
            --depth;
            continue;
        }
        level.next = from->next();
        if (from == skip)
            continue;
        CatalogItem* copy = tree.copyItem(from, level.parent, level.last ? level.last : First);
        level.last = copy;
        if (depth + 1 < levels && children(from))
            stack[++depth] = {children(from), copy, nullptr};
    }
}

int32_t DateNow() {
    return int32_t(std::time(nullptr));
}

}  // namespace shelfmark
