#include "exchange/CatcliFormat.h"

#include "foundation/StringFormat.h"

namespace shelfmark {

namespace {

bool IsMd5(std::string_view text) {
    if (text.size() != 32)
        return false;
    for (const char c : text)
        if (HexDigitValue(c) < 0)
            return false;
    return true;
}

std::string LowerHex(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'F')
            c = char(c + 32);
    return lower;
}

// What both readers share: typed member access that reports where a value is wrong.
class NodeReader {
  public:
    NodeReader(const JsonDocument& document, ForeignTreeBuilder& builder, ForeignReadError& error)
        : document_(document), builder_(builder), error_(error) {}

  protected:
    bool fail(const json::Value& at, std::string message) {
        return document_.fail(at, std::move(message), error_);
    }
    bool object(const json::Value& node) {
        return node.isObject() || fail(node, "expected an object for a catalog node");
    }
    bool name(const json::Value& node, std::string_view& out) {
        const std::optional<std::string_view> found = node.stringMember("name");
        if (!found)
            return fail(node, "node without a \"name\" text");
        out = *found;
        return true;
    }
    // A missing or null member counts as 0.
    bool size(const json::Value& node, uint64_t& out) {
        out = 0;
        const json::Value* member = node.find("size");
        if (!member || member->isNull())
            return true;
        const std::optional<uint64_t> value = member->asUint64();
        if (!value)
            return fail(*member, "\"size\" is not a whole number of 0 or more");
        out = *value;
        return true;
    }
    bool seconds(const json::Value& node, std::string_view key, int64_t& out) {
        out = 0;
        const json::Value* member = node.find(key);
        if (!member || member->isNull())
            return true;
        const std::optional<int64_t> value = member->asSeconds();
        if (!value)
            return fail(*member, "\"" + std::string(key) + "\" is not a time in seconds");
        out = *value;
        return true;
    }
    // Children: absent or null means none.
    bool children(const json::Value& node, std::span<const json::Value>& out) {
        out = {};
        const json::Value* member = node.find("children");
        if (!member || member->isNull())
            return true;
        if (!member->isArray())
            return fail(*member, "\"children\" is not a list");
        out = member->items();
        return true;
    }
    // What every node below a storage carries.
    struct Entry {
        std::string_view name;
        uint64_t size = 0;
        int64_t modified = 0;
        std::span<const json::Value> children;
    };
    bool entry(const json::Value& node, Entry& out) {
        return object(node) && name(node, out.name) && size(node, out.size) &&
               seconds(node, "maccess", out.modified) && children(node, out.children);
    }
    // A storage: a hard disk named after it, dated with its indexing time, its note (under
    // `noteKey`) as description. Null (error set) when the node is not one.
    CatalogItem* storage(const json::Value& node, std::string_view noteKey,
                         std::span<const json::Value>& below) {
        std::string_view storageName;
        int64_t indexed = 0;
        if (!object(node) || !name(node, storageName) || !seconds(node, "ts", indexed) ||
            !children(node, below))
            return nullptr;
        CatalogItem* disk = builder_.addDisk(storageName, MediaType::HardDisk, indexed);
        const std::string_view note = node.stringMember(noteKey).value_or("");
        if (!note.empty())
            builder_.tree().setTextAttribute(disk, attr::Description, note);
        return disk;
    }
    void keepMd5(CatalogItem* file, const json::Value& node) {
        const std::optional<std::string_view> md5 = node.stringMember("md5");
        if (md5 && IsMd5(*md5))
            builder_.tree().setTextAttribute(file, attr::Md5, LowerHex(*md5));
    }

    const JsonDocument& document_;
    ForeignTreeBuilder& builder_;
    ForeignReadError& error_;
};

class CatcliReader : NodeReader {
  public:
    using NodeReader::NodeReader;

    bool run() {
        const json::Value& top = document_.top;
        if (!IsCatcliCatalog(top))
            return fail(top, "not a catcli catalog (expected the \"top\" node)");
        std::span<const json::Value> nodes;
        if (!children(top, nodes))
            return false;
        for (const json::Value& node : nodes) {
            if (!object(node))
                return false;
            const std::optional<std::string_view> type = node.stringMember("type");
            if (type == "meta")
                continue;
            if (type != "storage")
                return fail(node, "expected a storage node below the top");
            std::span<const json::Value> below;
            CatalogItem* disk = storage(node, "attr", below);
            if (!disk || !entries(below, disk))
                return false;
        }
        return true;
    }

  private:
    bool entries(std::span<const json::Value> nodes, CatalogItem* parent) {
        for (const json::Value& node : nodes) {
            Entry e;
            if (!entry(node, e))
                return false;
            std::string_view entryName = e.name;
            const std::span<const json::Value> below = e.children;
            const std::string_view type = node.stringMember("type").value_or("");
            // tar names its top member "./": what it holds belongs to the archive itself.
            if (type == "arc" && (entryName == "." || entryName.empty())) {
                if (!entries(below, parent))
                    return false;
                continue;
            }
            CatalogItem* item = nullptr;
            if (type == "dir" || (type == "arc" && !below.empty())) {
                item = builder_.addDirectory(parent, entryName, e.modified);
            } else if (type == "file" || type == "arc") {
                item = builder_.addFile(parent, entryName, e.size, e.modified);
                keepMd5(item, node);
                if (!below.empty())
                    builder_.markArchive(item);
            } else {
                return fail(node, "unknown node type '" + std::string(type) + "'");
            }
            if (!entries(below, item))
                return false;
        }
        return true;
    }
};

class GocatcliReader : NodeReader {
  public:
    using NodeReader::NodeReader;

    bool run() {
        const json::Value& top = document_.top;
        if (!IsGocatcliCatalog(top))
            return fail(top, "not a gocatcli catalog (expected \"storages\")");
        // TOML has no null: a catalog without storages leaves the key out.
        const json::Value* found = top.find("storages");
        if (!found || found->isNull())
            return true;
        const json::Value& storages = *found;
        if (!storages.isArray())
            return fail(storages, "\"storages\" is not a list");
        for (const json::Value& node : storages.items()) {
            std::span<const json::Value> below;
            CatalogItem* disk = storage(node, "meta", below);
            if (!disk || !entries(below, disk, false))
                return false;
        }
        return true;
    }

  private:
    bool entries(std::span<const json::Value> nodes, CatalogItem* parent, bool inArchive) {
        for (const json::Value& node : nodes) {
            Entry e;
            if (!entry(node, e))
                return false;
            std::string_view entryName = e.name;
            const std::span<const json::Value> below = e.children;
            const std::string_view type = node.stringMember("filetype").value_or("");
            if (type == "archived" || inArchive) {
                // A member's name is its whole path inside the archive.
                while (!entryName.empty() && entryName.back() == '/')
                    entryName.remove_suffix(1);
                const size_t slash = entryName.rfind('/');
                CatalogItem* at = slash == std::string_view::npos
                                      ? parent
                                      : builder_.directoryAt(parent, entryName.substr(0, slash), '/');
                const std::string_view leaf =
                    slash == std::string_view::npos ? entryName : entryName.substr(slash + 1);
                if (type == "dir" || node.stringMember("mode").value_or("").starts_with("d"))
                    builder_.directoryAt(at, leaf, '/');
                else
                    keepMd5(builder_.addFile(at, leaf, e.size, e.modified), node);
                continue;
            }
            CatalogItem* item = nullptr;
            if (type == "dir") {
                item = builder_.addDirectory(parent, entryName, e.modified);
            } else if (type == "file" || type == "archive") {
                item = builder_.addFile(parent, entryName, e.size, e.modified);
                keepMd5(item, node);
            } else {
                return fail(node, "unknown file type '" + std::string(type) + "'");
            }
            // A file can only hold members as an archive does, whatever its type says.
            const bool archive = type == "archive" || (type == "file" && !below.empty());
            if (archive)
                builder_.markArchive(item);
            if (!entries(below, item, archive))
                return false;
        }
        return true;
    }
};

}  // namespace

bool IsCatcliCatalog(const json::Value& top) {
    return top.isObject() && top.stringMember("type") == "top";
}

bool IsGocatcliCatalog(const json::Value& top) {
    return top.isObject() && (top.find("storages") != nullptr ||
                              top.stringMember("tool").value_or("").starts_with("gocatcli"));
}

bool ReadCatcliCatalog(const JsonDocument& document, ForeignTreeBuilder& builder,
                       ForeignReadError& error) {
    return CatcliReader(document, builder, error).run();
}

bool ReadGocatcliCatalog(const JsonDocument& document, ForeignTreeBuilder& builder,
                         ForeignReadError& error) {
    return GocatcliReader(document, builder, error).run();
}

}  // namespace shelfmark
