#include "catalog/CatalogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <span>
#include <unordered_map>
#include <utility>

#include "catalog/FileText.h"
#include "catalog/TreeWalk.h"
#include "foundation/AtomicFile.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "platform/crypto/Rc4.h"

namespace shelfmark {
namespace {

constexpr uint16_t kStructureBits = itemflag::LastSibling | itemflag::NoChildren;
constexpr size_t kSinkChunk = size_t(1) << 20;

// ---------------------------------------------------------------------------------------------
// Writing

// How an item's name goes into the file. Below a protection whose names are encrypted it is
// written as "!" with its encrypted form; elsewhere in plain. While the protection is unlocked
// in memory (the tree holds its name key) the encrypted form is made afresh from the current
// name, so items renamed, added or moved in since are covered; a locked protection's items are
// written as they were read. An item that still carries an encrypted name but lies below no
// protection with encrypted names any more (moved out, or exported without it) is written
// with its plain name and without the stale encrypted form, which nothing could decrypt.
enum class NameForm { Plain, AsStored, Encrypted };

class FileWriter {
  public:
    explicit FileWriter(const ByteSink& sink, const CatalogTree* keys = nullptr)
        : sink_(sink), keys_(keys) {
        buffer_.reserve(kSinkChunk + 256);
    }

    void u8(uint8_t value) { buffer_ += char(value); }
    void u16(uint16_t value) {
        u8(uint8_t(value));
        u8(uint8_t(value >> 8));
    }
    void u32(uint32_t value) {
        char bytes[4] = {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
        buffer_.append(bytes, 4);
    }
    void bytes(std::string_view data) {
        if (data.size() > kSinkChunk) {
            flush();
            ok_ = ok_ && sink_(data);
            return;
        }
        buffer_ += data;
        maybeFlush();
    }
    // The length-prefixed text form.
    void text(std::string_view value) {
        const size_t n = value.size();
        if (n < 255) {
            u8(uint8_t(n));
        } else if (n < 0xFFFE) {
            u8(0xFF);
            u16(uint16_t(n));
        } else {
            u8(0xFF);
            u16(0xFFFF);
            u32(uint32_t(n));
        }
        bytes(value);
    }

    // The stored attributes (transient ones left out). `encryptedName`: the encrypted-name
    // block to write in place of the stored one (appended when there is none); nothing with
    // `dropEncryptedName` leaves it out.
    void attributes(const CatalogItem& item,
                    std::optional<std::span<const uint8_t>> encryptedName = std::nullopt,
                    bool dropEncryptedName = false) {
        const bool hadName = item.hasAttribute(attr::EncryptedName);
        unsigned kept = 0;
        for (const ItemAttribute& attribute : item.attributes())
            kept += attribute.key() >= 0x40;
        if (hadName && dropEncryptedName)
            --kept;
        if (!hadName && encryptedName)
            ++kept;
        u8(uint8_t(kept));
        auto block = [this](uint8_t key, std::span<const uint8_t> value, bool withKey) {
            if (withKey)
                u8(key);
            u32(uint32_t(value.size()));
            bytes({reinterpret_cast<const char*>(value.data()), value.size()});
        };
        for (const ItemAttribute& attribute : item.attributes()) {
            if (attribute.key() < 0x40)
                continue;
            if (attribute.key() == attr::EncryptedName && (encryptedName || dropEncryptedName)) {
                if (encryptedName)
                    block(attr::EncryptedName, *encryptedName, true);
                continue;
            }
            u8(attribute.key());
            switch (attribute.valueClass()) {
                case AttributeClass::Number:
                    u32(attribute.number());
                    break;
                case AttributeClass::Text:
                    text(attribute.text());
                    break;
                default:
                    block(attribute.key(), attribute.block(), false);
                    break;
            }
        }
        if (!hadName && encryptedName)
            block(attr::EncryptedName, *encryptedName, true);
    }

    // `cover`: the nearest protected item above this one inside the file, if any.
    void record(const CatalogItem& item, bool lastSibling, const CatalogItem* cover) {
        uint16_t flags = item.flags() & ~(kStructureBits | itemflag::Unseen);
        if (lastSibling)
            flags |= itemflag::LastSibling;
        if (!item.firstChildIgnoringLock())
            flags |= itemflag::NoChildren;
        u16(flags);
        const NameForm form = nameForm(item, cover);
        // Encrypted names never reach the file in plain form.
        text(form == NameForm::Plain ? item.name() : std::string_view("!"));
        u32(item.sizeLow());
        u32(uint32_t(item.date()));
        if (form == NameForm::Encrypted) {
            const std::string_view name = item.name();
            encrypted_.assign(name.begin(), name.end());
            cipherFor(*cover).crypt(encrypted_);
            attributes(item, std::span<const uint8_t>(encrypted_));
        } else {
            attributes(item, std::nullopt, form == NameForm::Plain);
        }
        maybeFlush();
    }

    // The item's subtree below it, as the reader expects it; `depth` is the item's own depth
    // in the file and `cover` the nearest protected item above it in the file. Stops at the
    // first item deeper than the reader accepts.
    void subtree(const CatalogItem& item, int depth, const CatalogItem* cover) {
        if (!item.isContainer())
            return;
        // covers[n]: the protection over the items n levels below `item`.
        std::vector<const CatalogItem*> covers{cover, item.isProtected() ? &item : cover};
        const CatalogItem* current = item.firstChildIgnoringLock();
        int level = depth + 1;
        size_t below = 1;
        while (current && ok_) {
            if (level > kMaxFileLevels) {
                tooDeep_ = current;
                ok_ = false;
                return;
            }
            record(*current, current->next() == nullptr, covers[below]);
            if (current->isContainer() && current->firstChildIgnoringLock()) {
                covers.resize(below + 1);
                covers.push_back(current->isProtected() ? current : covers[below]);
                current = current->firstChildIgnoringLock();
                ++level;
                ++below;
                continue;
            }
            while (!current->next()) {
                current = current->parent();
                --level;
                --below;
                if (!current || current == &item)
                    return;
            }
            current = current->next();
        }
    }

    // Why the writing stopped, when it was an item too deep for the file.
    void explain(std::string* error) const {
        if (!error || !tooDeep_)
            return;
        std::string path;
        for (const CatalogItem* step = tooDeep_; step && step->parent(); step = step->parent())
            path = path.empty() ? std::string(step->name())
                                : std::string(step->name()) + "\\" + path;
        *error = "'" + path + "' lies more than " + std::to_string(kMaxFileLevels) +
                 " levels below the top of the catalog, deeper than a catalog file can hold";
    }

    void header() {
        bytes(kCatalogHeader);
        u8(kCatalogVersion);
    }

    bool finish() {
        flush();
        return ok_;
    }

  private:
    NameForm nameForm(const CatalogItem& item, const CatalogItem* cover) const {
        if (!cover)
            return NameForm::Plain;
        if (cover->isLocked())
            return item.hasAttribute(attr::EncryptedName) ? NameForm::AsStored : NameForm::Plain;
        if (keys_ && keys_->nameKey(*cover))
            return NameForm::Encrypted;
        return NameForm::Plain;
    }
    Rc4StreamStart& cipherFor(const CatalogItem& cover) {
        auto found = ciphers_.find(&cover);
        if (found == ciphers_.end()) {
            const CatalogTree::NameKey* key = keys_->nameKey(cover);
            found = ciphers_.emplace(&cover, Rc4StreamStart(key->key)).first;
        }
        return found->second;
    }

    void maybeFlush() {
        if (buffer_.size() >= kSinkChunk)
            flush();
    }
    void flush() {
        if (!buffer_.empty())
            ok_ = ok_ && sink_(buffer_);
        buffer_.clear();
    }

    const ByteSink& sink_;
    const CatalogTree* keys_;
    std::unordered_map<const CatalogItem*, Rc4StreamStart> ciphers_;
    std::vector<uint8_t> encrypted_;
    std::string buffer_;
    const CatalogItem* tooDeep_ = nullptr;
    bool ok_ = true;
};

// ---------------------------------------------------------------------------------------------
// Reading

// Thrown inside the reader only: the file is truncated or malformed.
struct DamagedFile {
    const char* reason;
};

// Eight bytes at a time: nearly every name in a catalog is plain ASCII.
bool IsAscii(std::string_view text) {
    size_t i = 0;
    uint64_t high = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        high |= word;
    }
    for (; i < text.size(); ++i)
        high |= static_cast<unsigned char>(text[i]);
    return (high & 0x8080808080808080ull) == 0;
}

class FileCursor {
  public:
    explicit FileCursor(std::string_view bytes)
        : data_(reinterpret_cast<const uint8_t*>(bytes.data())), size_(bytes.size()) {}

    size_t remaining() const { return size_ - offset_; }
    size_t offset() const { return offset_; }
    bool atEnd() const { return offset_ == size_; }

    const uint8_t* take(size_t count) {
        if (count > remaining())
            throw DamagedFile{"the file ends in the middle of a record"};
        const uint8_t* at = data_ + offset_;
        offset_ += count;
        return at;
    }
    uint8_t u8() { return *take(1); }
    uint16_t u16() {
        const uint8_t* p = take(2);
        return uint16_t(p[0] | p[1] << 8);
    }
    uint32_t u32() {
        const uint8_t* p = take(4);
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }

    // A length in the three forms; `wide` is set when the 0xFFFE marker introduces the wide form.
    size_t length(bool* wide) {
        const uint8_t first = u8();
        if (first < 0xFF)
            return first;
        const uint16_t second = u16();
        if (second == 0xFFFE && wide) {
            *wide = true;
            return length(nullptr);
        }
        if (second == 0xFFFF)
            return u32();
        return second;
    }

    // A text as UTF-8. `scratch` holds converted texts; the view is valid until the next call.
    std::string_view text(std::string& scratch) {
        bool wide = false;
        const size_t n = length(&wide);
        if (wide) {
            if (n > remaining() / 2)
                throw DamagedFile{"a text is longer than the file"};
            scratch = Utf16LeToUtf8({take(2 * n), 2 * n});
            return scratch;
        }
        const std::string_view raw(reinterpret_cast<const char*>(take(n)), n);
        if (!IsAscii(raw)) {
            scratch = FileBytesToUtf8(raw);
            return scratch;
        }
        return raw;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

std::string FormatNumbers(std::string_view pattern, std::initializer_list<int> numbers) {
    // Only "%d" and "%%" are expanded: a language file's text never reaches printf.
    std::string out;
    auto next = numbers.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 'd') {
            if (next != numbers.end())
                out += std::to_string(*next++);
            ++i;
        } else if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

struct Level {
    CatalogItem* parent = nullptr;
    CatalogItem* previous = nullptr;
    bool lastSiblingSeen = false;
};

// The reader's nesting: one level per open container, at most kMaxFileLevels.
class LevelStack {
  public:
    explicit LevelStack(CatalogItem* top) { levels_[0].parent = top; }

    // Leaves the levels whose last sibling was read; false when the top level is finished.
    bool settle() {
        while (levels_[depth_].lastSiblingSeen) {
            if (depth_ == 0)
                return false;
            --depth_;
        }
        return true;
    }
    Level& current() { return levels_[depth_]; }
    // Opens a level below `parent`; false when it would be one too many.
    bool open(CatalogItem* parent) {
        if (depth_ + 1 == kMaxFileLevels)
            return false;
        levels_[++depth_] = Level{parent, nullptr, false};
        return true;
    }

  private:
    Level levels_[kMaxFileLevels];
    int depth_ = 0;
};

class CatalogReader {
  public:
    CatalogReader(std::string_view bytes, CatalogTree& tree, Prompter& prompter,
                  const CatalogReadOptions& options)
        : in_(bytes), tree_(tree), prompter_(prompter), options_(options) {}

    CatalogReadResult run();

  private:
    void readAttributes(CatalogItem* item);
    void readCurrent(CatalogItem* scope);
    void readOld(CatalogItem* scope);
    CatalogItem* addItem(Level& level, std::string_view name, uint16_t flags);
    void reportProgress(uint64_t done, uint64_t total);
    void finishCurrent(CatalogItem* scope);

    FileCursor in_;
    CatalogTree& tree_;
    Prompter& prompter_;
    const CatalogReadOptions& options_;
    CatalogReadResult result_;
    std::string scratch_;
    std::vector<CatalogItem*> shortcuts_;
    uint64_t progressStep_ = 1;
};

void CatalogReader::readAttributes(CatalogItem* item) {
    const uint8_t count = in_.u8();
    if (count > in_.remaining() / 2)
        throw DamagedFile{"more attributes than the file holds"};
    tree_.reserveAttributes(item, count);
    for (uint8_t i = 0; i < count; ++i) {
        const uint8_t key = in_.u8();
        switch (ClassOfKey(key)) {
            case AttributeClass::Transient:
                throw DamagedFile{"an attribute key below 0x40 is stored"};
            case AttributeClass::Number:
                tree_.setNumberAttribute(item, key, in_.u32());
                break;
            case AttributeClass::Text:
                tree_.setTextAttribute(item, key, in_.text(scratch_));
                break;
            case AttributeClass::Block: {
                const uint32_t n = in_.u32();
                tree_.setBlockAttribute(item, key, {in_.take(n), n});
                break;
            }
        }
    }
}

CatalogItem* CatalogReader::addItem(Level& level, std::string_view name, uint16_t flags) {
    CatalogItem* item =
        tree_.createItem(name, level.parent, level.previous ? level.previous : First, flags);
    level.previous = item;
    return item;
}

void CatalogReader::reportProgress(uint64_t done, uint64_t total) {
    if (options_.progress && done % progressStep_ == 0)
        options_.progress(done, total);
}

void CatalogReader::readCurrent(CatalogItem* scope) {
    // The root's attributes replace those of the item read into.
    while (!scope->attributes().empty())
        tree_.removeAttribute(scope, scope->attributes().front().key());
    readAttributes(scope);
    const uint64_t total = in_.u32();
    progressStep_ = std::max<uint64_t>(1, (total + 999) / 1000);

    LevelStack levels(scope);
    uint64_t read = 0;
    bool stoppedEarly = false;
    while (read < total) {
        if (!levels.settle()) {
            stoppedEarly = true;
            break;
        }
        const uint16_t stored = in_.u16();
        const std::string_view name = in_.text(scratch_);
        const uint16_t flags = stored & ~(kStructureBits | itemflag::Unseen);
        CatalogItem* item = addItem(levels.current(), name, flags);
        levels.current().lastSiblingSeen = stored & itemflag::LastSibling;
        tree_.setSize(item, in_.u32());
        item->setDate(int32_t(in_.u32()));
        readAttributes(item);
        reportProgress(++read, total);
        if (flags & itemflag::Shortcut) {
            if (!(flags & itemflag::Folder))
                shortcuts_.push_back(item);
        } else if ((flags & itemflag::ContainerMask) && !(stored & itemflag::NoChildren)) {
            if (!levels.open(item)) {
                stoppedEarly = true;
                break;
            }
        }
    }
    // Records that close the top level (or nest too deep) early are fine only at the file's end.
    if (stoppedEarly && !in_.atEnd())
        throw DamagedFile{"the records end before the item count while data follows"};
    result_.records = read;
}

void CatalogReader::finishCurrent(CatalogItem* scope) {
    const bool importing = options_.importTarget != nullptr;
    if (options_.unlockProtected)
        options_.unlockProtected(tree_, scope);

    std::vector<std::pair<CatalogItem*, CatalogItem*>> resolved;
    for (CatalogItem* shortcut : shortcuts_) {
        if (CatalogItem* target = tree_.resolveShortcut(shortcut, nullptr, scope))
            resolved.emplace_back(shortcut, target);
    }

    tree_.assignMissingDiskNumbers(scope, importing);

    if (importing) {
        bool kept = true;
        if (options_.placeImported) {
            kept = options_.placeImported(tree_, scope);
        } else {
            while (CatalogItem* child = scope->firstChildIgnoringLock())
                tree_.moveItemKeepingSizes(child, options_.importTarget);
        }
        auto insideScope = [scope](const CatalogItem* item) {
            for (; item; item = item->parent()) {
                if (item == scope)
                    return true;
            }
            return false;
        };
        // Items the hook left in the temporary folder go with it.
        std::erase_if(resolved, [&](const auto& pair) {
            return insideScope(pair.first) || insideScope(pair.second);
        });
        if (!kept)
            result_.status = CatalogReadStatus::Discarded;
        tree_.removeItem(scope, false);
    }
    for (const auto& [shortcut, target] : resolved)
        tree_.setTextAttribute(shortcut, attr::ShortcutTarget,
                               tree_.pathText(target, pathmode::Reference));
}

void CatalogReader::readOld(CatalogItem* scope) {
    const uint8_t version = result_.version;
    const bool v21 = version == 0x21;
    const bool v22 = version == 0x22;
    in_.u8();  // not used
    const uint64_t total = in_.u32();
    const uint16_t lastDiskId = in_.u16();
    if (!options_.importTarget)
        tree_.setNumberAttribute(tree_.root(), attr::DiskId, uint32_t(lastDiskId) + 1);
    progressStep_ = std::max<uint64_t>(1, (total + 999) / 1000);

    // The track starts (in seconds) and total length of the audio disk being read.
    const CatalogItem* audioDisk = nullptr;
    std::vector<uint32_t> trackStarts;
    uint32_t audioLength = 0;

    LevelStack levels(scope);
    uint64_t read = 0;
    bool stoppedEarly = false;
    while (read < total) {
        if (!levels.settle()) {
            stoppedEarly = true;
            break;
        }
        const std::string name(in_.text(scratch_));
        const uint16_t raw = in_.u16();
        const uint32_t sizeLow = in_.u32();
        const uint8_t sizeHigh = in_.u8();
        const int32_t date = int32_t(in_.u32());

        uint16_t flags = raw;
        if (v21) {
            flags = 0;
            if (raw & 0x0002)
                flags |= itemflag::Directory;
            if (raw & 0x0040)
                flags |= itemflag::Folder;
            if (raw & 0x0800)
                flags |= itemflag::Archive;
            if (raw & 0x0004)
                flags |= itemflag::LastSibling;
            if (raw & 0x0008)
                flags |= itemflag::NoChildren;
            if (raw & 0x0010)
                flags |= MediaTypeFlags((raw & 0x0080) ? MediaType::AudioCd : MediaType::CdRom);
            if (raw & 0x0100)
                flags |= MediaTypeFlags(MediaType::Removable);
            if (raw & 0x0200)
                flags |= MediaTypeFlags(MediaType::HardDisk);
            if (raw & 0x0400)
                flags |= MediaTypeFlags(MediaType::Network);
        }
        const uint16_t structure = flags;
        uint16_t kept = flags & ~(0x0040 | 0x0080 | kStructureBits);
        if (kept & 0x0038)
            kept &= ~itemflag::Archive;

        CatalogItem* item = addItem(levels.current(), name, kept);
        levels.current().lastSiblingSeen = structure & itemflag::LastSibling;
        tree_.setSize(item, uint64_t(sizeHigh) << 32 | sizeLow);
        item->setDate(date);

        const std::string_view note = in_.text(scratch_);
        if (!v21 && (raw & itemflag::Shortcut))
            tree_.setTextAttribute(item, attr::ShortcutTarget, note);
        else if (!note.empty())
            tree_.setTextAttribute(item, attr::Description, note);
        if (v22 && (raw & 0x0040))
            tree_.setNumberAttribute(item, attr::Crc32, in_.u32());

        if (kept & itemflag::ContainerMask) {
            if (v22 && (raw & 0x0080))
                tree_.setNumberAttribute(item, attr::Categories, in_.u32());
            if (item->isDisk() && !item->isShortcut()) {
                tree_.setNumberAttribute(item, attr::DiskId, in_.u16());
                if (auto base = in_.text(scratch_); !base.empty())
                    tree_.setTextAttribute(item, attr::BaseDirectory, base);
                if (auto volume = in_.text(scratch_); !volume.empty())
                    tree_.setTextAttribute(item, attr::Volume, volume);
                tree_.setNumberAttribute(item, attr::VolumeSerial, in_.u32());
                tree_.setNumberAttribute(item, attr::DriveIndex, in_.u8());
                const std::string borrower(in_.text(scratch_));
                const uint32_t lentDate = in_.u32();
                if (!borrower.empty()) {
                    tree_.setTextAttribute(item, attr::LentTo, borrower);
                    tree_.setNumberAttribute(item, attr::LentDate, lentDate);
                }
                const MediaType type = item->mediaType();
                if (type == MediaType::AudioCd || (v21 && type == MediaType::CdRom)) {
                    const uint32_t packed = in_.u32();
                    const unsigned tracks = packed & 0xFF;
                    audioLength = (packed >> 8) & 0xFFFF;
                    tree_.setNumberAttribute(item, attr::Length, audioLength);
                    trackStarts.clear();
                    for (unsigned t = 0; t < tracks; ++t)
                        trackStarts.push_back(in_.u32() / 75);
                    audioDisk = type == MediaType::AudioCd ? item : nullptr;
                }
                tree_.assignDiskNumber(item);
            }
        } else {
            if (audioDisk && item->parent() == audioDisk && name.starts_with("Track")) {
                // The number as "Track%d" reads it.
                const char* digits = name.c_str() + 5;
                char* end = nullptr;
                const long n = std::strtol(digits, &end, 10);
                if (end != digits && n >= 1 && n < 100 && size_t(n) <= trackStarts.size()) {
                    const uint32_t start = trackStarts[size_t(n) - 1];
                    const uint32_t finish =
                        size_t(n) < trackStarts.size() ? trackStarts[size_t(n)] : audioLength;
                    tree_.setNumberAttribute(item, attr::TrackNumber, uint32_t(n));
                    tree_.setNumberAttribute(item, attr::Length, finish - start);
                }
            }
            item->setFlags(0);
        }
        reportProgress(++read, total);
        if (!(kept & itemflag::Shortcut) && (kept & itemflag::ContainerMask) &&
            !(structure & itemflag::NoChildren)) {
            if (!levels.open(item)) {
                stoppedEarly = true;
                break;
            }
        }
    }
    if (stoppedEarly && !in_.atEnd())
        throw DamagedFile{"the records end before the item count while data follows"};
    result_.records = read;
}

CatalogReadResult CatalogReader::run() {
    result_.showConvertHint = options_.showConvertHint;
    const bool importing = options_.importTarget != nullptr;
    if (!importing)
        tree_.resetToNewCatalog();
    CatalogItem* scope = nullptr;
    std::optional<uint32_t> savedCounter;
    try {
        if (in_.remaining() >= kOldCatalogHeader.size() &&
            std::memcmp(in_.take(0), kOldCatalogHeader.data(), kOldCatalogHeader.size()) == 0) {
            in_.take(kOldCatalogHeader.size());
        } else if (in_.remaining() >= kCatalogHeader.size() &&
                   std::memcmp(in_.take(0), kCatalogHeader.data(), kCatalogHeader.size()) == 0) {
            in_.take(kCatalogHeader.size());
        } else {
            result_.status = CatalogReadStatus::NotCatalog;
            return result_;
        }
        const uint8_t version = in_.u8();
        result_.version = version;
        if (version > kCatalogVersion) {
            result_.status = CatalogReadStatus::TooNew;
            return result_;
        }
        if (version < 0x21) {
            result_.status = CatalogReadStatus::TooOld;
            return result_;
        }

        const bool old = version < kCatalogVersion;
        if (importing) {
            // Both formats are read into a folder beside the root, so a rejected file adds nothing.
            scope = tree_.createItem(
                options_.importName.empty() ? std::string_view("?") : options_.importName, TopLevel,
                Last, itemflag::Folder);
            if (tree_.root())
                savedCounter = tree_.root()->numberAttribute(attr::DiskNumber);
        } else {
            scope = tree_.root();
        }

        if (old) {
            if (options_.showConvertHint < kConvertHintSuppressed) {
                PromptHint hint;
                hint.message.text = FormatNumbers(Str(35), {version >> 4, version & 15, 3, 0});
                hint.message.icon = PromptIcon::Information;
                hint.checkBoxText = "Do not show this message again";
                prompter_.showHint(hint);
                if (hint.checked)
                    result_.showConvertHint = kConvertHintSuppressed;
            }
            readOld(scope);
            if (importing) {
                // Old files put their items straight under the target, in file order.
                CatalogItem* previous = nullptr;
                while (CatalogItem* child = scope->firstChildIgnoringLock()) {
                    tree_.moveItem(child, options_.importTarget, previous ? previous : First);
                    result_.imported.push_back(child);
                    previous = child;
                }
                tree_.removeItem(scope, false);
            }
        } else {
            readCurrent(scope);
            if (importing) {
                for (CatalogItem* child = scope->firstChildIgnoringLock(); child; child = child->next())
                    result_.imported.push_back(child);
            }
            result_.status = CatalogReadStatus::Ok;
            finishCurrent(scope);
            if (result_.status != CatalogReadStatus::Ok) {
                // Thrown away: the numbers its disks took are free again.
                result_.imported.clear();
                if (savedCounter && tree_.root())
                    tree_.setNumberAttribute(tree_.root(), attr::DiskNumber, *savedCounter);
            }
            return result_;
        }
        result_.status = CatalogReadStatus::Ok;
        return result_;
    } catch (const DamagedFile&) {
        result_.status = CatalogReadStatus::Damaged;
        result_.records = 0;
        if (importing) {
            if (scope)
                tree_.removeItem(scope, false);
            if (savedCounter && tree_.root())
                tree_.setNumberAttribute(tree_.root(), attr::DiskNumber, *savedCounter);
        } else {
            tree_.resetToNewCatalog();
        }
        return result_;
    }
}

void ShowRejection(const CatalogReadResult& result, Prompter& prompter, std::string_view fileName) {
    switch (result.status) {
        case CatalogReadStatus::TooNew:
            prompter.error(Str(105));
            break;
        case CatalogReadStatus::TooOld:
            prompter.error(Str(106));
            break;
        case CatalogReadStatus::NotCatalog:
        case CatalogReadStatus::Damaged:
            prompter.error("The file '" + std::string(fileName) +
                           "' is damaged or is not a catalog file.");
            break;
        default:
            break;
    }
}

std::string_view BaseName(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

CatalogReadResult ReadCatalog(std::string_view bytes, CatalogTree& tree, Prompter& prompter,
                              const CatalogReadOptions& options, std::string_view fileName) {
    CatalogReader reader(bytes, tree, prompter, options);
    CatalogReadResult result = reader.run();
    ShowRejection(result, prompter, fileName);
    return result;
}

CatalogReadResult ReadCatalogFile(const std::string& path, CatalogTree& tree, Prompter& prompter,
                                  const CatalogReadOptions& options) {
    std::string bytes;
    CatalogReadResult failed;
    failed.showConvertHint = options.showConvertHint;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        failed.systemError = std::strerror(errno);
        return failed;
    }
    struct stat info {};
    const bool examined = ::fstat(fd, &info) == 0;
    bool readable = examined && S_ISREG(info.st_mode);
    if (!examined)
        failed.systemError = std::strerror(errno);
    else if (S_ISDIR(info.st_mode))
        failed.systemError = "it is a directory";
    else if (!readable)
        failed.systemError = "it is not a regular file";
    const std::optional<FileStamp> stamp = StampOfDescriptor(fd);
    if (readable) {
        bytes.resize(size_t(info.st_size));
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                failed.systemError = std::strerror(errno);
                readable = false;
            }
            if (got <= 0)
                break;
            done += size_t(got);
        }
        bytes.resize(done);
    }
    ::close(fd);
    if (!readable)
        return failed;
    CatalogReadResult result = ReadCatalog(bytes, tree, prompter, options, BaseName(path));
    result.stamp = stamp;
    return result;
}

bool WriteCatalog(const CatalogTree& tree, const ByteSink& sink, std::string* error) {
    FileWriter writer(sink, &tree);
    writer.header();
    const CatalogItem* root = tree.root();
    if (!root) {
        writer.u8(0);
        writer.u32(0);
        return writer.finish();
    }
    writer.attributes(*root);
    const uint64_t count = tree.countItems(root);
    if (count > UINT32_MAX)
        return false;
    writer.u32(uint32_t(count));
    writer.subtree(*root, 0, nullptr);
    writer.explain(error);
    return writer.finish();
}

bool WriteSelection(std::span<const CatalogItem* const> items, const ByteSink& sink,
                    std::string* error, const CatalogTree* keys) {
    uint64_t count = 0;
    for (const CatalogItem* item : items)
        count += 1 + CountItemsBelow(*item);
    if (count > UINT32_MAX)
        return false;
    FileWriter writer(sink, keys);
    writer.header();
    writer.u8(0);
    writer.u32(uint32_t(count));
    for (size_t i = 0; i < items.size(); ++i) {
        // A protection above a chosen item stays behind: the item is written in plain.
        writer.record(*items[i], i + 1 == items.size(), nullptr);
        writer.subtree(*items[i], 1, nullptr);
    }
    writer.explain(error);
    return writer.finish();
}

std::string CatalogBytes(const CatalogTree& tree) {
    std::string bytes;
    WriteCatalog(tree, [&bytes](std::string_view chunk) {
        bytes += chunk;
        return true;
    });
    return bytes;
}

std::string SelectionBytes(std::span<const CatalogItem* const> items) {
    std::string bytes;
    WriteSelection(items, [&bytes](std::string_view chunk) {
        bytes += chunk;
        return true;
    });
    return bytes;
}

namespace {

bool SaveThrough(const std::string& path, std::string* error, std::optional<FileStamp>* written,
                 Replace replace,
                 const std::function<bool(const ByteSink&, std::string*)>& write) {
    AtomicFileWriter file(path);
    std::string reason;
    bool ok = file.isOpen() &&
              write([&file](std::string_view chunk) { return file.write(chunk); }, &reason) &&
              file.commit(replace);
    if (!ok && error) {
        if (reason.empty())
            reason = file.error().empty() ? "'" + path + "' could not be written" : file.error();
        *error = reason;
    }
    if (ok && written)
        *written = file.committedStamp();
    return ok;
}

}  // namespace

bool SaveCatalogTo(const std::string& path, const CatalogTree& tree, std::string* error,
                   std::optional<FileStamp>* written, Replace replace) {
    return SaveThrough(path, error, written, replace,
                       [&tree](const ByteSink& sink, std::string* reason) {
                           return WriteCatalog(tree, sink, reason);
                       });
}

bool SaveSelectionTo(const std::string& path, std::span<const CatalogItem* const> items,
                     std::string* error, std::optional<FileStamp>* written,
                     const CatalogTree* keys) {
    return SaveThrough(path, error, written, Replace::Allowed,
                       [items, keys](const ByteSink& sink, std::string* reason) {
                           return WriteSelection(items, sink, reason, keys);
                       });
}

size_t RemoveItemsTooDeep(CatalogTree& tree, CatalogItem* top, int rootDepth) {
    const int levelsLeft = kMaxFileLevels - rootDepth - DepthBelowRoot(*top);
    std::vector<CatalogItem*> tooDeep;
    std::vector<std::pair<CatalogItem*, int>> pending{{top, 0}};
    while (!pending.empty()) {
        const auto [item, below] = pending.back();
        pending.pop_back();
        for (CatalogItem* child = item->firstChildIgnoringLock(); child; child = child->next()) {
            if (below + 1 > levelsLeft)
                tooDeep.push_back(child);
            else if (child->firstChildIgnoringLock())
                pending.emplace_back(child, below + 1);
        }
    }
    for (CatalogItem* item : tooDeep)
        tree.removeItem(item, false);
    return tooDeep.size();
}

int DepthBelowRoot(const CatalogItem& item) {
    int depth = 0;
    for (const CatalogItem* step = item.parent(); step; step = step->parent())
        ++depth;
    return depth;
}

}  // namespace shelfmark
