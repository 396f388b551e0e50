// Building an item list: the rows of every item below a start container that a profile lists.
//
// The walk goes through the descendants in pre-order, children as the catalog's safe accessor
// gives them (a locked item's contents are never listed). Shortcuts are skipped. Containers
// other than archives are listed when their kind is chosen (folders, disks, plain
// directories) and entered while the depth is below the profile's maximum; files and archives
// (whose contents are not visited) are listed when files are chosen and the extension matches.
// A listed file also gets the pieces its name (or description) is cut into by the format.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "lists/FilenameFormat.h"
#include "lists/ItemListProfile.h"
#include "lists/ListTable.h"

namespace shelfmark {

class CancelFlag;
class CatalogItem;
class CatalogTree;
class Prompter;
class RowBuilder;

// Why a list does not start; each leaves everything unchanged.
enum class ItemListProblem {
    None,
    NoColumns,        // "No columns defined!" (178)
    NoFormatVariable  // "The filename format string does not contain any variables!" (177)
};
ItemListProblem CheckItemListProfile(const ItemListProfile& profile);
// The message text of a problem (empty for None).
std::string ItemListProblemText(ItemListProblem problem);

struct ItemListJob {
    const CatalogTree* tree = nullptr;
    const CatalogItem* start = nullptr;  // its descendants are listed, not itself
    const ItemListProfile* profile = nullptr;
    RowBuilder* builder = nullptr;
    const CancelFlag* cancel = nullptr;  // read before each item
    // Called with the processed-item count each time it reaches the next hundredth of the total.
    std::function<void(uint64_t done, uint64_t total)> progress;
};

struct ItemListResult {
    ListTable table;
    uint64_t expectedTotal = 0;  // the items of the listed kinds below the start
    bool cancelled = false;
    bool outOfMemory = false;  // a row could not be stored: the walk ended, earlier rows stay
};

// The expected total for the profile's kinds below `start` (archives not entered).
uint64_t ExpectedItemCount(const CatalogTree& tree, const CatalogItem& start, const ItemListProfile& profile);

// Whether a file name matches the profile's extensions (every name when there are none): the
// text after the last "." compared without regard to case.
bool ExtensionListed(std::string_view name, const std::vector<std::string>& extensions);

// Builds the list. The profile must pass CheckItemListProfile.
ItemListResult BuildItemList(const ItemListJob& job);

// Checks the profile (a problem goes to the prompter as an error and nothing is built), then
// builds. Nothing when the profile was refused.
std::optional<ItemListResult> StartItemList(const ItemListJob& job, Prompter& prompter);

}  // namespace shelfmark
