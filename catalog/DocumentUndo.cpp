// The document's undo list and change notifications.
#include <algorithm>

#include "catalog/CatalogDocument.h"
#include "catalog/DeleteOperations.h"
#include "catalog/EditSupport.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"

namespace shelfmark {

std::string MenuLabel(std::string_view menuText) {
    std::string label;
    for (char c : menuText) {
        if (c == '\n' || c == '\r')
            break;
        if (c != '&')
            label += c;
    }
    for (size_t at; (at = label.find("...")) != std::string::npos;)
        label.erase(at, 3);
    return label;
}

void CatalogDocument::setModified(bool modified) {
    if (modified_ == modified)
        return;
    modified_ = modified;
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->modifiedChanged(modified);
}

void CatalogDocument::addObserver(DocumentObserver* observer) {
    observers_.push_back(observer);
}

void CatalogDocument::removeObserver(DocumentObserver* observer) {
    std::erase(observers_, observer);
}

void CatalogDocument::notifyInserted(CatalogItem& item) {
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->itemInserted(item);
}

void CatalogDocument::notifyRemoving(CatalogItem& item) {
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->itemRemoving(item);
}

void CatalogDocument::notifyRemoved(CatalogItem* item, CatalogItem* formerParent) {
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->itemRemoved(item, formerParent);
}

void CatalogDocument::notifyMoving(CatalogItem& item, CatalogItem* newParent) {
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->itemMoving(item, newParent);
}

void CatalogDocument::notifyMoved(CatalogItem& item, CatalogItem* formerParent) {
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->itemMoved(item, formerParent);
}

void CatalogDocument::notifyChanged(CatalogItem& item) {
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->itemChanged(item);
}

void CatalogDocument::treeReplaced() {
    // The old tree's memory is gone already: the steps are dropped without freeing their items.
    undoSteps_.clear();
    ++treeGeneration_;
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->reset();
}

void CatalogDocument::freeStep(UndoStep& step) {
    if (step.ownsItems) {
        for (CatalogItem* item : step.items)
            tree_.removeItem(item, false);
    }
    for (CatalogItem* copy : step.copies)
        tree_.removeItem(copy, false);
    step.items.clear();
    step.copies.clear();
    step.ownsItems = false;
}

void CatalogDocument::clearUndo() {
    while (!undoSteps_.empty()) {
        freeStep(*undoSteps_.back());
        undoSteps_.pop_back();
    }
}

UndoStep& CatalogDocument::recordUndo(UndoKind kind, std::span<CatalogItem* const> items,
                                      std::optional<std::string_view> label) {
    if (undoSteps_.size() >= kMaxUndoSteps) {
        freeStep(*undoSteps_.front());
        undoSteps_.erase(undoSteps_.begin());
    }
    auto step = std::make_unique<UndoStep>();
    step->kind = kind;
    step->items.assign(items.begin(), items.end());
    if (label)
        step->label = MenuLabel(*label);
    for (CatalogItem* item : items) {
        switch (kind) {
            case UndoKind::Delete:
            case UndoKind::Move:
                step->formerParents.push_back(item->parent());
                step->formerPrevious.push_back(nullptr);  // the operation fills it in
                break;
            case UndoKind::Rename:
                step->oldNames.emplace_back(item->name());
                break;
            case UndoKind::AttributeChange:
            case UndoKind::SubtreeReplacement:
                step->copies.push_back(tree_.copyItem(item, nullptr, nullptr));
                break;
            default:
                break;
        }
    }
    undoSteps_.push_back(std::move(step));
    return *undoSteps_.back();
}

CatalogDocument::UndoResult CatalogDocument::undo(bool askFirst) {
    if (undoSteps_.empty())
        return UndoResult::NothingToUndo;
    if (!BeginEdit(*this))
        return UndoResult::Refused;
    if (undoSteps_.empty())
        return UndoResult::NothingToUndo;
    UndoStep& step = *undoSteps_.back();
    const size_t count = step.items.size();
    switch (step.kind) {
        case UndoKind::Insert: {
            if (askFirst && count > 0) {
                if (!prompter_.askYesNo(DeleteQuestion(tree_, step.items))) {
                    releaseLock(false);
                    return UndoResult::Cancelled;
                }
            }
            for (size_t i = count; i-- > 0;)
                TakeOut(*this, step.items[i], false);
            step.items.clear();
            break;
        }
        case UndoKind::Delete:
            for (size_t i = count; i-- > 0;)
                PutBack(*this, step.items[i], step.formerParents[i], step.formerPrevious[i]);
            step.ownsItems = false;
            break;
        case UndoKind::Rename:
            for (size_t i = count; i-- > 0;) {
                tree_.setName(step.items[i], step.oldNames[i]);
                notifyChanged(*step.items[i]);
            }
            break;
        case UndoKind::Move:
            for (size_t i = count; i-- > 0;) {
                CatalogItem* previous = step.formerPrevious[i];
                MoveWithSizes(*this, step.items[i], step.formerParents[i],
                              previous ? previous : First);
            }
            break;
        case UndoKind::AttributeChange:
            for (size_t i = count; i-- > 0;) {
                tree_.restoreFields(step.items[i], *step.copies[i]);
                notifyChanged(*step.items[i]);
                if (step.items[i] == tree_.root() && undoHooks_.reloadDefinitions)
                    undoHooks_.reloadDefinitions();
            }
            break;
        case UndoKind::SubtreeReplacement:
            for (size_t i = count; i-- > 0;) {
                CatalogItem* item = step.items[i];
                CatalogItem* copy = step.copies[i];
                const uint64_t before = item->size();
                // The sizes of item and its folders come back with the copy's fields below.
                while (CatalogItem* child = item->firstChildIgnoringLock()) {
                    notifyRemoving(*child);
                    tree_.removeItem(child, false);
                    notifyRemoved(child, item);
                }
                CatalogItem* previous = nullptr;
                while (CatalogItem* child = copy->firstChildIgnoringLock()) {
                    tree_.moveItem(child, item, previous ? previous : First);
                    previous = child;
                }
                tree_.restoreFields(item, *copy);
                const uint64_t after = item->size();
                if (after != before && CarriesFolderSize(*item))
                    tree_.addToFolderSizes(item->parent(), int64_t(after - before));
                for (CatalogItem* child = item->firstChildIgnoringLock(); child; child = child->next())
                    notifyInserted(*child);
                notifyChanged(*item);
            }
            break;
        case UndoKind::SetPassword:
            // Every item the command protected, not only the first.
            for (CatalogItem* item : step.items) {
                if (undoHooks_.removeProtection)
                    undoHooks_.removeProtection(item, step.password);
            }
            break;
        case UndoKind::RemovePassword:
            for (CatalogItem* item : step.items) {
                if (undoHooks_.protect)
                    undoHooks_.protect(item, step.password, step.nameWasEncrypted != 0);
            }
            break;
    }
    freeStep(step);
    undoSteps_.pop_back();
    setModified();
    return UndoResult::Done;
}

}  // namespace shelfmark
