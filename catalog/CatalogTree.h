// The catalog: one tree of CatalogItem records owned by a CatalogTree.
//
// Ownership: the tree allocates every item, name, attribute array, text and block from its own
// arena (ItemArena.h) and frees them all when it is cleared or destroyed. A detached item (made
// by RemoveItem with keep, or CopyItem without a parent) still lives in the tree's memory: it is
// the holder's (an undo step's) to put back with moveItem or to free with removeItem(item,false).
//
// Threads: the tree has no lock. One thread changes it at a time; readers run only while no one
// changes it (see the document's editing discipline).
//
// Walks: every walk over a subtree (count, sort, free, statistics, search helpers) is iterative
// and follows the parent links back up, so it needs neither recursion nor a stack and works at
// any depth. The database file limits nesting to 40 levels (CatalogFile.h).
//
// Conventions: read-only operations that concern one item are CatalogItem members
// (firstChild, size, numberAttribute, ...); everything that allocates, relinks or needs the
// whole catalog is here. Names use the operation names of the catalog's interface in
// lowerCamelCase (createItem = CreateItem, ...).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalog/CatalogItem.h"

namespace shelfmark {

class ItemArena;
class Prompter;

// Reserved values of the parent and position arguments. They are distinct addresses that are
// never real items; compare against them, never dereference them.
namespace detail {
extern CatalogItem gReservedItems[4];
}
// Parent argument: the top-level list. Also accepted by removeItem, countItems, sortSubtree.
inline CatalogItem* const TopLevel = &detail::gReservedItems[0];
// Position arguments: head of the child list, end of it, or ordered by CompareTreeOrder. Any
// other position is an existing child of the same parent to insert after.
inline CatalogItem* const First = &detail::gReservedItems[1];
inline CatalogItem* const Last = &detail::gReservedItems[2];
inline CatalogItem* const Sorted = &detail::gReservedItems[3];

// Display switches that change names and paths shown to the user (program settings).
struct CatalogDisplaySettings {
    bool showDescription = false;  // bShowDescription: show attribute 0x80 instead of the name
    bool showFullPath = false;     // bShowFullPath: paths start with the folder chain
};

// PathText mode bits.
namespace pathmode {
constexpr unsigned Plain = 0;        // the path inside the disk: "\Docs\a.txt"
constexpr unsigned Display = 1;      // "Label:\Docs\a.txt" with display names
constexpr unsigned FolderChain = 2;  // with Display: the folders above the disk in front
constexpr unsigned Reference = 4;    // "{Disk002A}:\Docs\a.txt"
}  // namespace pathmode

// GatherStatistics result.
struct CatalogStatistics {
    uint64_t totalSize = 0;
    uint64_t files = 0;
    uint64_t directories = 0;
    uint64_t disks = 0;
    uint64_t folders = 0;
};

// The name of a media type as lists show it ("CD/ DVD", "Removable Disk", ...); empty for None.
std::string MediaTypeText(MediaType type);

// The rank of an item in the tree order: folders 0, disks by media type 1-6, directories 6,
// files and archives 7; a shortcut 8 plus the rank of the kind it carries.
int TreeRank(const CatalogItem& item);
// Tree order (Sorted insertion and sortChildren): rank, then plain names case-insensitively.
int CompareTreeOrder(const CatalogItem& a, const CatalogItem& b);

// List order (list view columns). The column decides for items of equal rank.
enum class ListSortColumn { Name, Size, Date, Other };
struct ListSortKey {
    ListSortColumn column = ListSortColumn::Name;
    bool descending = false;
    bool equalizeMediaTypes = false;  // bEqualizeMediaTypes: every disk ranks 1
    // Other column: the column's text of an item; Name column: the shown name. When unset the
    // plain name is used.
    std::function<std::string(const CatalogItem&)> columnText;
    std::function<std::string(const CatalogItem&)> nameText;
};
int CompareListOrder(const CatalogItem& a, const CatalogItem& b, const ListSortKey& key);

class CatalogTree {
  public:
    CatalogTree();
    ~CatalogTree();
    CatalogTree(const CatalogTree&) = delete;
    CatalogTree& operator=(const CatalogTree&) = delete;

    // Head of the top-level list; in a loaded catalog the one item there is the root.
    CatalogItem* topLevel() const { return topLevel_; }
    CatalogItem* root() const { return topLevel_; }

    // Frees every item (detached ones too) and leaves the tree without items.
    void clear();
    // Takes over every item of `other` without copying: other's top-level items become detached
    // items of this tree (each keeping its subtree; link them in with moveItem or free them with
    // removeItem), and `other` is left without items. This is how a tree filled apart (a disk
    // read on a worker) joins the catalog in one step.
    void absorb(CatalogTree& other);
    // Empties the tree and creates the root of a new catalog: name " ", flags Folder,
    // DiskId = 1 and DiskNumber = 1. Returns the root.
    CatalogItem* resetToNewCatalog();

    // CreateItem: a zeroed item with the given flags linked under parent (an item, TopLevel or
    // nullptr = TopLevel) at position (First, Last, Sorted or a sibling to insert after). A name
    // of nullopt leaves the name empty; an empty name stores "?".
    CatalogItem* createItem(std::optional<std::string_view> name, CatalogItem* parent,
                            CatalogItem* position, uint16_t flags);
    // SetName: replaces the name; an empty text stores "?".
    void setName(CatalogItem* item, std::string_view name);

    // SetAttribute, by value class. A new key goes to the end of the array, a replaced key keeps
    // its place. Each answers false (and changes nothing) when the key is of another class or
    // the array already holds 255 entries.
    // Transient and number keys (0x00-0x7F). A transient key other than Unlocked stores 0.
    bool setNumberAttribute(CatalogItem* item, uint8_t key, uint32_t value);
    // Text keys (0x80-0xBF): copies the text; an empty text keeps the attribute present and empty.
    bool setTextAttribute(CatalogItem* item, uint8_t key, std::string_view text);
    // Block keys (0xC0-0xFF): copies the bytes (the 32-bit count is added by the store).
    bool setBlockAttribute(CatalogItem* item, uint8_t key, std::span<const uint8_t> bytes);
    // Copies an attribute of another item (any class) onto this one.
    bool setAttribute(CatalogItem* item, const ItemAttribute& attribute);
    // Makes room for `count` attributes in all, so that adding them does not grow the array
    // step by step (the file reader knows the count in advance).
    void reserveAttributes(CatalogItem* item, uint8_t count);
    // RemoveAttribute: removes the key (if present) and frees its value.
    void removeAttribute(CatalogItem* item, uint8_t key);

    // SetSize: sizeLow and attribute SizeHigh (removed when the high part is 0).
    void setSize(CatalogItem* item, uint64_t size);

    // MoveItem: unlinks the item (with its subtree) and links it under newParent (an item,
    // TopLevel or nullptr = TopLevel) at position. Also puts a detached item back. Refuses
    // (false, nothing changed) to move an item into its own subtree.
    bool moveItem(CatalogItem* item, CatalogItem* newParent, CatalogItem* position);
    // MoveItem with position Sorted that keeps folder sizes: when the item is a folder or a disk
    // its size leaves every former ancestor and joins every new one, the top-level item aside.
    void moveItemKeepingSizes(CatalogItem* item, CatalogItem* newParent);
    // Adds delta to the size of `from` and every ancestor of it, stopping below the top level
    // (the root's size is never changed). For copies and deletes of folders and disks.
    void addToFolderSizes(CatalogItem* from, int64_t delta);

    // RemoveItem: unlinks the item. keep = false: frees it and its descendants. keep = true: the
    // item keeps its subtree and becomes detached (parent and next cleared). TopLevel: every
    // top-level item.
    void removeItem(CatalogItem* item, bool keep);

    // CopyItem: a new item with the source's name, flags, sizeLow, date and attributes (deep
    // copies), without children; linked under parent at position, detached when parent is null.
    // The source may belong to another tree.
    CatalogItem* copyItem(const CatalogItem* source, CatalogItem* parent, CatalogItem* position);

    // SortChildren: reorders the child list by the tree order (unstable).
    void sortChildren(CatalogItem* item);
    // SortSubtree: sortChildren for the item (or every top-level item) and every descendant.
    void sortSubtree(CatalogItem* item);

    // CountItems: items below item (or below every top-level item, TopLevel), entering containers
    // only; locked ones are entered. This is the number of records the file writer writes.
    uint64_t countItems(const CatalogItem* item) const;

    // GatherStatistics (includeArchives: archive entries count as files too).
    CatalogStatistics gatherStatistics(const CatalogItem* item, bool includeArchives) const;

    // DisplayName: plain = true: the name; otherwise the description when showDescription is on
    // and the item has one.
    std::string displayName(const CatalogItem* item, bool plain) const;
    // TypeText: "Shortcut", "Folder", the media type text, "Directory", or the file-type name.
    std::string typeText(const CatalogItem* item) const;
    // PathText with pathmode bits.
    std::string pathText(const CatalogItem* item, unsigned mode) const;
    // ResolvePath: follows a catalog path (CatalogPath.h: names separated by "\" or "/", "\\"
    // for a backslash inside a name, a trailing ":" dropped) from start (or the root) through
    // children honouring locks; null when a name is not found.
    CatalogItem* resolvePath(std::string_view path, const CatalogItem* start) const;
    // ResolveShortcut: the final non-shortcut target, or null (a cycle, a missing target). With
    // a prompter a missing target shows "This item was not found." captioned with the 0x84 text.
    // Targets are looked for below searchRoot (default: the root; an import folder while
    // importing).
    CatalogItem* resolveShortcut(const CatalogItem* item, Prompter* report,
                                 const CatalogItem* searchRoot = nullptr) const;
    // The disk with internal number n, searching folders below searchRoot (default: the root;
    // locked folders are not entered); null when none.
    CatalogItem* findDiskByNumber(uint32_t number, const CatalogItem* searchRoot = nullptr) const;

    // Internal disk numbers: gives a disk the root's next number and raises the counter.
    uint32_t assignDiskNumber(CatalogItem* disk);
    // After loading: every disk in `scope` (the root, or an import folder beside it) without a
    // DiskNumber, or every disk there when renumberAll, gets the root's next number, depth-first
    // through folders (disks are not entered). The counter first moves past the highest number
    // the root's disks already carry, so numbers stay unique; it is stored on the root at the end.
    void assignMissingDiskNumbers(CatalogItem* scope, bool renumberAll);

    CatalogDisplaySettings& displaySettings() { return display_; }
    const CatalogDisplaySettings& displaySettings() const { return display_; }

    // Bytes of memory the tree holds for items, names and attributes (for measurements).
    size_t memoryUsage() const;

    // Overwrites the item's name, flags, size, date and attributes (in their order) with those
    // of `saved`, which may be a detached copy. Links and children stay.
    void restoreFields(CatalogItem* item, const CatalogItem& saved);

    // Row access for views. A container's children are listed in a vector built on first use
    // and dropped by the tree whenever that child list changes, so a view of a folder of 100,000
    // files reads any row in constant time. Children are counted raw (locks are not honoured).
    // parent may be TopLevel. Not thread-safe, not even for concurrent readers.
    size_t childCount(const CatalogItem* parent) const;
    // Null when row is past the end.
    CatalogItem* childAt(const CatalogItem* parent, size_t row) const;
    // The row of an item among its parent's children; nothing for a detached item.
    std::optional<size_t> rowOf(const CatalogItem* item) const;

  private:
    struct ChildRows {
        std::vector<CatalogItem*> items;
        std::unordered_map<const CatalogItem*, size_t> rows;  // filled by the first rowOf
    };
    ChildRows& childRows(const CatalogItem* parent) const;
    void forgetRows(const CatalogItem* parent) {
        if (!childRows_.empty())
            childRows_.erase(parent == TopLevel ? nullptr : parent);
    }

    void link(CatalogItem* item, CatalogItem* parent, CatalogItem* position);
    void unlink(CatalogItem* item);
    void freeSubtree(CatalogItem* item);
    void freeAttributeValue(ItemAttribute& attribute);
    ItemAttribute* attributeSlot(CatalogItem* item, uint8_t key);
    void resizeAttributeArray(CatalogItem* item, unsigned capacity);

    std::unique_ptr<ItemArena> arena_;
    CatalogItem* topLevel_ = nullptr;
    CatalogDisplaySettings display_;
    // Keyed by the parent, nullptr for the top level.
    mutable std::unordered_map<const CatalogItem*, ChildRows> childRows_;
};

}  // namespace shelfmark
