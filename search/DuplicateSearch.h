// Duplicate search: the files below a container that are alike under the chosen criteria,
// grouped so that each group's rows stand together and neighbouring groups alternate shades.
// One sort and one pass over neighbours, never all pairs.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace shelfmark {
class CancelFlag;
class CatalogItem;
class Prompter;
}  // namespace shelfmark

namespace shelfmark::search {

// Comparison criteria, combinable.
namespace duplicate {
constexpr unsigned NameBit = 1;
constexpr unsigned SizeBit = 2;
constexpr unsigned DateBit = 4;
constexpr unsigned Crc32Bit = 8;  // only between two items that both carry a CRC32
constexpr unsigned Md5Bit = 16;   // only between two items that both carry an MD5
}  // namespace duplicate

struct DuplicateJob {
    const CatalogItem* scope = nullptr;  // its descendants are examined, not itself
    unsigned criteria = duplicate::NameBit | duplicate::SizeBit | duplicate::DateBit;
    bool minSizeFilter = false;
    uint64_t minSize = 0;
    const CancelFlag* cancel = nullptr;  // read before and after sorting and per neighbour pair
};

struct DuplicateRow {
    const CatalogItem* item = nullptr;
    uint8_t shade = 0;  // the same within a group; successive groups alternate, the first is 0
};

// Whether a search with these criteria may start: with none chosen the fixed message "Please
// select at least one comparison criterium!" goes through the prompter and it may not.
bool DuplicateCriteriaChosen(unsigned criteria, Prompter& prompter);

// The minimum size from the window's text and unit: the filter is on when the text is not empty,
// the size its leading integer shifted by the unit (0 when it does not start with digits).
void SetMinimumSize(DuplicateJob& job, std::string_view sizeText, unsigned unitShift);

// The candidates of a job in walk order: files and archives (never what is inside an archive)
// below the scope, at least minSize large when the filter is on; locked subtrees are unseen. The
// scope's own children are looked at whatever its kind, so an archive chosen as the scope gives
// its contents.
std::vector<const CatalogItem*> CollectDuplicateCandidates(const DuplicateJob& job);

// <0, 0, >0: date, then CRC32 and MD5 when both carry them, then size, then the names
// case-insensitively, each only when its criterion is chosen. 0 means the two are duplicates.
int CompareDuplicates(const CatalogItem& a, const CatalogItem& b, unsigned criteria);

// The rows of every group, group after group. A job without criteria finds nothing.
std::vector<DuplicateRow> FindDuplicates(const DuplicateJob& job);

// The rows split into their groups.
std::vector<std::vector<const CatalogItem*>> DuplicateGroups(const std::vector<DuplicateRow>& rows);

}  // namespace shelfmark::search
