// The item edits of the category and extra-information commands, shared by `categorize`,
// `extra FILE PATH` and `batch`, so that a batch line does exactly what the command does.
// Each applies its arguments (those after FILE) to an open document whose lock is held; the
// caller saves. The exit status tells argument and lookup failures (already printed);
// `status` is the edit's own outcome when it ran.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "catalog/EditSupport.h"
#include "catalog/ExtraInfoOperations.h"

namespace shelfmark {
class CatalogDefinitions;
}

namespace shelfmark::cli {

class ArgParser;
struct Command;

// The profile a catalog without category definitions takes them from when it is opened.
inline constexpr std::string_view kCategoriesProfile = "Categories.tkp";

// categorize PATH... --set NAME[,NAME...] | --clear
void DeclareCategorize(ArgParser& parser);
int ApplyCategorize(CatalogDocument& document, const ArgParser& parser,
                    std::span<const std::string> paths, EditStatus& status);

// extra PATH [--set FIELD=VALUE]... [--thumbnail IMAGE]: without an option, prints the item's
// extra information and changes nothing (status Unchanged).
void DeclareItemExtra(ArgParser& parser);
int ApplyItemExtra(CatalogDocument& document, const CatalogDefinitions& definitions,
                   const ArgParser& parser, const std::string& path, EditStatus& status);

// One FIELD=VALUE of the extra information, given to `command` with --`option`: FIELD is a
// built-in or user-defined field of the catalog at `catalogPath`, named ignoring case (the
// thumbnail is no text to set). kExitSuccess with `row` filled, or the exit status after the
// message was printed.
int ParseExtraAssignment(const Command& command, std::string_view option,
                         const CatalogDefinitions& definitions, const std::string& assignment,
                         const std::string& catalogPath, ExtraInfoRow& row);

}  // namespace shelfmark::cli
