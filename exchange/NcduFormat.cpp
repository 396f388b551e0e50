#include "exchange/NcduFormat.h"

#include <cstdio>

#include "exchange/JsonDocument.h"

namespace shelfmark {

namespace {

class NcduReader {
  public:
    NcduReader(const JsonDocument& document, ForeignTreeBuilder& builder, ForeignReadError& error,
               NcduReadSummary& summary)
        : document_(document), builder_(builder), error_(error), summary_(summary) {}

    bool run() {
        const json::Value& top = document_.top;
        if (!top.isArray() || top.items().size() < 4)
            return fail(top, "not an ncdu export (expected [1, minor, {metadata}, root])");
        const auto items = top.items();
        if (items[0].asUint64() != 1u)
            return fail(items[0], "unsupported ncdu export version (major version must be 1)");
        if (!items[2].isObject())
            return fail(items[2], "expected the export's metadata object");
        const json::Value& root = items[3];
        if (!root.isArray() || root.items().empty() || !root.items()[0].isObject())
            return fail(root, "expected the scanned directory as an array");
        int64_t timestamp = 0;
        if (const json::Value* stamp = items[2].find("timestamp"))
            timestamp = stamp->asInt64().value_or(0);
        const json::Value& info = root.items()[0];
        std::string_view name;
        if (!nameOf(info, name))
            return false;
        CatalogItem* disk = builder_.addDisk(LastComponent(name), MediaType::HardDisk, timestamp);
        return children(root, disk);
    }

  private:
    static std::string_view LastComponent(std::string_view path) {
        while (path.size() > 1 && path.back() == '/')
            path.remove_suffix(1);
        const size_t slash = path.rfind('/');
        return slash == std::string_view::npos || path.size() == 1 ? path
                                                                     : path.substr(slash + 1);
    }

    bool fail(const json::Value& at, std::string message) {
        return document_.fail(at, std::move(message), error_);
    }

    bool nameOf(const json::Value& info, std::string_view& name) {
        const std::optional<std::string_view> found = info.stringMember("name");
        if (!found)
            return fail(info, "entry without a \"name\" text");
        name = *found;
        return true;
    }

    bool number(const json::Value& info, std::string_view key, uint64_t& value) {
        value = 0;
        const json::Value* member = info.find(key);
        if (!member)
            return true;
        const std::optional<uint64_t> parsed = member->asUint64();
        if (!parsed)
            return fail(*member, "\"" + std::string(key) + "\" is not a whole number of 0 or more");
        value = *parsed;
        return true;
    }

    // ncdu writes mtime as unsigned 64 bits; dates before 1970 come out wrapped.
    bool date(const json::Value& info, int64_t& seconds) {
        uint64_t raw = 0;
        if (!number(info, "mtime", raw))
            return false;
        seconds = static_cast<int64_t>(raw);
        return true;
    }

    bool children(const json::Value& directory, CatalogItem* parent) {
        const auto items = directory.items();
        for (size_t i = 1; i < items.size(); ++i) {
            const json::Value& entry = items[i];
            if (entry.isArray()) {
                if (entry.items().empty() || !entry.items()[0].isObject())
                    return fail(entry, "directory without its information object");
                const json::Value& info = entry.items()[0];
                std::string_view name;
                int64_t seconds = 0;
                if (!nameOf(info, name) || !date(info, seconds))
                    return false;
                ++summary_.directories;
                CatalogItem* sub = builder_.addDirectory(parent, name, seconds);
                if (!children(entry, sub))
                    return false;
            } else if (entry.isObject()) {
                std::string_view name;
                uint64_t size = 0;
                int64_t seconds = 0;
                if (!nameOf(entry, name) || !number(entry, "asize", size) || !date(entry, seconds))
                    return false;
                if (entry.find("excluded")) {
                    ++summary_.leftOut;
                    continue;
                }
                ++summary_.files;
                builder_.addFile(parent, name, size, seconds);
            } else {
                return fail(entry, "expected a file (object) or a directory (array)");
            }
        }
        return true;
    }

    const JsonDocument& document_;
    ForeignTreeBuilder& builder_;
    ForeignReadError& error_;
    NcduReadSummary& summary_;
};

// A name as ncdu writes names: its bytes, with '"', '\' and control characters escaped.
void AppendNcduString(std::string& out, std::string_view bytes) {
    out += '"';
    for (const char c : bytes) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void AppendInfo(std::string& out, const CatalogItem& item, std::string_view name, bool file) {
    out += "{\"name\":";
    AppendNcduString(out, name);
    if (file) {
        const uint64_t size = item.size();
        if (size > 0) {
            out += ",\"asize\":" + std::to_string(size);
            constexpr uint64_t kBlock = 4096;
            out += ",\"dsize\":" + std::to_string((size / kBlock + (size % kBlock != 0)) * kBlock);
        }
    }
    if (item.date() != 0)
        out += ",\"mtime\":" + std::to_string(static_cast<uint64_t>(int64_t(item.date())));
    out += '}';
}

// Containers are directories; an archive is written as the file it is.
bool AsDirectory(const CatalogItem& item) {
    return item.isFolder() || item.isDirectory();
}

void AppendDirectory(std::string& out, const CatalogItem& directory, std::string_view name) {
    out += '[';
    AppendInfo(out, directory, name, false);
    for (const CatalogItem* child = directory.firstChild(); child; child = child->next()) {
        if (child->isShortcut())
            continue;
        out += ",\n";
        if (AsDirectory(*child))
            AppendDirectory(out, *child, child->name());
        else
            AppendInfo(out, *child, child->name(), true);
    }
    out += ']';
}

}  // namespace

bool ReadNcduExport(const JsonDocument& document, ForeignTreeBuilder& builder,
                    ForeignReadError& error, NcduReadSummary* summary) {
    NcduReadSummary local;
    return NcduReader(document, builder, error, summary ? *summary : local).run();
}

bool ReadNcduExport(std::string_view text, ForeignTreeBuilder& builder, ForeignReadError& error,
                    NcduReadSummary* summary) {
    JsonDocument document;
    return document.parse(text, error) && ReadNcduExport(document, builder, error, summary);
}

std::string WriteNcduExport(const CatalogItem& top, int64_t timestamp) {
    std::string out = "[1,2,{\"progname\":\"shelfmark\",\"progver\":\"" SHELFMARK_VERSION_TEXT
                      "\",\"timestamp\":" +
                      std::to_string(timestamp) + "},\n";
    AppendDirectory(out, top, top.name());
    out += "]\n";
    return out;
}

bool IsNcduExport(const json::Value& top) {
    return top.isArray() && top.items().size() >= 4 && top.items()[0].isNumber() &&
           top.items()[2].isObject() && top.items()[3].isArray();
}

}  // namespace shelfmark
