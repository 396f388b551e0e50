#include "lists/RowBuilder.h"

#include "catalog/CatalogTree.h"
#include "catalog/ColumnDescriptors.h"
#include "catalog/Definitions.h"
#include "foundation/LanguageTexts.h"
#include "foundation/StringFormat.h"

namespace shelfmark {

uint8_t RowState(const CatalogItem& item, bool showDescriptionOverlay) {
    if (item.isShortcut())
        return rowstate::Shortcut;
    uint8_t state = 0;
    if (item.isLent())
        state |= rowstate::Lent;
    if (showDescriptionOverlay && item.hasAttribute(attr::Description))
        state |= rowstate::Described;
    if (item.isProtected())
        state |= rowstate::Protected;
    return state;
}

std::optional<std::string> ItemNumberText(const CatalogItem& item, uint8_t value) {
    switch (value) {
        case attr::Crc32: {
            if (item.flags() & (itemflag::Directory | itemflag::Folder | itemflag::Shortcut))
                return std::string();
            const auto crc = item.numberAttribute(attr::Crc32);
            return crc ? StringPrintf("0x%08X", unsigned(*crc)) : std::string();
        }
        case attr::DiskId: {
            const CatalogItem* disk = item.disk();
            const auto id = disk ? disk->numberAttribute(attr::DiskId) : std::nullopt;
            return id ? StringPrintf("%04d", int(*id)) : std::string();
        }
        case attr::VolumeSerial: {
            const auto serial = item.numberAttribute(attr::VolumeSerial);
            return serial ? StringPrintf("%04X-%04X", unsigned(*serial >> 16), unsigned(*serial & 0xFFFF))
                          : std::string();
        }
        case attr::TrackNumber: {
            const auto number = item.numberAttribute(attr::TrackNumber);
            return number && *number ? StringPrintf("%02u", unsigned(*number)) : std::string();
        }
        default:
            return std::nullopt;
    }
}

RowBuilder::RowBuilder(const CatalogTree& tree, const CatalogDefinitions& definitions,
                       RowSettings settings, const NumberFormat& numbers, const DateFormat& dates)
    : tree_(tree), definitions_(definitions), settings_(settings), numbers_(numbers), dates_(dates) {}

std::string RowBuilder::columnText(const CatalogItem& item, uint8_t value,
                                   const std::string* location) const {
    switch (value) {
        case 0x00:
            return tree_.displayName(&item, false);
        case 0x01: {
            if (item.isShortcut())
                return {};
            const bool container = (item.flags() & (itemflag::Directory | itemflag::Folder)) != 0;
            if (container && !settings_.showDirectorySizes)
                return {};
            if (const auto length = item.numberAttribute(attr::Length))
                return LengthText(*length);
            const SizeTextMode mode = settings_.showByteSizes ? SizeTextMode::Bytes
                                      : container             ? SizeTextMode::Automatic
                                                              : SizeTextMode::Kilobytes;
            return SizeText(item.size(), mode, numbers_);
        }
        case 0x02:
            return dates_.text(item.date());
        case 0x03: {
            if (item.flags() & (itemflag::Directory | itemflag::Folder | itemflag::Shortcut))
                return tree_.typeText(&item);
            // A file's type depends on its extension only.
            const std::string_view name = item.name();
            const size_t dot = name.rfind('.');
            const std::string extension(dot == std::string_view::npos ? std::string_view() : name.substr(dot));
            auto [known, added] = fileTypes_.try_emplace(extension);
            if (added)
                known->second = tree_.typeText(&item);
            return known->second;
        }
        case 0x04:
            if (location)
                return *location;
            return item.parent() ? tree_.pathText(item.parent(), pathmode::Display) : std::string();
        case attr::Categories:
            return definitions_.categoryText(item);
        case attr::Crc32:
        case attr::DiskId:
        case attr::VolumeSerial:
        case attr::TrackNumber:
            return ItemNumberText(item, value).value_or(std::string());
        default:
            break;
    }
    switch (ClassOfKey(value)) {
        case AttributeClass::Number: {
            const auto number = item.numberAttribute(value);
            return number ? std::to_string(*number) : std::string();
        }
        case AttributeClass::Text: {
            const auto text = item.textAttribute(value);
            return text ? std::string(*text) : std::string();
        }
        default:
            return {};
    }
}

const std::string& RowBuilder::locationOf(const CatalogItem& item) {
    if (!haveLocation_ || item.parent() != locationParent_) {
        locationParent_ = item.parent();
        location_ = locationParent_ ? tree_.pathText(locationParent_, pathmode::Display) : std::string();
        haveLocation_ = true;
    }
    return location_;
}

void RowBuilder::appendRow(ListTable& table, const CatalogItem& item, uint8_t shade,
                           std::span<const std::string_view> pieces) {
    table.beginRow(&item, RowState(item, settings_.showDescriptionOverlay), shade);
    unsigned shown = 0;  // a variable fills only the first column that shows it
    for (const ListColumn& column : table.columns()) {
        if (IsVariableColumn(column.value)) {
            const size_t digit = size_t(column.value - '0');
            const bool first = !(shown & (1u << digit));
            shown |= 1u << digit;
            table.appendCell(first && digit < pieces.size() ? pieces[digit] : std::string_view());
        } else if (column.value == 0x04) {
            table.appendCell(locationOf(item));
        } else {
            scratch_ = columnText(item, column.value);
            table.appendCell(scratch_);
        }
    }
}

namespace {

ListColumn ColumnOf(const ColumnDescriptor& descriptor) {
    ListColumn column;
    column.title = descriptor.titleKey ? Str(descriptor.titleKey) : descriptor.title;
    if (column.title.empty())
        column.title = descriptor.title;
    column.value = descriptor.key;
    column.alignment = descriptor.align == 1 ? ColumnAlignment::Right : ColumnAlignment::Left;
    column.width = descriptor.width;
    return column;
}

}  // namespace

std::vector<ListColumn> DescriptorColumns(std::span<const uint8_t> keys) {
    const ColumnTable table;
    std::vector<ListColumn> columns;
    for (uint8_t key : keys) {
        if (const ColumnDescriptor* descriptor = table.findKey(key))
            columns.push_back(ColumnOf(*descriptor));
    }
    return columns;
}

std::vector<ListColumn> SearchResultColumns() {
    static constexpr uint8_t kKeys[] = {0x00, 0x04, 0x01, 0x03, 0x02, attr::DiskId};
    return DescriptorColumns(kKeys);
}

std::vector<ListColumn> DuplicateResultColumns() {
    static constexpr uint8_t kKeys[] = {0x00, 0x04, 0x01, 0x02, attr::Crc32};
    std::vector<ListColumn> columns = DescriptorColumns(kKeys);
    // The duplicate window sizes its columns itself and shows checksums right-aligned.
    static constexpr int kWidths[] = {166, 320, 75, 100, 100};
    for (size_t i = 0; i < columns.size(); ++i)
        columns[i].width = kWidths[i];
    columns[4].alignment = ColumnAlignment::Right;
    return columns;
}

ListTable SearchResultList(RowBuilder& builder, std::span<const CatalogItem* const> hits) {
    ListTable table(SearchResultColumns());
    table.reserve(hits.size(), hits.size() * 64);
    for (const CatalogItem* item : hits)
        builder.appendRow(table, *item);
    return table;
}

ListTable DuplicateResultList(RowBuilder& builder,
                              std::span<const std::vector<const CatalogItem*>> groups) {
    ListTable table(DuplicateResultColumns());
    uint8_t shade = 0;
    for (const auto& group : groups) {
        for (const CatalogItem* item : group)
            builder.appendRow(table, *item, shade);
        shade ^= 1;
    }
    return table;
}

}  // namespace shelfmark
