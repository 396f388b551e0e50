#include "catalog/ExtraInfoOperations.h"

#include <charconv>

#include "foundation/Prompter.h"
#include "foundation/StringFormat.h"

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

std::optional<std::string> ExtraInfoRowsProblem(std::span<const ExtraInfoRow> rows) {
    for (const ExtraInfoRow& row : rows) {
        // Other keys hold the catalog's own facts (numbers, links, passwords): an edit of the
        // extra information must not reach them.
        if (!IsBuiltinExtraKey(row.key) && !IsUserExtraKey(row.key))
            return StringPrintf("The attribute 0x%02X is no extra information.", row.key);
        if (ClassOfKey(row.key) == AttributeClass::Number && !ParseExtraNumber(row.text))
            return "'" + row.text + "' is not a number.";
    }
    return std::nullopt;
}

void PutExtraInfo(CatalogTree& tree, CatalogItem* item, std::span<const uint8_t> listedKeys,
                  std::span<const ExtraInfoRow> rows, std::span<const uint8_t> jpeg) {
    for (const uint8_t key : listedKeys)
        tree.removeAttribute(item, key);
    for (const ExtraInfoRow& row : rows) {
        switch (ClassOfKey(row.key)) {
            case AttributeClass::Number:
                if (const uint32_t number = ParseExtraNumber(row.text).value_or(0); number != 0)
                    tree.setNumberAttribute(item, row.key, number);
                break;
            case AttributeClass::Text:
                if (!row.text.empty())
                    tree.setTextAttribute(item, row.key, row.text);
                break;
            default:
                if (row.key == attr::Thumbnail && !jpeg.empty())
                    tree.setBlockAttribute(item, row.key, jpeg);
                break;
        }
    }
}

EditStatus ApplyExtraInfo(CatalogDocument& document, std::span<CatalogItem* const> items,
                          const ExtraInfoChange& change) {
    // Every row is checked before anything changes.
    if (const std::optional<std::string> problem = ExtraInfoRowsProblem(change.rows)) {
        document.prompter().error(*problem);
        return EditStatus::Unchanged;
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
    for (CatalogItem* item : items) {
        PutExtraInfo(document.tree(), item, change.listedKeys, change.rows,
                     jpeg ? std::span<const uint8_t>(*jpeg) : std::span<const uint8_t>());
        document.notifyChanged(*item);
    }
    document.setModified();
    return EditStatus::Done;
}

}  // namespace shelfmark
