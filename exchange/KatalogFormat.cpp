#include "exchange/KatalogFormat.h"

#include <charconv>

namespace shelfmark {

namespace {

constexpr size_t kHeaderLines = 11;

bool Number(std::string_view text, int& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// "yyyy/MM/dd hh:mm:ss"; nothing for any other text.
std::optional<int64_t> KatalogDate(std::string_view text) {
    if (text.size() != 19 || text[4] != '/' || text[7] != '/' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':')
        return std::nullopt;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!Number(text.substr(0, 4), year) || !Number(text.substr(5, 2), month) ||
        !Number(text.substr(8, 2), day) || !Number(text.substr(11, 2), hour) ||
        !Number(text.substr(14, 2), minute) || !Number(text.substr(17, 2), second))
        return std::nullopt;
    return LocalTimeToSeconds(year, month, day, hour, minute, second);
}

}  // namespace

bool LooksLikeKatalogIndex(std::string_view text) {
    return text.starts_with("<catalogSourcePath>");
}

bool ReadKatalogIndex(std::string_view text, std::string_view fileName,
                      ForeignTreeBuilder& builder, ForeignReadError& error) {
    std::string_view name = fileName;
    if (name.ends_with(".idx"))
        name.remove_suffix(4);
    std::string source;
    size_t lineNumber = 0;
    size_t headerLines = 0;
    CatalogItem* disk = nullptr;
    while (!text.empty()) {
        const size_t cut = text.find('\n');
        std::string_view line = text.substr(0, cut);
        text = cut == std::string_view::npos ? std::string_view() : text.substr(cut + 1);
        ++lineNumber;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const std::string where = "line " + std::to_string(lineNumber);
        if (lineNumber <= kHeaderLines && line.starts_with('<')) {
            const size_t close = line.find('>');
            if (close == std::string_view::npos) {
                error = {where, "a header line without '>'"};
                return false;
            }
            if (headerLines++ == 0)
                source = std::string(line.substr(close + 1));
            continue;
        }
        if (headerLines == 0) {
            error = {where, "not a Katalog catalog (expected the <catalogSourcePath> header)"};
            return false;
        }
        if (line.empty())
            continue;
        if (!disk)
            disk = builder.addDisk(name, MediaType::HardDisk);

        const size_t tab = line.find('\t');
        std::string_view path = line.substr(0, tab);
        uint64_t size = 0;
        int64_t date = 0;
        if (tab != std::string_view::npos) {
            std::string_view rest = line.substr(tab + 1);
            const size_t tab2 = rest.find('\t');
            const std::string_view sizeText = rest.substr(0, tab2);
            const auto [end, ec] =
                std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size);
            if (ec != std::errc() || end != sizeText.data() + sizeText.size()) {
                error = {where, "the size '" + std::string(sizeText) +
                                    "' is not a whole number of bytes"};
                return false;
            }
            if (tab2 != std::string_view::npos) {
                const std::string_view dateText = rest.substr(tab2 + 1);
                const std::optional<int64_t> parsed = KatalogDate(dateText);
                if (!parsed && !dateText.empty()) {
                    error = {where, "the date '" + std::string(dateText) +
                                        "' is not yyyy/MM/dd hh:mm:ss"};
                    return false;
                }
                date = parsed.value_or(0);
            }
        }
        // Below the catalogued folder, the path is taken from there.
        if (!source.empty() && path.starts_with(source) &&
            (path.size() == source.size() || path[source.size()] == '/' || source.ends_with('/')))
            path.remove_prefix(source.size());
        const size_t slash = path.rfind('/');
        const std::string_view leaf = slash == std::string_view::npos ? path : path.substr(slash + 1);
        if (leaf.empty()) {
            error = {where, "a line without a file name"};
            return false;
        }
        CatalogItem* directory = slash == std::string_view::npos
                                     ? disk
                                     : builder.directoryAt(disk, path.substr(0, slash), '/');
        builder.addFile(directory, leaf, size, date);
    }
    if (headerLines == 0) {
        error = {"line 1", "not a Katalog catalog (expected the <catalogSourcePath> header)"};
        return false;
    }
    if (!disk)
        builder.addDisk(name, MediaType::HardDisk);
    return true;
}

}  // namespace shelfmark
