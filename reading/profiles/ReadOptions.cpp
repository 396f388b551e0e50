#include "reading/profiles/ReadOptions.h"

#include <algorithm>
#include <charconv>

#include "foundation/Utf8Text.h"

namespace shelfmark {

ExtensionList::ExtensionList(std::string_view text) : text_(text) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t dot = text.find('.', start);
        if (dot == std::string_view::npos)
            dot = text.size();
        if (dot > start)
            entries_.push_back(text::FoldCase(text.substr(start, dot - start)));
        start = dot + 1;
    }
}

bool ExtensionList::contains(std::string_view extension) const {
    return std::find(entries_.begin(), entries_.end(), extension) != entries_.end();
}

uint8_t ReadOptions::archiveMask() const {
    uint8_t mask = 0;
    const std::pair<bool, ArchiveKind> kinds[] = {
        {bReadZIPs, ArchiveKind::Zip}, {bReadRARs, ArchiveKind::Rar}, {bReadACEs, ArchiveKind::Ace},
        {bReadCABs, ArchiveKind::Cab}, {bReadARJs, ArchiveKind::Arj}, {bReadJARs, ArchiveKind::Jar},
    };
    for (const auto& [on, kind] : kinds) {
        if (on)
            mask |= MaskBit(kind);
    }
    if (bCheckEXEs)
        mask |= kArchiveMaskCheckExes;
    return mask;
}

static bool WithinLimit(bool limited, int limitKb, uint64_t length) {
    if (!limited)
        return true;
    // A negative limit (a damaged profile) admits nothing, as the unsigned comparison would.
    const uint64_t limitBytes = limitKb < 0 ? 0 : static_cast<uint64_t>(limitKb) * 1024;
    return length < (uint64_t{1} << 32) && length < limitBytes;
}

bool ReadOptions::wantsCrc32(uint64_t length) const {
    return bCalcCRC32 && WithinLimit(bLimitCRC32Size, MaxCRC32Size, length);
}

bool ReadOptions::wantsMd5(uint64_t length) const {
    return bCalcMD5 && WithinLimit(bLimitMD5Size, MaxMD5Size, length);
}

const ProviderSelection* ReadOptions::findProvider(std::string_view module) const {
    for (const ProviderSelection& selection : providers) {
        if (selection.module == module)
            return &selection;
    }
    return nullptr;
}

void ReadOptions::setProvider(std::string_view module, std::string_view indexes) {
    for (ProviderSelection& selection : providers) {
        if (selection.module == module) {
            selection.indexes = indexes;
            return;
        }
    }
    providers.push_back({std::string(module), std::string(indexes)});
}

std::vector<int> ParseProviderIndexes(std::string_view text) {
    std::vector<int> indexes;
    size_t start = 0;
    while (start < text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string_view::npos)
            comma = text.size();
        const std::string_view piece = text.substr(start, comma - start);
        int value = -1;
        const auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), value);
        if (error == std::errc() && end == piece.data() + piece.size() && value >= 0 &&
            value <= 255)
            indexes.push_back(value);
        start = comma + 1;
    }
    return indexes;
}

std::string FormatProviderIndexes(const std::vector<int>& indexes) {
    std::string text;
    for (const int index : indexes) {
        if (!text.empty())
            text += ',';
        text += std::to_string(index);
    }
    return text;
}

}  // namespace shelfmark
