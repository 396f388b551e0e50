// The extra-information page of the item properties, without its window: the rows it shows for
// one item, and what applying the edited rows does to the selected items.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "catalog/Definitions.h"
#include "catalog/EditSupport.h"

namespace shelfmark {

struct ExtraInfoRow {
    uint8_t key = 0;
    std::string text;  // as typed: numbers in decimal or "0x" hex; unused for the thumbnail
};

// The page's rows for one item: every attribute that is a built-in or user-defined
// extra-information field, in attribute order; numbers as "%u", texts as they are, the
// thumbnail with an empty text.
std::vector<ExtraInfoRow> ExtraInfoRowsOf(const CatalogItem& item);

// A typed number: hexadecimal after "0x" (or "0X"), decimal otherwise ("010" is ten). Nothing
// when the text is no number that fits 32 bits.
std::optional<uint32_t> ParseExtraNumber(std::string_view text);

// The JPEG bytes of the thumbnail row's image, made by the imaging code; nothing when it
// cannot be encoded.
using ThumbnailEncoder = std::function<std::optional<std::vector<uint8_t>>()>;

struct ExtraInfoChange {
    std::vector<uint8_t> listedKeys;  // the fields the page listed when it opened
    std::vector<ExtraInfoRow> rows;   // the rows when the user applied
    ThumbnailEncoder thumbnail;       // used for a row with key Thumbnail
};

// Apply: one attribute-change step for the items; on each, every listed field is deleted and
// each row stored: a number of 0, an empty text or a thumbnail that cannot be encoded leaves
// its field deleted. A row whose number does not parse, or whose key is no extra-information
// field, is reported and nothing changes.
EditStatus ApplyExtraInfo(CatalogDocument& document, std::span<CatalogItem* const> items,
                          const ExtraInfoChange& change);

// What is wrong with the rows, as the message for the user: the first row whose key is no
// extra-information field or whose number does not parse. Nothing when all rows can be stored.
std::optional<std::string> ExtraInfoRowsProblem(std::span<const ExtraInfoRow> rows);

// The store of the apply rule on one item of `tree`, for a change that is part of a larger
// one: every listed field deleted, then each row stored (a thumbnail row stores `jpeg`, and
// nothing when it is empty). No undo step, no notification and no lock: the caller's own step
// covers the item. The rows must have passed ExtraInfoRowsProblem.
void PutExtraInfo(CatalogTree& tree, CatalogItem* item, std::span<const uint8_t> listedKeys,
                  std::span<const ExtraInfoRow> rows, std::span<const uint8_t> jpeg);

}  // namespace shelfmark
