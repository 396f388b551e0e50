#include "app/DragData.h"

#include <algorithm>
#include <charconv>

#include "catalog/CatalogTree.h"
#include "catalog/EditSupport.h"

namespace shelfmark {
namespace {

constexpr std::string_view kMagic = "shelfmark-drag 1";

bool ParseNumber(std::string_view text, uint64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::vector<std::string_view> Lines(std::string_view data) {
    std::vector<std::string_view> lines;
    while (!data.empty()) {
        const size_t end = data.find('\n');
        lines.push_back(data.substr(0, end));
        if (end == std::string_view::npos)
            break;
        data.remove_prefix(end + 1);
    }
    return lines;
}

CatalogItem* ResolveRowPath(const CatalogTree& tree, std::string_view path) {
    const CatalogItem* parent = TopLevel;
    CatalogItem* item = nullptr;
    while (true) {
        const size_t slash = path.find('/');
        uint64_t row = 0;
        if (!ParseNumber(path.substr(0, slash), row))
            return nullptr;
        // Locked contents are not reachable by a drop any more than by a walk.
        if (parent != TopLevel && parent->isLocked())
            return nullptr;
        item = tree.childAt(parent, size_t(row));
        if (!item)
            return nullptr;
        if (slash == std::string_view::npos)
            return item;
        path.remove_prefix(slash + 1);
        parent = item;
    }
}

}  // namespace

std::string EncodeDragData(const CatalogTree& tree, uint64_t generation,
                           const std::vector<const CatalogItem*>& items, int64_t processId) {
    std::string text(kMagic);
    text += "\n" + std::to_string(processId) + "\n" + std::to_string(generation) + "\n";
    for (const CatalogItem* item : items) {
        std::vector<size_t> rows;
        for (const CatalogItem* at = item; at; at = at->parent()) {
            const std::optional<size_t> row = tree.rowOf(at);
            if (!row)
                return {};
            rows.push_back(*row);
        }
        std::string path;
        for (auto it = rows.rbegin(); it != rows.rend(); ++it)
            path += (path.empty() ? "" : "/") + std::to_string(*it);
        text += path + "\n";
    }
    return text;
}

std::vector<CatalogItem*> DecodeDragData(const CatalogTree& tree, uint64_t generation,
                                         std::string_view data, int64_t processId) {
    const std::vector<std::string_view> lines = Lines(data);
    uint64_t process = 0;
    uint64_t treeGeneration = 0;
    if (lines.size() < 3 || lines[0] != kMagic || !ParseNumber(lines[1], process) ||
        !ParseNumber(lines[2], treeGeneration) || int64_t(process) != processId ||
        treeGeneration != generation)
        return {};
    std::vector<CatalogItem*> items;
    for (size_t i = 3; i < lines.size(); ++i) {
        if (lines[i].empty())
            continue;
        CatalogItem* item = ResolveRowPath(tree, lines[i]);
        if (!item)
            return {};
        if (std::find(items.begin(), items.end(), item) == items.end())
            items.push_back(item);
    }
    std::erase_if(items, [&items](const CatalogItem* item) {
        return std::any_of(items.begin(), items.end(), [item](const CatalogItem* other) {
            return other != item && Contains(other, item);
        });
    });
    return items;
}

}  // namespace shelfmark
