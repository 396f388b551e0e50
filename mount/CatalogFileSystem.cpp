#include "mount/CatalogFileSystem.h"

#include <unistd.h>

#include <cstdio>

namespace shelfmark {

namespace {

struct XattrText {
    uint8_t key;
    const char* name;
};
// The text attributes a user may want to see, under readable names.
constexpr XattrText kTextAttributes[] = {
    {attr::Description, "description"}, {attr::Volume, "volume"},
    {attr::LentTo, "lent-to"},          {attr::BaseDirectory, "base-directory"},
    {attr::Artist, "artist"},           {attr::Title, "title"},
    {attr::Source, "source"},           {attr::Location, "location"},
    {attr::Comment, "comment"},         {attr::Author, "author"},
    {attr::Album, "album"},             {attr::Md5, "md5"},
    {attr::SerialNumber, "serial-number"},
};

}  // namespace

std::string FileSystemName(std::string_view name) {
    if (name == "." || name == "..")
        return "(" + std::string(name) + ")";
    std::string out;
    out.reserve(name.size());
    for (const char c : name) {
        if (c == '/')
            out += "\xE2\x88\x95";  // U+2215 DIVISION SLASH
        else if (c == '\0')
            out += "\xEF\xBF\xBD";  // the kernel reads names as C strings
        else
            out += c;
    }
    return out;
}

CatalogFileSystem::CatalogFileSystem(const CatalogItem& top, MediumFinder finder)
    : top_(top), finder_(std::move(finder)) {}

bool CatalogFileSystem::IsDirectory(const CatalogItem& item) {
    return item.isContainer();
}

CatalogFileSystem::Listing& CatalogFileSystem::listing(const CatalogItem& directory) {
    std::unique_ptr<Listing>& slot = listings_[&directory];
    if (slot)
        return *slot;
    slot = std::make_unique<Listing>();
    // firstChild() reads a locked item as empty.
    for (const CatalogItem* child = directory.firstChild(); child; child = child->next()) {
        if (child->isShortcut())
            continue;
        const std::string base = FileSystemName(child->name());
        std::string name = base;
        for (int n = 2; slot->byName.count(name); ++n)
            name = base + " (" + std::to_string(n) + ")";
        slot->byName.emplace(name, child);
        slot->entries.emplace_back(std::move(name), child);
        if (IsDirectory(*child))
            ++slot->subdirectories;
    }
    return *slot;
}

const CatalogItem* CatalogFileSystem::lookup(std::string_view path) {
    const CatalogItem* current = &top_;
    while (!path.empty()) {
        const size_t cut = path.find('/');
        const std::string_view component = path.substr(0, cut);
        path = cut == std::string_view::npos ? std::string_view() : path.substr(cut + 1);
        if (component.empty() || component == ".")
            continue;
        if (!IsDirectory(*current))
            return nullptr;
        const Listing& list = listing(*current);
        const auto found = list.byName.find(std::string(component));
        if (found == list.byName.end())
            return nullptr;
        current = found->second;
    }
    return current;
}

struct stat CatalogFileSystem::attributes(const CatalogItem& item) {
    struct stat st {};
    st.st_uid = getuid();
    st.st_gid = getgid();
    st.st_mtim.tv_sec = item.date();
    st.st_atim = st.st_mtim;
    st.st_ctim = st.st_mtim;
    if (IsDirectory(item)) {
        st.st_mode = S_IFDIR | 0555;
        st.st_nlink = 2 + listing(item).subdirectories;
    } else {
        st.st_mode = S_IFREG | 0444;
        st.st_nlink = 1;
        st.st_size = off_t(item.size());
        st.st_blocks = blkcnt_t((item.size() + 511) / 512);
    }
    st.st_blksize = 4096;
    return st;
}

const std::vector<std::pair<std::string, const CatalogItem*>>& CatalogFileSystem::entries(
    const CatalogItem& directory) {
    return listing(directory).entries;
}

std::vector<std::pair<std::string, std::string>> CatalogFileSystem::ExtendedAttributes(
    const CatalogItem& item) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const XattrText& text : kTextAttributes)
        if (const std::optional<std::string_view> value = item.textAttribute(text.key))
            out.emplace_back(std::string("user.shelfmark.") + text.name, std::string(*value));
    if (const std::optional<uint32_t> crc = item.numberAttribute(attr::Crc32)) {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", *crc);
        out.emplace_back("user.shelfmark.crc32", hex);
    }
    if (const std::optional<uint32_t> id = item.numberAttribute(attr::DiskId))
        out.emplace_back("user.shelfmark.disk-id", std::to_string(*id));
    if (const std::optional<uint32_t> track = item.numberAttribute(attr::TrackNumber))
        out.emplace_back("user.shelfmark.track", std::to_string(*track));
    return out;
}

std::optional<std::string> CatalogFileSystem::realPath(const CatalogItem& file) const {
    if (IsDirectory(file) && !file.isArchive())
        return std::nullopt;
    if (file.archive() || !file.disk() || !finder_)
        return std::nullopt;
    return finder_(file);
}

}  // namespace shelfmark
