// The catalog's item record and its attributes.
//
// Every item of a catalog, whatever its kind (the root, a user folder, a disk, a directory, a
// file, an archive, an archive entry, an audio track, a shortcut), is the same small record: tree
// links, a 16-bit flag word, a UTF-8 name, the low 32 bits of the size, a date, and a short list
// of attributes with one-byte keys. Everything else known about an item is an attribute.
//
// A CatalogItem is read through its own const members; it is created, changed (anything that
// allocates or relinks) and freed only through the CatalogTree that owns it (CatalogTree.h). The
// members that neither allocate nor relink (setFlags, setDate) are on the item.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace shelfmark {

// Bits of the item flag word.
namespace itemflag {
constexpr uint16_t Directory = 0x0001;  // a container with a file system: directories and disks
constexpr uint16_t Folder = 0x0002;     // a user folder (also the catalog root)
constexpr uint16_t Archive = 0x0004;    // a file whose contents were read; entries are its children
constexpr uint16_t MediaType = 0x0078;  // disk media type, (flags >> 3) & 15; non-zero marks a disk
constexpr uint16_t ReWritable = 0x0100;   // disk on a rewritable medium
constexpr uint16_t Shortcut = 0x0200;     // shortcut; also carries the target's kind bits
constexpr uint16_t LastSibling = 0x2000;  // only in the database file: no next sibling
constexpr uint16_t NoChildren = 0x4000;   // only in the database file: no first child
constexpr uint16_t Unseen = 0x8000;       // transient mark while a disk is updated
constexpr uint16_t ContainerMask = Directory | Folder | Archive;  // items whose children count
}  // namespace itemflag

// Media type codes: (flags & itemflag::MediaType) >> 3.
enum class MediaType : uint8_t {
    None = 0,
    CdRom = 1,      // "CD/ DVD"
    AudioCd = 2,    // "Audio CD"
    Removable = 3,  // "Removable Disk"
    HardDisk = 4,   // "Hard Disk"
    Network = 5,    // "Network Drive"
    VideoCd = 6,    // "(Super) Video CD"
};

// The flag bits of a disk of the given media type (without Directory).
constexpr uint16_t MediaTypeFlags(MediaType type) {
    return uint16_t(uint16_t(type) << 3);
}
// A disk item's flags: Directory plus the media type bits.
constexpr uint16_t DiskFlags(MediaType type) {
    return itemflag::Directory | MediaTypeFlags(type);
}

// The value class of an attribute key, from its two top bits.
enum class AttributeClass : uint8_t {
    Transient = 0,  // 0x00-0x3F: a 32-bit value kept in memory only, never saved
    Number = 1,     // 0x40-0x7F: an unsigned 32-bit number
    Text = 2,       // 0x80-0xBF: a UTF-8 text
    Block = 3,      // 0xC0-0xFF: a byte block
};
constexpr AttributeClass ClassOfKey(uint8_t key) {
    return AttributeClass(key >> 6);
}

// Attribute keys the program itself uses. Keys not listed here (plug-in keys in 0x40-0xBF) are
// kept and saved like any other.
namespace attr {
constexpr uint8_t Unlocked = 0x05;         // transient: protected item unlocked this session (1)
constexpr uint8_t ReadThisSession = 0x06;  // transient: disk read since the catalog was opened
constexpr uint8_t Crc32 = 0x40;            // file: CRC32 of the content
constexpr uint8_t Categories = 0x41;       // up to four category ids, lowest byte first
constexpr uint8_t DiskId = 0x42;           // disk: user disk number; root: next number offered
constexpr uint8_t VolumeSerial = 0x43;     // disk: volume serial number
constexpr uint8_t LentDate = 0x44;         // disk: date lent (present only with LentTo)
constexpr uint8_t DriveIndex = 0x45;       // disk: drive read from (0 = A: ... 25 = Z:)
constexpr uint8_t SizeHigh = 0x47;         // high 32 bits of the size; absent means 0
constexpr uint8_t Length = 0x49;           // audio disk, track: length in seconds
constexpr uint8_t TrackNumber = 0x4A;      // track: "#"
constexpr uint8_t ImageWidth = 0x4B;
constexpr uint8_t ImageHeight = 0x4C;
constexpr uint8_t ImageBitDepth = 0x4D;
constexpr uint8_t DiskNumber = 0x4E;  // disk: internal number for "{Disk%04X}"; root: next free
constexpr uint8_t ExtraNumberFirst = 0x70;  // user-defined numeric extra information
constexpr uint8_t ExtraNumberLast = 0x7F;
constexpr uint8_t Description = 0x80;
constexpr uint8_t Volume = 0x81;          // disk: volume label
constexpr uint8_t LentTo = 0x82;          // disk: borrower, present while lent
constexpr uint8_t BaseDirectory = 0x83;   // disk: directory read as the disk, relative to the drive
constexpr uint8_t ShortcutTarget = 0x84;  // shortcut: the target's reference path
constexpr uint8_t Artist = 0x85;
constexpr uint8_t Title = 0x86;
constexpr uint8_t Source = 0x87;
constexpr uint8_t Location = 0x88;
constexpr uint8_t Comment = 0x89;
constexpr uint8_t Author = 0x8A;
constexpr uint8_t Album = 0x8B;
constexpr uint8_t Md5 = 0x8C;             // file: MD5, 32 lower-case hex digits
constexpr uint8_t SerialNumber = 0x8D;    // file: serial number found in its details
constexpr uint8_t ExtraTextFirst = 0xB0;  // user-defined text extra information
constexpr uint8_t ExtraTextLast = 0xBF;
constexpr uint8_t Toc = 0xC0;                   // audio disk: table of contents
constexpr uint8_t PasswordCheck = 0xC1;         // protected container: password check value
constexpr uint8_t CategoryDefinitions = 0xC2;   // root
constexpr uint8_t EncryptedName = 0xC3;         // item inside a protected subtree
constexpr uint8_t ExtraInfoDefinitions = 0xC4;  // root
constexpr uint8_t Thumbnail = 0xC5;             // file: JPEG image
}  // namespace attr

class CatalogTree;

// One attribute: a key and a value of the key's class. Texts and blocks are owned by the item
// (allocated from the tree's arena); a block is stored as its 32-bit byte count n followed by
// the n bytes. Read with the accessor matching ClassOfKey(key).
class ItemAttribute {
  public:
    uint8_t key() const { return key_; }
    AttributeClass valueClass() const { return ClassOfKey(key_); }
    // Transient and number keys.
    uint32_t number() const { return value_.number; }
    // Text keys: the text (may be empty).
    std::string_view text() const;
    // Block keys: the n bytes (without the count word).
    std::span<const uint8_t> block() const;

  private:
    friend class CatalogTree;
    uint8_t key_ = 0;
    union {
        uint32_t number;
        char* text;      // NUL-terminated
        uint8_t* block;  // 32-bit count (host order) + bytes
    } value_{};
};

class CatalogItem {
  public:
    CatalogItem() = default;
    CatalogItem(const CatalogItem&) = delete;
    CatalogItem& operator=(const CatalogItem&) = delete;

    // Links. parent() is null for a top-level item and for a detached one.
    CatalogItem* parent() const { return parent_; }
    CatalogItem* next() const { return next_; }
    // FirstChild: the head of the child list; null when there is none, and also when the item
    // is locked (password-protected and not unlocked): a locked item reads as empty.
    CatalogItem* firstChild() const { return isLocked() ? nullptr : firstChild_; }
    // The raw child link, locked or not. Only for code that keeps the tree's structure (the file
    // writer and reader, moves, deletes, undo, password protection itself); nothing that shows,
    // lists, searches or exports items may use it, or it would reveal a locked subtree.
    CatalogItem* firstChildIgnoringLock() const { return firstChild_; }

    uint16_t flags() const { return flags_; }
    // The plain name (UTF-8). Empty only for an item created without a name.
    std::string_view name() const { return {name_ ? name_ : "", nameLength_}; }
    // NUL-terminated form of name().
    const char* nameCStr() const { return name_ ? name_ : ""; }
    uint32_t sizeLow() const { return sizeLow_; }
    // Seconds since 1970-01-01 00:00:00 UTC; 0 when no date is known.
    int32_t date() const { return date_; }
    // GetSize: the 64-bit size (attribute SizeHigh << 32 | sizeLow).
    uint64_t size() const;

    // Flag word changes that need no allocation. The structure bits LastSibling and NoChildren
    // belong to the file only; callers keep them clear.
    void setFlags(uint16_t flags) { flags_ = flags; }
    void setDate(int32_t date) { date_ = date; }

    // Kind tests.
    bool isContainer() const { return (flags_ & itemflag::ContainerMask) != 0; }
    bool isFolder() const { return (flags_ & itemflag::Folder) != 0; }
    bool isDirectory() const { return (flags_ & itemflag::Directory) != 0; }
    bool isArchive() const { return (flags_ & itemflag::Archive) != 0; }
    bool isShortcut() const { return (flags_ & itemflag::Shortcut) != 0; }
    bool isDisk() const { return (flags_ & itemflag::MediaType) != 0; }
    MediaType mediaType() const { return MediaType((flags_ >> 3) & 15); }
    // Lent: has LentTo. Protected: has PasswordCheck. Locked: protected and not Unlocked.
    bool isLent() const { return hasAttribute(attr::LentTo); }
    bool isProtected() const { return hasAttribute(attr::PasswordCheck); }
    bool isLocked() const { return isProtected() && !hasAttribute(attr::Unlocked); }

    // GetAttribute, by value class. Each answers nothing when the key is absent (or, for the
    // typed forms, when the key is of another class).
    const ItemAttribute* findAttribute(uint8_t key) const;
    bool hasAttribute(uint8_t key) const { return findAttribute(key) != nullptr; }
    std::optional<uint32_t> numberAttribute(uint8_t key) const;  // transient and number keys
    std::optional<std::string_view> textAttribute(uint8_t key) const;
    std::optional<std::span<const uint8_t>> blockAttribute(uint8_t key) const;
    // Every attribute in array order (the order they were first set).
    std::span<const ItemAttribute> attributes() const { return {attributes_, attributeCount_}; }

    // The disk of this item: the nearest ancestor-or-self with a media type; null when none.
    const CatalogItem* disk() const;
    // The archive of this item: for a non-archive, the nearest ancestor with Archive.
    const CatalogItem* archive() const;

  private:
    friend class CatalogTree;
    // Field order kept from the classic record; 56 bytes on x86-64.
    CatalogItem* parent_ = nullptr;
    CatalogItem* next_ = nullptr;
    CatalogItem* firstChild_ = nullptr;
    char* name_ = nullptr;  // NUL-terminated, from the tree's arena
    ItemAttribute* attributes_ = nullptr;
    uint32_t nameLength_ = 0;
    uint32_t sizeLow_ = 0;
    int32_t date_ = 0;
    uint16_t flags_ = 0;
    uint8_t attributeCount_ = 0;
    uint8_t attributeCapacity_ = 0;
};

}  // namespace shelfmark
