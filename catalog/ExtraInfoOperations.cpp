#include "catalog/ExtraInfoOperations.h"

#include <charconv>

#include "foundation/Prompter.h"

namespace shelfmark {

std::vector<ExtraInfoRow> ExtraInfoRowsOf(const CatalogItem& item) {
    std::vector<ExtraInfoRow> rows;
    for (const ItemAttribute& attribute : item.attributes()) {
        const uint8_t key = attribute.key();
        if (!IsBuiltinExtraKey(key) && !IsUserExtraKey(key))
            continue;
        switch (attribute.valueClass()) {
            case AttributeClass::Number:
                rows.push_back({key, std::to_string(attribute.number())});
                break;
            case AttributeClass::Text:
                rows.push_back({key, std::string(attribute.text())});
                break;
            default:
                rows.push_back({key, {}});
                break;
        }
    }
    return rows;
}

std::optional<uint32_t> ParseExtraNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

EditStatus ApplyExtraInfo(CatalogDocument& document, std::span<CatalogItem* const> items,
                          const ExtraInfoChange& change) {
    // Every typed number is checked before anything changes.
    std::vector<std::optional<uint32_t>> numbers;
    for (const ExtraInfoRow& row : change.rows) {
        numbers.emplace_back();
        if (ClassOfKey(row.key) != AttributeClass::Number)
            continue;
        numbers.back() = ParseExtraNumber(row.text);
        if (!numbers.back()) {
            document.prompter().error("'" + row.text + "' is not a number.");
            return EditStatus::Unchanged;
        }
    }
    std::optional<std::vector<uint8_t>> jpeg;
    for (const ExtraInfoRow& row : change.rows) {
        if (row.key == attr::Thumbnail && change.thumbnail && !jpeg)
            jpeg = change.thumbnail();
    }
    if (!BeginEdit(document))
        return EditStatus::Refused;
    if (items.empty())
        return EndUnchanged(document);
    document.recordUndo(UndoKind::AttributeChange, items, MenuText("Strings", 218));
    CatalogTree& tree = document.tree();
    for (CatalogItem* item : items) {
        for (uint8_t key : change.listedKeys)
            tree.removeAttribute(item, key);
        for (size_t i = 0; i < change.rows.size(); ++i) {
            const ExtraInfoRow& row = change.rows[i];
            switch (ClassOfKey(row.key)) {
                case AttributeClass::Number:
                    if (*numbers[i] != 0)
                        tree.setNumberAttribute(item, row.key, *numbers[i]);
                    break;
                case AttributeClass::Text:
                    if (!row.text.empty())
                        tree.setTextAttribute(item, row.key, row.text);
                    break;
                default:
                    if (row.key == attr::Thumbnail && jpeg && !jpeg->empty())
                        tree.setBlockAttribute(item, row.key, *jpeg);
                    break;
            }
        }
        document.notifyChanged(*item);
    }
    document.setModified();
    return EditStatus::Done;
}

}  // namespace shelfmark
