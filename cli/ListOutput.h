// Writing search and duplicate results with the list writers: `search ... --export` and
// `dupes ... --export` hand their hits here (list names "SearchResult" and
// "SearchDuplicatesResult", whose export settings the desktop program shares).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace shelfmark {
class CatalogItem;
class CatalogTree;
}  // namespace shelfmark

namespace shelfmark::cli {

// The targets `--export` takes: csv, txt, xml and pdf.
bool IsResultExportTarget(const std::string& target);

// Writes the hits (in hit order) as a search result to `output`; returns the exit status. The
// row texts follow the desktop program's display settings (the tree's are set from them).
int ExportSearchHits(CatalogTree& tree, const std::vector<const CatalogItem*>& hits,
                     const std::string& target, const std::string& output);
// Writes the groups (group after group) as a duplicate result to `output`.
int ExportDuplicateGroups(CatalogTree& tree, const std::vector<std::vector<const CatalogItem*>>& groups,
                          const std::string& target, const std::string& output);

}  // namespace shelfmark::cli
