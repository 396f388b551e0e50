// The "Tarnwick Drag Data" format: catalog items on the clipboard or in a drag. Items travel as
// their row paths from the top level ("0/2/17": the 18th child of the 3rd child of the root),
// together with the process and the tree generation they belong to, so a drop resolves them
// through the tree's row index and never trusts a pointer: data from another process, from a
// catalog replaced since (new, open, reload) or naming rows that no longer exist gives nothing.
//
// Text form, one line each: "shelfmark-drag 1", the process id, the tree generation, then one
// row path per item.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace shelfmark {

class CatalogItem;
class CatalogTree;

inline constexpr std::string_view kDragDataFormatName = "Tarnwick Drag Data";
inline constexpr std::string_view kDragDataMimeType = "application/x-tarnwick-drag-data";

std::string EncodeDragData(const CatalogTree& tree, uint64_t generation,
                           const std::vector<const CatalogItem*>& items, int64_t processId);
// The items, in order; empty when the data is not for this tree. Items inside another listed
// item are dropped (moving a folder moves what it holds).
std::vector<CatalogItem*> DecodeDragData(const CatalogTree& tree, uint64_t generation,
                                         std::string_view data, int64_t processId);

}  // namespace shelfmark
