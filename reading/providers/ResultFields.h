// How a provider's results are named and written for people: the field's title in the current
// language ("Width", "Bit depth", "Description"), as the item's columns call the same key, and
// its value in the form the item's properties show.
#pragma once

#include <cstdint>
#include <string>

#include "reading/providers/ProviderResults.h"

namespace shelfmark {

// The title of a result key; "Extra number 0x70" / "Extra text 0xB0" for the user-defined keys
// (their names live in each catalog), "0x%02X" for keys no field is known by.
std::string ResultFieldName(uint8_t key);

// The value: texts as they are, CRC-32 as "0x%08X", the volume serial as "%04X-%04X", other
// numbers in decimal.
std::string ResultValueText(const ProviderResult& result);

}  // namespace shelfmark
