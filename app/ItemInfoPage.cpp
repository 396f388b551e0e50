#include "app/ItemInfoPage.h"

#include <algorithm>

#include "catalog/CatalogTree.h"
#include "catalog/ColumnDescriptors.h"
#include "catalog/Definitions.h"
#include "catalog/EditSupport.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Utf8Text.h"
#include "foundation/ValueTexts.h"

namespace shelfmark {
namespace {

QString Html(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size())).toHtmlEscaped();
}

QString Label(int key) {
    return QString::fromStdString(Str(key)).toHtmlEscaped() + QStringLiteral(": ");
}

QString WithLineBreaks(std::string_view text) {
    QString html = Html(text);
    html.replace(QStringLiteral("\r\n"), QStringLiteral("<BR>"));
    html.replace(QLatin1Char('\n'), QStringLiteral("<BR>"));
    return html;
}

bool ShownAsExtraLine(uint8_t key) {
    switch (key) {
        case 0x00:  // name
        case 0x01:  // size
        case 0x02:  // date
        case 0x03:  // type
        case attr::Description:
        case attr::LentTo:
            return false;
        default:
            return true;
    }
}

QString Count(const std::string& pattern, size_t count) {
    return QString::fromStdString(FillPattern(pattern, "%d", std::to_string(count)));
}

}  // namespace

QString ItemInfoHtml(const InfoPageInput& input) {
    const CatalogTree& tree = *input.tree;
    if (input.selection.empty())
        return Html(Str(162));
    if (input.selection.size() > 1) {
        uint64_t total = 0;
        for (const CatalogItem* item : input.selection)
            total += item->size();
        QString html = Count(Str(163), input.selection.size()).toHtmlEscaped();
        html += QStringLiteral("<BR><BR>") + Label(164) +
                Html(SizeText(total, input.display.showByteSizes ? SizeTextMode::Bytes
                                                                 : SizeTextMode::Automatic));
        if (input.selection.size() < 17) {
            std::vector<const CatalogItem*> sorted = input.selection;
            std::stable_sort(sorted.begin(), sorted.end(),
                             [&tree](const CatalogItem* a, const CatalogItem* b) {
                                 return text::CompareNoCase(tree.displayName(a, false),
                                                      tree.displayName(b, false)) < 0;
                             });
            html += QStringLiteral("<BR>");
            for (const CatalogItem* item : sorted)
                html += QStringLiteral("<BR>") + Html(tree.displayName(item, false));
        }
        return html;
    }

    const CatalogItem& item = *input.selection.front();
    QString html = QStringLiteral("<B>") + Html(tree.displayName(&item, false)) +
                   QStringLiteral("</B>");
    if (const std::string type = tree.typeText(&item); !type.empty())
        html += QStringLiteral("<BR>") + Html(type);
    html += QStringLiteral("<BR><BR>");
    if (item.isShortcut())
        html += Label(193) + Html(item.textAttribute(attr::ShortcutTarget).value_or(""));
    else
        html += Label(74) + Html(ItemCellText(tree, item, 0x01, input.display, nullptr));
    html += QStringLiteral("<BR><BR>") + Label(76) +
            Html(ItemCellText(tree, item, 0x02, input.display, nullptr));
    if (const auto description = item.textAttribute(attr::Description)) {
        if (!input.showDescription)
            html += QStringLiteral("<BR><BR>") + Html(Str(144)) + QStringLiteral(": <BR>") +
                    WithLineBreaks(*description);
        else
            html += QStringLiteral("<BR><BR>") + Html(Str(73)) + QStringLiteral(": <BR>") +
                    Html(item.name());
    }
    if (const auto borrower = item.textAttribute(attr::LentTo))
        html += QStringLiteral("<BR><BR>") + Label(72) + Html(*borrower);
    html += QStringLiteral("<BR>");
    const ColumnTable builtin;
    const ColumnTable& table = input.definitions ? input.definitions->columns() : builtin;
    for (const uint8_t key : input.columns) {
        if (!ShownAsExtraLine(key))
            continue;
        const ColumnDescriptor* column = table.findKey(key);
        const std::string title =
            column ? (column->titleKey ? Str(column->titleKey) : column->title) : std::string();
        html += QStringLiteral("<BR>") + Html(title) + QStringLiteral(": ") +
                Html(ItemCellText(tree, item, key, input.display, input.definitions));
    }
    if (!input.thumbnailSource.isEmpty())
        html += QStringLiteral("<BR>") + Html(Str(255)) + QStringLiteral(":<BR><IMG SRC=\"") +
                input.thumbnailSource.toHtmlEscaped() + QStringLiteral("\">");
    return html;
}

QString SelectionStatusText(const CatalogTree& tree, size_t listedCount,
                            std::span<const CatalogItem* const> selection,
                            const ListDisplay& display) {
    if (selection.empty())
        return Count(ItemCountText(), listedCount);
    if (selection.size() > 1)
        return Count(Str(163), selection.size());
    const CatalogItem& item = *selection.front();
    std::string text = tree.displayName(&item, false);
    for (const uint8_t key : {uint8_t(0x03), uint8_t(0x01)}) {
        const std::string part = ItemCellText(tree, item, key, display, nullptr);
        if (!part.empty())
            text += ", " + part;
    }
    return QString::fromStdString(text);
}

}  // namespace shelfmark
