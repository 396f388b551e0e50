#include "catalog/CatalogPath.h"

#include "foundation/Utf8Text.h"

namespace shelfmark {

std::vector<std::string> SplitCatalogPath(std::string_view path) {
    std::vector<std::string> names;
    std::string name;
    auto finishName = [&] {
        if (!name.empty())
            names.push_back(std::move(name));
        name.clear();
    };
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '\\' && i + 1 < path.size() && path[i + 1] == '\\') {
            name += '\\';
            ++i;
        } else if (c == '\\' || c == '/') {
            finishName();
        } else {
            name += c;
        }
    }
    finishName();
    return names;
}

std::string EscapeCatalogPathName(std::string_view name) {
    std::string escaped;
    escaped.reserve(name.size());
    for (const char c : name) {
        escaped += c;
        if (c == '\\')
            escaped += '\\';
    }
    return escaped;
}

std::string CatalogPathOf(const CatalogItem& item) {
    std::vector<const CatalogItem*> chain;
    for (const CatalogItem* step = &item; step && step->parent(); step = step->parent())
        chain.push_back(step);
    std::string path;
    for (auto step = chain.rbegin(); step != chain.rend(); ++step) {
        const std::string_view name = (*step)->name();
        if (!path.empty())  // "\" then "\\" would read as an escaped backslash first
            path += name.starts_with('\\') ? '/' : '\\';
        path += EscapeCatalogPathName(name);
    }
    return path;
}

namespace {

const CatalogItem* ChildNamed(const CatalogItem& parent, std::string_view name) {
    for (const CatalogItem* child = parent.firstChild(); child; child = child->next()) {
        if (text::EqualsNoCase(child->name(), name))
            return child;
    }
    return nullptr;
}

}  // namespace

CatalogItem* ResolveCatalogPath(const CatalogTree& tree, std::string_view path,
                                const CatalogItem* start) {
    const CatalogItem* current = start ? start : tree.root();
    for (const std::string& name : SplitCatalogPath(path)) {
        if (!current)
            break;
        const CatalogItem* child = ChildNamed(*current, name);
        if (!child && name.size() > 1 && name.back() == ':')
            child = ChildNamed(*current, std::string_view(name).substr(0, name.size() - 1));
        current = child;
    }
    return const_cast<CatalogItem*>(current);
}

}  // namespace shelfmark
