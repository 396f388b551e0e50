// stats: what a catalog, folder or disk holds, counted by kind, media type, extension and year,
// with its largest files and directories. The counting is the catalog library's.
#include <iomanip>
#include <iostream>
#include <string>
#include <vector>

#include "catalog/CatalogPath.h"
#include "catalog/ContentStatistics.h"
#include "cli/ArgParser.h"
#include "cli/CatalogLoad.h"
#include "cli/Command.h"
#include "cli/ItemJson.h"
#include "foundation/Utf8Text.h"

namespace shelfmark::cli {
namespace {

int RunStats(const std::vector<std::string>& args);
const Command kStatsCommand{
    "stats", "count what a catalog, folder or disk holds by kind, type, extension and year",
    "Usage: shelfmark-cli stats FILE [PATH] [--format table|json] [--archives] [--top N]\n"
    "\n"
    "Counts the items below the catalog PATH (the root when omitted): by kind, disks\n"
    "by media type, files by extension (the 20 with the most bytes, the rest as\n"
    "\"(other)\"), files by year of modification, and lists the N (default 10)\n"
    "largest files and directories. Sizes are bytes. --archives counts the contents\n"
    "of archives as files too. Locked (password-protected) contents are not counted.\n",
    RunStats};
const CommandRegistration kStats(kStatsCommand);

void PrintTable(const char* title, const char* countTitle,
                const std::vector<StatisticsBucket>& buckets, bool bytesKnown = true) {
    if (buckets.empty())
        return;
    size_t width = std::string_view(title).size();
    for (const StatisticsBucket& bucket : buckets)
        width = std::max(width, text::ForTerminal(bucket.key).size());
    std::cout << std::left << std::setw(int(width)) << title << "  " << std::right
              << std::setw(12) << countTitle << "  " << std::setw(18) << "Bytes" << '\n';
    for (const StatisticsBucket& bucket : buckets) {
        const std::string key = bucket.key.empty() ? "(none)" : text::ForTerminal(bucket.key);
        std::cout << std::left << std::setw(int(width)) << key << "  " << std::right
                  << std::setw(12) << bucket.count << "  " << std::setw(18)
                  << (bytesKnown || bucket.bytes ? std::to_string(bucket.bytes) : "-") << '\n';
    }
    std::cout << '\n';
}

void PrintItems(const char* title, const std::vector<const CatalogItem*>& items) {
    if (items.empty())
        return;
    std::cout << title << '\n';
    for (const CatalogItem* item : items)
        std::cout << std::right << std::setw(18) << item->size() << "  "
                  << text::ForTerminal(CatalogPathOf(*item)) << '\n';
    std::cout << '\n';
}

void AppendBuckets(std::string& out, const char* name, const char* keyName,
                   const std::vector<StatisticsBucket>& buckets) {
    out += std::string(",\n  \"") + name + "\": [";
    for (size_t i = 0; i < buckets.size(); ++i) {
        out += i ? ",\n    {\"" : "\n    {\"";
        out += keyName;
        out += "\": ";
        AppendJsonString(out, buckets[i].key);
        out += ", \"count\": " + std::to_string(buckets[i].count) +
               ", \"bytes\": " + std::to_string(buckets[i].bytes) + "}";
    }
    out += buckets.empty() ? "]" : "\n  ]";
}

void AppendItems(std::string& out, const char* name, const std::vector<const CatalogItem*>& items) {
    out += std::string(",\n  \"") + name + "\": [";
    for (size_t i = 0; i < items.size(); ++i) {
        out += i ? ",\n    {\"path\": " : "\n    {\"path\": ";
        AppendJsonString(out, CatalogPathOf(*items[i]));
        out += ", \"size\": " + std::to_string(items[i]->size()) + "}";
    }
    out += items.empty() ? "]" : "\n  ]";
}

int RunStats(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("format").option("top").flag("archives");
    if (!parser.parse(args))
        return UsageError(kStatsCommand, parser.error());
    const std::string format = parser.valueOr("format", "table");
    if (format != "table" && format != "json")
        return UsageError(kStatsCommand, "--format is table or json");
    uint64_t top = 10;
    if (parser.has("top") && !parser.number("top", top))
        return UsageError(kStatsCommand, parser.error());
    const std::vector<std::string>& operands = parser.positionals();
    if (operands.empty() || operands.size() > 2)
        return UsageError(kStatsCommand, "expected FILE and at most one PATH");
    CatalogTree tree;
    CatalogReadResult result;
    if (!LoadCatalog(operands[0], tree, result))
        return kExitFailure;
    const CatalogItem* item = operands.size() == 2 ? ResolveCatalogPath(tree, operands[1]) : tree.root();
    if (!item)
        return Fail("no item '" + operands[1] + "' in the catalog");
    if (!item->isContainer() || item->isShortcut())
        return Fail("'" + operands[1] + "' is not a folder, disk, directory or archive");

    StatisticsOptions options;
    options.includeArchiveContents = parser.has("archives");
    options.topItems = size_t(std::min<uint64_t>(top, 100000));
    const ContentStatistics stats = GatherContentStatistics(tree, *item, options);

    if (format == "json") {
        std::string out = "{\"path\": ";
        AppendJsonString(out, CatalogPathOf(*item));
        out += ",\n  \"files\": " + std::to_string(stats.files) +
               ",\n  \"fileBytes\": " + std::to_string(stats.fileBytes);
        AppendBuckets(out, "kinds", "kind", stats.byKind);
        AppendBuckets(out, "mediaTypes", "mediaType", stats.byMediaType);
        AppendBuckets(out, "extensions", "extension", stats.byExtension);
        AppendBuckets(out, "years", "year", stats.byYear);
        AppendItems(out, "largestFiles", stats.largestFiles);
        AppendItems(out, "largestDirectories", stats.largestDirectories);
        std::cout << out << "\n}\n";
    } else {
        std::cout << "Files: " << stats.files << ", " << stats.fileBytes << " bytes\n\n";
        PrintTable("Kind", "Items", stats.byKind, false);
        PrintTable("Media type", "Disks", stats.byMediaType);
        PrintTable("Extension", "Files", stats.byExtension);
        PrintTable("Year", "Files", stats.byYear);
        PrintItems("Largest files", stats.largestFiles);
        PrintItems("Largest directories", stats.largestDirectories);
    }
    return std::cout.flush() ? kExitSuccess : kExitFailure;
}

}  // namespace
}  // namespace shelfmark::cli
