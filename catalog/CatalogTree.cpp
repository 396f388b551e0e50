#include "catalog/CatalogTree.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "catalog/CatalogPath.h"
#include "catalog/FileTypeNames.h"
#include "catalog/ItemArena.h"
#include "catalog/TreeWalk.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/StringFormat.h"
#include "foundation/Utf8Text.h"

namespace shelfmark {

namespace detail {
CatalogItem gReservedItems[4];
}

namespace {

constexpr uint8_t kMaxAttributes = 255;
// A chain of shortcuts longer than this is taken for a cycle.
constexpr int kMaxShortcutHops = 64;

int KindRank(uint16_t flags, bool equalizeMediaTypes) {
    if (flags & itemflag::Folder)
        return 0;
    if (flags & itemflag::MediaType) {
        if (equalizeMediaTypes)
            return 1;
        switch (MediaType((flags >> 3) & 15)) {
            case MediaType::AudioCd:
                return 1;
            case MediaType::CdRom:
                return 2;
            case MediaType::VideoCd:
                return 3;
            case MediaType::Removable:
                return 4;
            case MediaType::HardDisk:
                return 5;
            default:
                return 6;
        }
    }
    if (flags & itemflag::Directory)
        return 6;
    return 7;
}

int ListRank(const CatalogItem& item, bool equalizeMediaTypes) {
    const int rank = KindRank(item.flags(), equalizeMediaTypes);
    return item.isShortcut() ? 8 + rank : rank;
}

int Sign(int64_t value) {
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

}  // namespace

int TreeRank(const CatalogItem& item) {
    return ListRank(item, false);
}

int CompareTreeOrder(const CatalogItem& a, const CatalogItem& b) {
    const int rank = TreeRank(a) - TreeRank(b);
    if (rank != 0)
        return rank;
    return text::CompareNoCase(a.name(), b.name());
}

int CompareListOrder(const CatalogItem& a, const CatalogItem& b, const ListSortKey& key) {
    auto compareNames = [&] {
        if (key.nameText)
            return text::CompareNoCase(key.nameText(a), key.nameText(b));
        return text::CompareNoCase(a.name(), b.name());
    };
    int result = ListRank(a, key.equalizeMediaTypes) - ListRank(b, key.equalizeMediaTypes);
    if (result == 0) {
        switch (key.column) {
            case ListSortColumn::Name:
                result = compareNames();
                break;
            case ListSortColumn::Size:
                if (auto lengthA = a.numberAttribute(attr::Length)) {
                    auto lengthB = b.numberAttribute(attr::Length);
                    result = lengthB ? Sign(int64_t(*lengthA) - int64_t(*lengthB)) : 1;
                } else {
                    const uint64_t sizeA = a.size(), sizeB = b.size();
                    result = sizeA < sizeB ? -1 : sizeA > sizeB ? 1 : 0;
                }
                if (result == 0)
                    result = compareNames();
                break;
            case ListSortColumn::Date:
                result = Sign(int64_t(a.date()) - int64_t(b.date()));
                if (result == 0)
                    result = compareNames();
                break;
            case ListSortColumn::Other: {
                const std::string textA =
                    key.columnText ? key.columnText(a) : std::string(a.name());
                const std::string textB =
                    key.columnText ? key.columnText(b) : std::string(b.name());
                if (textA.empty() != textB.empty())
                    result = textA.empty() ? -1 : 1;
                else
                    result = text::CompareNoCase(textA, textB);
                if (result == 0)
                    result = compareNames();
                break;
            }
        }
    }
    return key.descending ? -result : result;
}

CatalogTree::CatalogTree() : arena_(std::make_unique<ItemArena>()) {}

CatalogTree::~CatalogTree() = default;

void CatalogTree::clear() {
    childRows_.clear();
    arena_->clear();
    topLevel_ = nullptr;
}

void CatalogTree::absorb(CatalogTree& other) {
    if (&other == this)
        return;
    arena_->adopt(*other.arena_);
    for (CatalogItem* item = other.topLevel_; item;) {
        CatalogItem* next = item->next_;
        item->parent_ = nullptr;
        item->next_ = nullptr;
        item = next;
    }
    other.topLevel_ = nullptr;
}

CatalogItem* CatalogTree::resetToNewCatalog() {
    clear();
    CatalogItem* root = createItem(" ", TopLevel, Last, itemflag::Folder);
    setNumberAttribute(root, attr::DiskId, 1);
    setNumberAttribute(root, attr::DiskNumber, 1);
    return root;
}

CatalogItem* CatalogTree::createItem(std::optional<std::string_view> name, CatalogItem* parent,
                                     CatalogItem* position, uint16_t flags) {
    auto* item = new (arena_->allocate(sizeof(CatalogItem))) CatalogItem;
    item->flags_ = flags;
    if (name)
        setName(item, *name);
    link(item, parent, position);
    return item;
}

void CatalogTree::setName(CatalogItem* item, std::string_view name) {
    if (name.empty())
        name = "?";
    char* copy = static_cast<char*>(arena_->allocate(name.size() + 1));
    std::memcpy(copy, name.data(), name.size());
    copy[name.size()] = '\0';
    if (item->name_)
        arena_->release(item->name_, item->nameLength_ + 1);
    item->name_ = copy;
    item->nameLength_ = uint32_t(name.size());
}

ItemAttribute* CatalogTree::attributeSlot(CatalogItem* item, uint8_t key) {
    for (uint8_t i = 0; i < item->attributeCount_; ++i) {
        if (item->attributes_[i].key_ == key)
            return &item->attributes_[i];
    }
    if (item->attributeCount_ == kMaxAttributes)
        return nullptr;
    if (item->attributeCount_ == item->attributeCapacity_)
        resizeAttributeArray(
            item,
            std::min<unsigned>(kMaxAttributes,
                               item->attributeCapacity_ ? item->attributeCapacity_ * 2u : 2u));
    ItemAttribute* slot = new (&item->attributes_[item->attributeCount_++]) ItemAttribute;
    slot->key_ = key;
    slot->value_.block = nullptr;  // all 8 bytes: arena memory is reused, not zeroed
    return slot;
}

void CatalogTree::resizeAttributeArray(CatalogItem* item, unsigned capacity) {
    auto* grown = static_cast<ItemAttribute*>(arena_->allocate(capacity * sizeof(ItemAttribute)));
    if (item->attributeCount_)
        std::memcpy(static_cast<void*>(grown), item->attributes_,
                    item->attributeCount_ * sizeof(ItemAttribute));
    arena_->release(item->attributes_, item->attributeCapacity_ * sizeof(ItemAttribute));
    item->attributes_ = grown;
    item->attributeCapacity_ = uint8_t(capacity);
}

void CatalogTree::reserveAttributes(CatalogItem* item, uint8_t count) {
    if (count > item->attributeCapacity_)
        resizeAttributeArray(item, count);
}

void CatalogTree::freeAttributeValue(ItemAttribute& attribute) {
    switch (attribute.valueClass()) {
        case AttributeClass::Text:
            if (attribute.value_.text)
                arena_->release(attribute.value_.text, std::strlen(attribute.value_.text) + 1);
            break;
        case AttributeClass::Block:
            if (attribute.value_.block)
                arena_->release(attribute.value_.block,
                                sizeof(uint32_t) + attribute.block().size());
            break;
        default:
            break;
    }
    attribute.value_.block = nullptr;
}

bool CatalogTree::setNumberAttribute(CatalogItem* item, uint8_t key, uint32_t value) {
    const AttributeClass valueClass = ClassOfKey(key);
    if (valueClass != AttributeClass::Number && valueClass != AttributeClass::Transient)
        return false;
    ItemAttribute* slot = attributeSlot(item, key);
    if (!slot)
        return false;
    slot->value_.number =
        (valueClass == AttributeClass::Transient && key != attr::Unlocked) ? 0 : value;
    return true;
}

bool CatalogTree::setTextAttribute(CatalogItem* item, uint8_t key, std::string_view text) {
    if (ClassOfKey(key) != AttributeClass::Text)
        return false;
    // A text may not hold a NUL: it is stored NUL-terminated.
    text = text.substr(0, std::min(text.size(), text.find('\0')));
    char* copy = static_cast<char*>(arena_->allocate(text.size() + 1));
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    ItemAttribute* slot = attributeSlot(item, key);
    if (!slot) {
        arena_->release(copy, text.size() + 1);
        return false;
    }
    freeAttributeValue(*slot);
    slot->value_.text = copy;
    return true;
}

bool CatalogTree::setBlockAttribute(CatalogItem* item, uint8_t key,
                                    std::span<const uint8_t> bytes) {
    if (ClassOfKey(key) != AttributeClass::Block || bytes.size() > UINT32_MAX)
        return false;
    const uint32_t count = uint32_t(bytes.size());
    auto* copy = static_cast<uint8_t*>(arena_->allocate(sizeof count + count));
    std::memcpy(copy, &count, sizeof count);
    if (count)
        std::memcpy(copy + sizeof count, bytes.data(), count);
    ItemAttribute* slot = attributeSlot(item, key);
    if (!slot) {
        arena_->release(copy, sizeof count + count);
        return false;
    }
    freeAttributeValue(*slot);
    slot->value_.block = copy;
    return true;
}

bool CatalogTree::setAttribute(CatalogItem* item, const ItemAttribute& attribute) {
    switch (attribute.valueClass()) {
        case AttributeClass::Text:
            return setTextAttribute(item, attribute.key(), attribute.text());
        case AttributeClass::Block:
            return setBlockAttribute(item, attribute.key(), attribute.block());
        default:
            return setNumberAttribute(item, attribute.key(), attribute.number());
    }
}

void CatalogTree::removeAttribute(CatalogItem* item, uint8_t key) {
    for (uint8_t i = 0; i < item->attributeCount_; ++i) {
        if (item->attributes_[i].key_ != key)
            continue;
        freeAttributeValue(item->attributes_[i]);
        // Keep the others in their order.
        std::memmove(static_cast<void*>(&item->attributes_[i]), &item->attributes_[i + 1],
                     (item->attributeCount_ - i - 1) * sizeof(ItemAttribute));
        --item->attributeCount_;
        return;
    }
}

void CatalogTree::setSize(CatalogItem* item, uint64_t size) {
    item->sizeLow_ = uint32_t(size);
    if (size >> 32)
        setNumberAttribute(item, attr::SizeHigh, uint32_t(size >> 32));
    else
        removeAttribute(item, attr::SizeHigh);
}

void CatalogTree::link(CatalogItem* item, CatalogItem* parent, CatalogItem* position) {
    if (parent == TopLevel)
        parent = nullptr;
    forgetRows(parent);
    CatalogItem** head = parent ? &parent->firstChild_ : &topLevel_;
    item->parent_ = parent;
    if (position == First || !*head) {
        item->next_ = *head;
        *head = item;
    } else if (position == Last) {
        CatalogItem* tail = *head;
        while (tail->next_)
            tail = tail->next_;
        item->next_ = nullptr;
        tail->next_ = item;
    } else if (position == Sorted) {
        CatalogItem** slot = head;
        while (*slot && CompareTreeOrder(**slot, *item) < 0)
            slot = &(*slot)->next_;
        item->next_ = *slot;
        *slot = item;
    } else {
        item->next_ = position->next_;
        position->next_ = item;
    }
}

void CatalogTree::unlink(CatalogItem* item) {
    forgetRows(item->parent_);
    CatalogItem** slot = item->parent_ ? &item->parent_->firstChild_ : &topLevel_;
    while (*slot && *slot != item)
        slot = &(*slot)->next_;
    if (*slot)
        *slot = item->next_;
    item->parent_ = nullptr;
    item->next_ = nullptr;
}

bool CatalogTree::moveItem(CatalogItem* item, CatalogItem* newParent, CatalogItem* position) {
    if (newParent != TopLevel) {
        for (const CatalogItem* above = newParent; above; above = above->parent_) {
            if (above == item)
                return false;
        }
    }
    unlink(item);
    link(item, newParent, position);
    return true;
}

void CatalogTree::addToFolderSizes(CatalogItem* from, int64_t delta) {
    for (CatalogItem* item = from; item && item->parent_; item = item->parent_)
        setSize(item, item->size() + uint64_t(delta));
}

void CatalogTree::moveItemKeepingSizes(CatalogItem* item, CatalogItem* newParent) {
    const bool keepsSizes = item->isFolder() || item->isDisk();
    const int64_t size = int64_t(item->size());
    CatalogItem* oldParent = item->parent_;
    if (!moveItem(item, newParent, Sorted) || !keepsSizes)
        return;
    addToFolderSizes(oldParent, -size);
    addToFolderSizes(item->parent_, size);
}

void CatalogTree::freeSubtree(CatalogItem* item) {
    // Post-order through the links: always free the first child of the current item.
    CatalogItem* current = item;
    for (;;) {
        while (current->firstChild_)
            current = current->firstChild_;
        CatalogItem* parent = current->parent_;
        CatalogItem* next = current->next_;
        const bool last = current == item;
        forgetRows(current);
        for (uint8_t i = 0; i < current->attributeCount_; ++i)
            freeAttributeValue(current->attributes_[i]);
        arena_->release(current->attributes_, current->attributeCapacity_ * sizeof(ItemAttribute));
        if (current->name_)
            arena_->release(current->name_, current->nameLength_ + 1);
        current->~CatalogItem();
        arena_->release(current, sizeof(CatalogItem));
        if (last)
            return;
        parent->firstChild_ = next;
        current = next ? next : parent;
    }
}

void CatalogTree::removeItem(CatalogItem* item, bool keep) {
    if (item == TopLevel) {
        while (topLevel_)
            removeItem(topLevel_, keep);
        return;
    }
    unlink(item);
    if (!keep)
        freeSubtree(item);
}

CatalogItem* CatalogTree::copyItem(const CatalogItem* source, CatalogItem* parent,
                                   CatalogItem* position) {
    auto* item = new (arena_->allocate(sizeof(CatalogItem))) CatalogItem;
    item->flags_ = source->flags_;
    item->sizeLow_ = source->sizeLow_;
    item->date_ = source->date_;
    if (source->name_)
        setName(item, source->name());
    for (const ItemAttribute& attribute : source->attributes())
        setAttribute(item, attribute);
    if (parent)
        link(item, parent, position);
    return item;
}

void CatalogTree::sortChildren(CatalogItem* item) {
    CatalogItem** head = item == TopLevel ? &topLevel_ : &item->firstChild_;
    if (!*head || !(*head)->next_)
        return;
    forgetRows(item);
    std::vector<CatalogItem*> children;
    for (CatalogItem* child = *head; child; child = child->next_)
        children.push_back(child);
    std::sort(children.begin(), children.end(), [](const CatalogItem* a, const CatalogItem* b) {
        return CompareTreeOrder(*a, *b) < 0;
    });
    for (size_t i = 0; i + 1 < children.size(); ++i)
        children[i]->next_ = children[i + 1];
    children.back()->next_ = nullptr;
    *head = children.front();
}

void CatalogTree::sortSubtree(CatalogItem* item) {
    if (item == TopLevel) {
        sortChildren(TopLevel);
        for (CatalogItem* top = topLevel_; top; top = top->next_)
            sortSubtree(top);
        return;
    }
    sortChildren(item);
    WalkBelowIgnoringLocks(item, EnterAll, [this](CatalogItem& child) {
        sortChildren(&child);
        return true;
    });
}

uint64_t CatalogTree::countItems(const CatalogItem* item) const {
    if (item == TopLevel) {
        uint64_t count = 0;
        for (const CatalogItem* top = topLevel_; top; top = top->next_)
            count += 1 + countItems(top);
        return count;
    }
    return CountItemsBelow(*item);
}

CatalogStatistics CatalogTree::gatherStatistics(const CatalogItem* item,
                                                bool includeArchives) const {
    CatalogStatistics statistics;
    const uint16_t entered =
        itemflag::Directory | itemflag::Folder | (includeArchives ? itemflag::Archive : 0);
    if (!(item->flags() & entered)) {
        statistics.totalSize = item->size();
        return statistics;
    }
    auto enter = [entered](const CatalogItem& child) {
        return !child.isShortcut() && (child.flags() & entered) != 0;
    };
    WalkBelow(item, enter, [&statistics](CatalogItem& child) {
        if (child.isShortcut())
            return true;
        if (child.isFolder())
            ++statistics.folders;
        else if (child.isDisk())
            ++statistics.disks;
        else if (child.isDirectory())
            ++statistics.directories;
        else {
            ++statistics.files;
            statistics.totalSize += child.size();
        }
        return true;
    });
    return statistics;
}

std::string CatalogTree::displayName(const CatalogItem* item, bool plain) const {
    if (!plain && display_.showDescription) {
        if (auto description = item->textAttribute(attr::Description))
            return std::string(*description);
    }
    return std::string(item->name());
}

std::string MediaTypeText(MediaType type) {
    switch (type) {
        case MediaType::CdRom:
            return "CD/ DVD";
        case MediaType::AudioCd:
            return "Audio CD";
        case MediaType::Removable:
            return Str(114);
        case MediaType::HardDisk:
            return Str(115);
        case MediaType::Network:
            return Str(116);
        case MediaType::VideoCd:
            return "(Super) Video CD";
        case MediaType::None:
            break;
    }
    return {};
}

std::string CatalogTree::typeText(const CatalogItem* item) const {
    if (item->isShortcut())
        return Str(192);
    if (item->isFolder())
        return Str(24);
    if (item->isDisk()) {
        std::string text = MediaTypeText(item->mediaType());
        if (text.empty())
            return "Unknown Disk Type";
        if (item->flags() & itemflag::ReWritable)
            text += ", " + Str(189);
        return text;
    }
    if (item->isDirectory())
        return Str(25);
    return FileTypeName(item->name());
}

std::string CatalogTree::pathText(const CatalogItem* item, unsigned mode) const {
    const bool display = mode & pathmode::Display;
    const bool reference = mode & pathmode::Reference;
    const bool chain =
        !reference && ((display && (mode & pathmode::FolderChain)) || display_.showFullPath);
    auto folderChain = [](const CatalogItem* above) {
        std::vector<std::string_view> names;
        for (; above; above = above->parent())
            names.push_back(above->name());
        std::string text;
        for (auto name = names.rbegin(); name != names.rend(); ++name) {
            text += *name;
            text += '\\';
        }
        return text;
    };

    const CatalogItem* disk = item->disk();
    if (!disk) {
        std::string name(item->name());
        return chain ? folderChain(item->parent()) + name : name;
    }

    std::vector<const CatalogItem*> inside;
    for (const CatalogItem* step = item; step != disk; step = step->parent())
        inside.push_back(step);
    std::string relative;
    if (!reference) {
        if (auto base = disk->textAttribute(attr::BaseDirectory); base && !base->empty()) {
            if (base->front() != '\\')
                relative += '\\';
            relative += *base;
            if (relative.back() == '\\')
                relative.pop_back();
        }
    }
    for (auto step = inside.rbegin(); step != inside.rend(); ++step) {
        const std::string name = displayName(*step, !display);
        if (reference) {  // read back by resolvePath: a backslash inside a name is escaped
            relative += name.starts_with('\\') ? '/' : '\\';
            relative += EscapeCatalogPathName(name);
        } else {
            relative += '\\';
            relative += name;
        }
    }
    if (relative.empty())
        relative = "\\";

    if (reference)
        return StringPrintf("{Disk%04X}:", disk->numberAttribute(attr::DiskNumber).value_or(0)) +
               relative;
    if (!display)
        return relative;
    const auto volume = disk->textAttribute(attr::Volume);
    const std::string head = disk->hasAttribute(attr::BaseDirectory) && volume
                                 ? std::string(*volume)
                                 : displayName(disk, false);
    std::string text = head + ":" + relative;
    return chain ? folderChain(disk->parent()) + text : text;
}

CatalogItem* CatalogTree::resolvePath(std::string_view path, const CatalogItem* start) const {
    return ResolveCatalogPath(*this, path, start);
}

CatalogItem* CatalogTree::findDiskByNumber(uint32_t number, const CatalogItem* searchRoot) const {
    const CatalogItem* start = searchRoot ? searchRoot : root();
    if (!start)
        return nullptr;
    return FindDiskInFolders(start, [number](const CatalogItem& disk) {
        return disk.numberAttribute(attr::DiskNumber) == number;
    });
}

CatalogItem* CatalogTree::resolveShortcut(const CatalogItem* item, Prompter* report,
                                          const CatalogItem* searchRoot) const {
    const CatalogItem* current = item;
    for (int hop = 0; current && current->isShortcut(); ++hop) {
        const std::string_view target = current->textAttribute(attr::ShortcutTarget).value_or("");
        const CatalogItem* next = nullptr;
        if (hop < kMaxShortcutHops) {
            const size_t close = target.find("}:");
            if (target.starts_with("{Disk") && close != std::string_view::npos && close > 5) {
                uint32_t number = 0;
                bool valid = close - 5 <= 8;
                for (char c : target.substr(5, close - 5)) {
                    const int digit = c >= '0' && c <= '9'   ? c - '0'
                                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                             : -1;
                    valid = valid && digit >= 0;
                    number = number << 4 | uint32_t(digit & 15);
                }
                if (valid) {
                    if (const CatalogItem* disk = findDiskByNumber(number, searchRoot))
                        next = resolvePath(target.substr(close + 2), disk);
                }
            } else if (!target.empty()) {
                next = resolvePath(target, searchRoot);
            }
        }
        if (next == current || next == item)
            next = nullptr;
        if (!next) {
            if (report)
                report->error(Str(7), std::string(target));
            return nullptr;
        }
        current = next;
    }
    return const_cast<CatalogItem*>(current);
}

uint32_t CatalogTree::assignDiskNumber(CatalogItem* disk) {
    CatalogItem* top = root();
    const uint32_t number = top ? top->numberAttribute(attr::DiskNumber).value_or(1) : 1;
    setNumberAttribute(disk, attr::DiskNumber, number);
    if (top)
        setNumberAttribute(top, attr::DiskNumber, number + 1);
    return number;
}

void CatalogTree::assignMissingDiskNumbers(CatalogItem* scope, bool renumberAll) {
    CatalogItem* top = root();
    if (!top || !scope)
        return;
    uint64_t next = std::max<uint32_t>(1, top->numberAttribute(attr::DiskNumber).value_or(1));
    auto enterFolders = [](const CatalogItem& item) {
        return item.isFolder() && !item.isShortcut();
    };
    // Numbers already present elsewhere stay unique: continue after the highest one. (A file
    // written from a selection carries no counter on its root.)
    if (!renumberAll || scope != top) {
        WalkBelowIgnoringLocks(top, enterFolders, [&next](CatalogItem& item) {
            if (auto number = item.numberAttribute(attr::DiskNumber);
                item.isDisk() && !item.isShortcut() && number && *number >= next)
                next = uint64_t(*number) + 1;
            return true;
        });
    }
    auto give = [&](CatalogItem& item) {
        if (item.isDisk() && !item.isShortcut() &&
            (renumberAll || !item.hasAttribute(attr::DiskNumber)))
            setNumberAttribute(&item, attr::DiskNumber, uint32_t(next++));
        return true;
    };
    if (scope != top && scope->isDisk())
        give(*scope);
    else
        WalkBelowIgnoringLocks(scope, enterFolders, give);
    setNumberAttribute(top, attr::DiskNumber, uint32_t(next));
}

void CatalogTree::restoreFields(CatalogItem* item, const CatalogItem& saved) {
    if (item == &saved)
        return;
    if (saved.name_)
        setName(item, saved.name());
    item->flags_ = saved.flags_;
    item->sizeLow_ = saved.sizeLow_;
    item->date_ = saved.date_;
    for (uint8_t i = 0; i < item->attributeCount_; ++i)
        freeAttributeValue(item->attributes_[i]);
    item->attributeCount_ = 0;
    reserveAttributes(item, saved.attributeCount_);
    for (const ItemAttribute& attribute : saved.attributes())
        setAttribute(item, attribute);
}

CatalogTree::ChildRows& CatalogTree::childRows(const CatalogItem* parent) const {
    if (parent == TopLevel)
        parent = nullptr;
    auto [entry, added] = childRows_.try_emplace(parent);
    if (added) {
        for (CatalogItem* child = parent ? parent->firstChild_ : topLevel_; child;
             child = child->next_)
            entry->second.items.push_back(child);
    }
    return entry->second;
}

size_t CatalogTree::childCount(const CatalogItem* parent) const {
    return childRows(parent).items.size();
}

CatalogItem* CatalogTree::childAt(const CatalogItem* parent, size_t row) const {
    const ChildRows& rows = childRows(parent);
    return row < rows.items.size() ? rows.items[row] : nullptr;
}

std::optional<size_t> CatalogTree::rowOf(const CatalogItem* item) const {
    if (!item->parent_ && item != topLevel_) {
        bool topLevel = false;
        for (const CatalogItem* top = topLevel_; top && !topLevel; top = top->next_)
            topLevel = top == item;
        if (!topLevel)
            return std::nullopt;
    }
    ChildRows& rows = childRows(item->parent_);
    if (rows.rows.empty()) {
        rows.rows.reserve(rows.items.size());
        for (size_t row = 0; row < rows.items.size(); ++row)
            rows.rows.emplace(rows.items[row], row);
    }
    const auto found = rows.rows.find(item);
    if (found == rows.rows.end())
        return std::nullopt;
    return found->second;
}

size_t CatalogTree::memoryUsage() const {
    return arena_->bytesReserved();
}

}  // namespace shelfmark
