// Lend and return disks. Only disks are lent (other items are reported and skipped).
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "catalog/EditSupport.h"

namespace shelfmark {

struct LendRequest {
    std::string borrower;  // empty: the disks are returned
    int32_t date = -1;     // -1: now
};

// The lend dialog: gets the disks' names for its caption and the one disk's borrower (empty
// with several disks); nothing cancels.
using AskLend = std::function<std::optional<LendRequest>(const std::string& names,
                                                         const std::string& borrower)>;

// Lend: with a non-empty borrower each disk gets "Lent to" and the lent date; with an empty one
// both are removed (the disks are returned). Without a request the dialog is asked. One
// attribute-change step labelled "Lend" with copies of the disks.
EditStatus LendDisks(CatalogDocument& document, std::span<CatalogItem* const> items,
                     std::optional<LendRequest> request, const AskLend& ask = {});

}  // namespace shelfmark
