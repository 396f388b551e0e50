#include "lists/ExportSettings.h"

#include <algorithm>

#include "foundation/ProfileFile.h"
#include "foundation/StringFormat.h"
#include "foundation/Utf8Text.h"
#include "lists/PageModel.h"

namespace shelfmark {

namespace {

constexpr int kMaxWidth = 100;
constexpr size_t kFontFaceLimit = 31;

// "%d,%d" as sscanf reads it; false when the first number is missing.
bool ParsePair(std::string_view text, int& first, int& second) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return false;
    first = ParseLeadingInt(text);
    const size_t comma = text.find(',');
    if (comma != std::string_view::npos)
        second = ParseLeadingInt(text.substr(comma + 1));
    return true;
}

}  // namespace

std::string ExportSection(std::string_view listName, ExportTarget target) {
    return std::string(listName) + ":" + std::string(TargetSuffix(target));
}

void AutoSizePercents(std::span<const int> pixelWidths, std::vector<ExportColumn>& columns) {
    long sum = 0;
    for (size_t c = 0; c < columns.size() && c < pixelWidths.size(); ++c)
        if (columns[c].checked)
            sum += std::max(pixelWidths[c], 0);
    if (sum == 0)
        return;
    int total = 0;
    int largest = -1;
    int smallest = -1;
    for (size_t c = 0; c < columns.size() && c < pixelWidths.size(); ++c) {
        if (!columns[c].checked)
            continue;
        columns[c].width = MulDiv(std::max(pixelWidths[c], 0), 100, int(sum));
        total += columns[c].width;
        if (largest < 0 || columns[c].width > columns[size_t(largest)].width)
            largest = int(c);
        if (smallest < 0 || columns[c].width < columns[size_t(smallest)].width)
            smallest = int(c);
    }
    if (total > 100)
        columns[size_t(largest)].width -= total - 100;
    else if (total < 100)
        columns[size_t(smallest)].width += 100 - total;
}

std::vector<std::string> LoadRememberedStyleSheets(const ProfileFile& file) {
    std::vector<std::string> sheets;
    const int count = file.getInt(kStyleSheetSection, "Count", 0);
    const ProfileSection* section = file.findSection(kStyleSheetSection);
    const int bounded = section ? std::min(count, int(section->entries.size())) : 0;
    for (int i = 0; i < bounded; ++i) {
        std::string sheet = file.getString(kStyleSheetSection, StringPrintf("XSL%d", i));
        if (!sheet.empty())
            sheets.push_back(std::move(sheet));
    }
    return sheets;
}

ExportSettings LoadExportSettings(const ProfileFile& file, std::string_view listName, ExportTarget target,
                                  std::span<const ListColumn> columns, const PrintSettings& defaults) {
    ExportSettings settings;
    settings.print = defaults;
    settings.columns.assign(columns.size(), ExportColumn{});
    settings.rememberedStyleSheets = LoadRememberedStyleSheets(file);
    const std::string section = ExportSection(listName, target);
    switch (target) {
        case ExportTarget::Csv:
        case ExportTarget::Xml:
            for (size_t c = 0; c < columns.size(); ++c)
                settings.columns[c].checked = file.getInt(section, columns[c].title, 1) != 0;
            if (target == ExportTarget::Csv)
                settings.fieldSeparator = file.getString(section, "FieldSeparator", ",");
            else
                settings.styleSheet = file.getString(section, "XSL");
            break;
        case ExportTarget::Text:
            for (size_t c = 0; c < columns.size(); ++c) {
                int check = 1;
                int width = 20;
                if (const std::string* value = file.find(section, columns[c].title))
                    ParsePair(*value, check, width);
                settings.columns[c] = {check != 0, std::clamp(width, 0, kMaxWidth)};
            }
            break;
        case ExportTarget::Printer: {
            std::vector<int> pixels;
            for (const ListColumn& column : columns)
                pixels.push_back(column.width);
            AutoSizePercents(pixels, settings.columns);
            for (size_t c = 0; c < columns.size(); ++c) {
                int check = settings.columns[c].checked;
                int percent = settings.columns[c].width;
                if (const std::string* value = file.find(section, columns[c].title))
                    ParsePair(*value, check, percent);
                settings.columns[c] = {check != 0, std::clamp(percent, 0, kMaxWidth)};
            }
            PrintSettings& print = settings.print;
            print.printIcons = file.getInt(section, "bPrintIcons", 1) != 0;
            print.fontHeight = file.getInt(section, "FontHeight", defaults.fontHeight);
            if (print.fontHeight <= 0)
                print.fontHeight = defaults.fontHeight;
            print.fontFace = file.getString(section, "FontFace", defaults.fontFace);
            if (print.fontFace.empty())
                print.fontFace = defaults.fontFace;
            if (print.fontFace.size() > kFontFaceLimit) {
                size_t characters = 0;
                size_t end = 0;
                while (end < print.fontFace.size() && characters <= kFontFaceLimit) {
                    if ((static_cast<unsigned char>(print.fontFace[end]) & 0xC0) != 0x80)
                        ++characters;
                    if (characters <= kFontFaceLimit)
                        ++end;
                }
                print.fontFace.resize(end);
            }
            print.fontColor = uint32_t(file.getInt(section, "FontColor", 0));
            break;
        }
    }
    return settings;
}

void SaveExportSettings(ProfileFile& file, std::string_view listName, ExportTarget target,
                        std::span<const ListColumn> columns, const ExportSettings& settings) {
    if (listName.empty())
        return;
    const std::string section = ExportSection(listName, target);
    auto columnAt = [&settings](size_t c) {
        return c < settings.columns.size() ? settings.columns[c] : ExportColumn{};
    };
    switch (target) {
        case ExportTarget::Csv:
            for (size_t c = 0; c < columns.size(); ++c)
                file.setInt(section, columns[c].title, columnAt(c).checked);
            file.setString(section, "FieldSeparator", settings.fieldSeparator);
            break;
        case ExportTarget::Text:
            for (size_t c = 0; c < columns.size(); ++c)
                file.setString(section, columns[c].title,
                               StringPrintf("%d,%d", int(columnAt(c).checked), columnAt(c).width));
            break;
        case ExportTarget::Xml: {
            std::vector<std::string> remaining = settings.rememberedStyleSheets;
            file.deleteSection(kStyleSheetSection);
            // The sheet used now goes in front; the others follow. An export without a sheet
            // keeps the remembered ones as they were.
            if (!settings.styleSheet.empty()) {
                std::erase_if(remaining, [&settings](const std::string& sheet) {
                    return text::EqualsNoCase(sheet, settings.styleSheet);
                });
                remaining.insert(remaining.begin(), settings.styleSheet);
                file.setString(section, "XSL", settings.styleSheet);
            }
            if (!remaining.empty()) {
                file.setInt(kStyleSheetSection, "Count", int(remaining.size()));
                for (size_t i = 0; i < remaining.size(); ++i)
                    file.setString(kStyleSheetSection, StringPrintf("XSL%d", int(i)), remaining[i]);
            }
            for (size_t c = 0; c < columns.size(); ++c)
                file.setInt(section, columns[c].title, columnAt(c).checked);
            break;
        }
        case ExportTarget::Printer: {
            const PrintSettings& print = settings.print;
            file.setInt(section, "bPrintIcons", print.printIcons);
            file.setInt(section, "FontHeight", print.fontHeight);
            file.setString(section, "FontFace", print.fontFace);
            file.setInt(section, "FontColor", int(print.fontColor));
            for (size_t c = 0; c < columns.size(); ++c)
                file.setString(section, columns[c].title,
                               StringPrintf("%d,%d", int(columnAt(c).checked), columnAt(c).width));
            break;
        }
    }
}

}  // namespace shelfmark
