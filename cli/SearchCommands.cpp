// Search commands: search (items by name, description, kinds, dates, size, categories and
// extra information) and dupes (groups of alike files).
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "catalog/CatalogPath.h"
#include "catalog/Definitions.h"
#include "cli/ArgParser.h"
#include "cli/CatalogLoad.h"
#include "cli/Command.h"
#include "cli/ListOutput.h"
#include "cli/ItemJson.h"
#include "foundation/NumberFormat.h"
#include "foundation/Utf8Text.h"
#include "foundation/ValueTexts.h"
#include "search/DuplicateSearch.h"
#include "search/SearchFields.h"
#include "search/SearchWalk.h"

namespace shelfmark::cli {
namespace {

using namespace shelfmark::search;

// Takes "--name A B" out of args; none when absent, an error text when the values are missing.
std::optional<std::pair<std::string, std::string>> TakePair(std::vector<std::string>& args,
                                                            std::string_view name,
                                                            std::string& error) {
    const auto at = std::find(args.begin(), args.end(), name);
    if (at == args.end())
        return std::nullopt;
    if (args.end() - at < 3) {
        error = std::string(name) + " needs two values";
        return std::nullopt;
    }
    std::pair<std::string, std::string> values{at[1], at[2]};
    args.erase(at, at + 3);
    if (std::find(args.begin(), args.end(), name) != args.end())
        error = std::string(name) + " may be given once";
    return values;
}

// "YYYY-MM-DD" in local time: the first second of that day, or (endOfDay) the last.
std::optional<int64_t> ParseLocalDay(const std::string& text, bool endOfDay) {
    int year = 0, month = 0, day = 0;
    char extra = 0;
    if (text.size() != 10 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &extra) != 3)
        return std::nullopt;
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_isdst = -1;
    if (endOfDay) {
        fields.tm_hour = 23;
        fields.tm_min = 59;
        fields.tm_sec = 59;
    }
    const time_t seconds = std::mktime(&fields);
    if (month < 1 || month > 12 || day < 1 || fields.tm_mday != day || seconds == time_t(-1))
        return std::nullopt;
    return int64_t(seconds);
}

// "N" with an optional unit ("10", "10MB", "3 kb"): the digits and the unit's shift.
bool ParseSize(std::string_view text, std::string& digits, unsigned& shift, unsigned defaultShift) {
    size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9')
        ++n;
    if (n == 0 || n > 7)
        return false;
    digits = std::string(text.substr(0, n));
    std::string_view unit = text.substr(n);
    while (!unit.empty() && unit.front() == ' ')
        unit.remove_prefix(1);
    if (unit.empty()) {
        shift = defaultShift;
        return true;
    }
    const std::optional<unsigned> unitShift = SizeUnitShift(unit);
    if (!unitShift)
        return false;
    shift = *unitShift;
    return true;
}

// "FIELD OP VALUE" (FIELD may hold blanks): a condition, or an error text.
std::optional<ExtraInfoCondition> ParseWhere(std::string_view where,
                                             const std::vector<NamedKey>& fields,
                                             std::string& error) {
    static constexpr std::pair<std::string_view, ConditionOperator> kOperators[] = {
        {"less", ConditionOperator::LessThan},    {"equal", ConditionOperator::EqualTo},
        {"greater", ConditionOperator::GreaterThan}, {"between", ConditionOperator::Between},
        {"contains", ConditionOperator::Contains}, {"matches", ConditionOperator::Matches},
    };
    error = "--where '" + text::ForTerminal(where) + "': ";
    // The operator is the first blank-separated word that names one.
    for (size_t start = 0; start < where.size();) {
        size_t end = where.find(' ', start);
        if (end == std::string_view::npos)
            end = where.size();
        const std::string_view word = where.substr(start, end - start);
        for (const auto& [name, op] : kOperators) {
            if (start == 0 || !text::EqualsNoCase(word, name))
                continue;
            std::string_view field = where.substr(0, start);
            while (!field.empty() && field.back() == ' ')
                field.remove_suffix(1);
            std::string_view value = end < where.size() ? where.substr(end + 1) : std::string_view();
            const std::optional<uint8_t> key = FindNamedKey(fields, field);
            if (!key || !(IsNumericConditionKey(*key) || IsTextConditionKey(*key))) {
                error += "no searchable field '" + text::ForTerminal(field) + "'";
                return std::nullopt;
            }
            ExtraInfoCondition condition;
            condition.key = *key;
            condition.op = op;
            const bool textOp = uint8_t(op) >= 0x80;
            if (IsTextConditionKey(*key) != textOp) {
                error += textOp ? "a number field takes less, equal, greater or between"
                                : "a text field takes contains or matches";
                return std::nullopt;
            }
            if (textOp) {
                if (value.empty()) {
                    error += "the value must not be empty";
                    return std::nullopt;
                }
                condition.text = std::string(value);
                return condition;
            }
            const size_t blank = value.find(' ');
            const std::optional<uint32_t> v1 = ParseConditionNumber(value.substr(0, blank));
            const std::optional<uint32_t> v2 =
                blank == std::string_view::npos ? std::nullopt : ParseConditionNumber(value.substr(blank + 1));
            if (!v1 || (op == ConditionOperator::Between) != v2.has_value()) {
                error += op == ConditionOperator::Between ? "between takes two positive integers"
                                                          : "the value must be a positive integer";
                return std::nullopt;
            }
            condition.value1 = *v1;
            condition.value2 = v2.value_or(0);
            return condition;
        }
        start = end + 1;
    }
    error += "expected FIELD OP VALUE with OP one of less, equal, greater, between, contains, matches";
    return std::nullopt;
}

// The container named by --in (the root when absent); prints why when there is none.
const CatalogItem* StartItem(const CatalogTree& tree, const ArgParser& parser) {
    const std::optional<std::string> path = parser.value("in");
    if (!path)
        return tree.root();
    const CatalogItem* item = ResolveCatalogPath(tree, *path);
    if (!item) {
        Fail("no item '" + *path + "' in the catalog");
        return nullptr;
    }
    if (!item->isContainer()) {
        Fail("'" + *path + "' is not a folder, disk, directory or archive");
        return nullptr;
    }
    return item;
}

std::string CountLine(size_t count) {
    return NumberFormat::User().format(uint64_t(count)) + " item(s) found.\n";
}

bool StdoutIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

std::string LocationOf(const CatalogItem& item) {
    return item.parent() ? CatalogPathOf(*item.parent()) : std::string();
}

// Characters of a UTF-8 text, as a terminal of narrow characters lines them up.
size_t ColumnsOf(std::string_view text) {
    return size_t(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// Rows of texts printed in columns two blanks apart; the last column is not padded.
void PrintTable(const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& right) {
    std::vector<size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], ColumnsOf(row[c]));
    }
    std::string out;
    for (const auto& row : rows) {
        if (row.empty()) {
            out += '\n';
            continue;
        }
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            const size_t pad = widths[c] - ColumnsOf(row[c]);
            const bool last = c + 1 == row.size();
            if (c < right.size() && right[c])
                line.append(pad, ' ') += row[c];
            else
                line += row[c] + (last ? "" : std::string(pad, ' '));
            if (!last)
                line += "  ";
        }
        out += line + '\n';
        if (out.size() > (1 << 16)) {
            std::cout << out;
            out.clear();
        }
    }
    std::cout << out;
}

std::string SizeColumn(const CatalogItem& item) {
    return (item.flags() & (itemflag::Directory | itemflag::Folder | itemflag::Shortcut))
               ? std::string()
               : SizeText(item.size(), SizeTextMode::Automatic);
}

std::string DateColumn(const CatalogItem& item) {
    return item.date() ? DateText(item.date()) : std::string();
}

// ---------------------------------------------------------------------------------------------

int RunSearch(const std::vector<std::string>& args);
const Command kSearchCommand{
    "search", "find items by name, description, kind, date, size, category or extra information",
    "Usage: shelfmark-cli search FILE TEXT [--in PATH] [--case] [--whole]\n"
    "           [--all-words|--any-word] [--no-description] [--extra]\n"
    "           [--kinds files,dirs,disks,folders]\n"
    "           [--between DATE DATE|--within-days N|--within-months N]\n"
    "           [--size equal|atleast|atmost N[B|KB|MB|GB|TB|PB|EB]]\n"
    "           [--category NAME]... [--exclude-categories] [--where \"FIELD OP VALUE\"]...\n"
    "           [--format table|json|paths] [--limit N] [--export csv|txt|xml|pdf -o OUT]\n"
    "\n"
    "Finds the items below PATH (default: the root) whose name holds TEXT, case-insensitively\n"
    "unless --case. \"*\" in TEXT stands for any run of characters and \"?\" for one. --whole:\n"
    "the whole name must match. --all-words / --any-word split TEXT at blanks. The description\n"
    "is searched too unless --no-description; --extra searches every text field. --kinds picks\n"
    "the kinds reported (all by default; containers are searched through in any case). DATE is\n"
    "YYYY-MM-DD in local time; --between covers both whole days, in either order; a month is\n"
    "30.5 days. --size compares files only (a bare N is in KB). --category (a name or number,\n"
    "repeatable) keeps the items with one of those categories, or leaves them out with\n"
    "--exclude-categories. --where tests a field (#, Artist, Title, Source, Location, Comment,\n"
    "Author, Album, Width, Height, Bit depth, MD5, Serial number, the catalog's own fields, or a\n"
    "key such as 0x85) with less, equal, greater, between A B, contains or matches. Items in\n"
    "locked folders are not searched. --limit N prints the first N hits. --export writes the\n"
    "hits to OUT as the search result list (see export-list) instead of printing them.\n",
    RunSearch};
const CommandRegistration kSearch(kSearchCommand);

int RunSearch(const std::vector<std::string>& givenArgs) {
    std::vector<std::string> args = givenArgs;
    std::string pairError;
    const auto between = TakePair(args, "--between", pairError);
    const auto size = pairError.empty() ? TakePair(args, "--size", pairError) : std::nullopt;
    if (!pairError.empty())
        return UsageError(kSearchCommand, pairError);

    ArgParser parser;
    parser.option("in").option("kinds").option("within-days").option("within-months");
    parser.option("category").option("where").option("format").option("limit");
    parser.flag("case").flag("whole").flag("all-words").flag("any-word").flag("no-description");
    parser.flag("extra").flag("exclude-categories");
    parser.option("export").option("o").alias("-o", "o");
    if (!parser.parse(args))
        return UsageError(kSearchCommand, parser.error());
    if (parser.has("export") && (!IsResultExportTarget(parser.valueOr("export", "")) || !parser.has("o")))
        return UsageError(kSearchCommand, "--export takes csv, txt, xml or pdf, with -o OUT");
    if (parser.positionals().size() != 2)
        return UsageError(kSearchCommand, "expected FILE and TEXT");
    const std::string format = parser.valueOr("format", "table");
    if (format != "table" && format != "json" && format != "paths")
        return UsageError(kSearchCommand, "--format must be table, json or paths");
    uint64_t limit = UINT64_MAX;
    if (parser.has("limit") && !parser.number("limit", limit))
        return UsageError(kSearchCommand, parser.error());

    const int64_t now = std::time(nullptr);
    SearchCriteria criteria = InitialCriteria(now);
    criteria.text = parser.positionals()[1];
    if (criteria.text.empty())
        return UsageError(kSearchCommand, "TEXT must not be empty (\"*\" matches every name)");
    criteria.caseSensitive = parser.has("case");
    criteria.wholeString = parser.has("whole");
    if (parser.has("all-words") && parser.has("any-word"))
        return UsageError(kSearchCommand, "--all-words and --any-word exclude each other");
    if (parser.has("all-words"))
        criteria.wordMode = WordMode::AllWords;
    if (parser.has("any-word"))
        criteria.wordMode = WordMode::AnyWord;
    criteria.inDescription = !parser.has("no-description");
    criteria.inExtraInfo = parser.has("extra");

    if (const auto kinds = parser.value("kinds")) {
        criteria.files = criteria.directories = criteria.disks = criteria.folders = false;
        std::string_view rest = *kinds;
        while (!rest.empty()) {
            const size_t comma = rest.find(',');
            const std::string_view kind = rest.substr(0, comma);
            if (kind == "files")
                criteria.files = true;
            else if (kind == "dirs")
                criteria.directories = true;
            else if (kind == "disks")
                criteria.disks = true;
            else if (kind == "folders")
                criteria.folders = true;
            else
                return UsageError(kSearchCommand, "--kinds takes files, dirs, disks and folders");
            rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
        }
    }

    const int dateOptions = between.has_value() + parser.has("within-days") + parser.has("within-months");
    if (dateOptions > 1)
        return UsageError(kSearchCommand, "give one of --between, --within-days, --within-months");
    if (between) {
        auto [first, last] = *between;
        if (first > last)
            std::swap(first, last);
        const auto from = ParseLocalDay(first, false);
        const auto to = ParseLocalDay(last, true);
        if (!from || !to)
            return UsageError(kSearchCommand, "--between takes two dates as YYYY-MM-DD");
        criteria.dateMode = DateMode::Between;
        criteria.date1 = *from;
        criteria.date2 = *to;
    } else if (parser.has("within-days")) {
        criteria.dateMode = DateMode::WithinDays;
        criteria.days = *parser.value("within-days");
    } else if (parser.has("within-months")) {
        criteria.dateMode = DateMode::WithinMonths;
        criteria.months = *parser.value("within-months");
    }
    if (const auto invalid = ValidateCriteria(criteria))
        return UsageError(kSearchCommand, std::string(*invalid == InvalidField::Days ? "--within-days"
                                                                                    : "--within-months") +
                                              ": Please fill out this field correctly. (1 to 999)");
    if (size) {
        const auto& [op, amount] = *size;
        if (op == "equal")
            criteria.sizeOperator = SizeOperator::EqualTo;
        else if (op == "atleast")
            criteria.sizeOperator = SizeOperator::AtLeast;
        else if (op == "atmost")
            criteria.sizeOperator = SizeOperator::AtMost;
        else
            return UsageError(kSearchCommand, "--size takes equal, atleast or atmost");
        if (!ParseSize(amount, criteria.sizeText, criteria.sizeShift, criteria.sizeShift))
            return UsageError(kSearchCommand, "--size takes up to 7 digits and a unit B, KB, MB, GB, TB, PB or EB");
    }
    criteria.excludeCategories = parser.has("exclude-categories");

    CatalogTree tree;
    CatalogReadResult result;
    if (!LoadCatalog(parser.positionals()[0], tree, result))
        return kExitFailure;
    const CatalogItem* start = StartItem(tree, parser);
    if (!start)
        return kExitFailure;

    const std::vector<NamedKey> categories = NamedCategories(*tree.root());
    for (const std::string& name : parser.values("category")) {
        const std::optional<uint8_t> id = FindNamedKey(categories, name);
        if (!id)
            return UsageError(kSearchCommand, "no category '" + text::ForTerminal(name) + "' in the catalog");
        SelectCategory(criteria, *id);
    }
    const std::vector<NamedKey> fields = ConditionFields(*tree.root());
    for (const std::string& where : parser.values("where")) {
        std::string error;
        const std::optional<ExtraInfoCondition> condition = ParseWhere(where, fields, error);
        if (!condition)
            return UsageError(kSearchCommand, error);
        criteria.conditions.push_back(*condition);
    }

    const PreparedSearch search = PrepareSearch(criteria, now);
    const std::vector<const CatalogItem*> hits = SearchTree(search, *start);
    if (parser.has("export"))
        return ExportSearchHits(tree, hits, *parser.value("export"), *parser.value("o"));
    const size_t shown = size_t(std::min<uint64_t>(limit, hits.size()));

    if (format == "json") {
        CatalogDefinitions definitions;
        definitions.reload(*tree.root());
        std::string out = "{\"count\": " + std::to_string(hits.size()) + ", \"items\": [";
        for (size_t i = 0; i < shown; ++i) {
            out += i ? ",\n  " : "\n  ";
            AppendJsonItem(out, *hits[i], definitions);
            if (out.size() > (1 << 16)) {
                std::cout << out;
                out.clear();
            }
        }
        out += shown ? "\n]}\n" : "]}\n";
        std::cout << out;
        return kExitSuccess;
    }
    if (format == "paths") {
        std::string out;
        for (size_t i = 0; i < shown; ++i)
            out += CatalogPathOf(*hits[i]) + '\n';
        std::cout << out;
        return kExitSuccess;
    }
    std::vector<std::vector<std::string>> rows;
    rows.push_back({"Name", "In Directory", "Size", "Type", "Modified"});
    for (size_t i = 0; i < shown; ++i) {
        const CatalogItem& item = *hits[i];
        rows.push_back({text::ForTerminal(item.name()), text::ForTerminal(LocationOf(item)),
                        SizeColumn(item), tree.typeText(&item), DateColumn(item)});
    }
    PrintTable(rows, {false, false, true, false, false});
    if (StdoutIsTerminal())
        std::cout << CountLine(hits.size());
    return kExitSuccess;
}

// ---------------------------------------------------------------------------------------------

int RunDupes(const std::vector<std::string>& args);
const Command kDupesCommand{
    "dupes", "list groups of alike files",
    "Usage: shelfmark-cli dupes FILE [--in PATH] --by name,size,date,crc32,md5\n"
    "           [--min-size N[B|KB|MB|GB|TB|PB|EB]] [--format table|json]\n"
    "           [--export csv|txt|xml|pdf -o OUT]\n"
    "\n"
    "Lists the files below PATH (default: the root) that are alike under every criterion of\n"
    "--by: name (ignoring case), size, modification date, crc32 and md5 (a file without that\n"
    "checksum is judged by the other criteria). Archives are compared as files; what is inside\n"
    "them is not. --min-size leaves out smaller files (a bare N is in KB). The table shows each\n"
    "group followed by a blank line; JSON is {\"groups\": [[item, ...], ...]} with the items of dump.\n"
    "--export writes the groups to OUT as the duplicate result list (see export-list).\n",
    RunDupes};
const CommandRegistration kDupes(kDupesCommand);

int RunDupes(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("in").option("by").option("min-size").option("format");
    parser.option("export").option("o").alias("-o", "o");
    if (!parser.parse(args))
        return UsageError(kDupesCommand, parser.error());
    if (parser.has("export") && (!IsResultExportTarget(parser.valueOr("export", "")) || !parser.has("o")))
        return UsageError(kDupesCommand, "--export takes csv, txt, xml or pdf, with -o OUT");
    if (parser.positionals().size() != 1)
        return UsageError(kDupesCommand, "expected one FILE");
    const std::string format = parser.valueOr("format", "table");
    if (format != "table" && format != "json")
        return UsageError(kDupesCommand, "--format must be table or json");
    DuplicateJob job;
    job.criteria = 0;
    std::string_view by = parser.valueOr("by", "");
    const std::string byText(by);
    by = byText;
    while (!by.empty()) {
        const size_t comma = by.find(',');
        const std::string_view name = by.substr(0, comma);
        if (name == "name")
            job.criteria |= duplicate::NameBit;
        else if (name == "size")
            job.criteria |= duplicate::SizeBit;
        else if (name == "date")
            job.criteria |= duplicate::DateBit;
        else if (name == "crc32")
            job.criteria |= duplicate::Crc32Bit;
        else if (name == "md5")
            job.criteria |= duplicate::Md5Bit;
        else
            return UsageError(kDupesCommand, "--by takes name, size, date, crc32 and md5");
        by.remove_prefix(comma == std::string_view::npos ? by.size() : comma + 1);
    }
    if (job.criteria == 0)
        return UsageError(kDupesCommand, "Please select at least one comparison criterium! (--by)");
    if (const auto minSize = parser.value("min-size")) {
        std::string digits;
        unsigned shift = 10;
        if (!ParseSize(*minSize, digits, shift, 10))
            return UsageError(kDupesCommand, "--min-size takes up to 7 digits and a unit B, KB, MB, GB, TB, PB or EB");
        SetMinimumSize(job, digits, shift);
    }

    CatalogTree tree;
    CatalogReadResult result;
    if (!LoadCatalog(parser.positionals()[0], tree, result))
        return kExitFailure;
    job.scope = StartItem(tree, parser);
    if (!job.scope)
        return kExitFailure;
    const std::vector<DuplicateRow> rows = FindDuplicates(job);
    const auto groups = DuplicateGroups(rows);
    if (parser.has("export"))
        return ExportDuplicateGroups(tree, groups, *parser.value("export"), *parser.value("o"));

    if (format == "json") {
        CatalogDefinitions definitions;
        definitions.reload(*tree.root());
        std::string out = "{\"groups\": [";
        for (size_t g = 0; g < groups.size(); ++g) {
            out += g ? ",\n  [" : "\n  [";
            for (size_t i = 0; i < groups[g].size(); ++i) {
                out += i ? ",\n   " : "";
                AppendJsonItem(out, *groups[g][i], definitions);
            }
            out += "]";
            if (out.size() > (1 << 16)) {
                std::cout << out;
                out.clear();
            }
        }
        out += groups.empty() ? "]}\n" : "\n]}\n";
        std::cout << out;
        return kExitSuccess;
    }
    std::vector<std::vector<std::string>> table;
    table.push_back({"Name", "In Directory", "Size", "Modified", "CRC32"});
    for (const auto& group : groups) {
        if (&group != &groups.front())
            table.emplace_back();
        for (const CatalogItem* item : group) {
            const std::optional<uint32_t> crc = item->numberAttribute(attr::Crc32);
            char crcText[12] = "";
            if (crc)
                std::snprintf(crcText, sizeof crcText, "%08X", *crc);
            table.push_back({text::ForTerminal(item->name()), text::ForTerminal(LocationOf(*item)),
                             SizeText(item->size(), SizeTextMode::Automatic), DateColumn(*item),
                             crcText});
        }
    }
    PrintTable(table, {false, false, true, false, true});
    if (StdoutIsTerminal())
        std::cout << CountLine(rows.size());
    return kExitSuccess;
}

}  // namespace
}  // namespace shelfmark::cli
