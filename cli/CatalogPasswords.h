// Passwords for the command-line tool. They never come from the command line (other users can
// read it): `--password-file FILE`, accepted by every command that opens a catalog, names a
// file whose first line is the password; otherwise, on a terminal, the tool asks without echo.
// Without either, protected containers stay locked and their contents are simply absent.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalog/CatalogFile.h"

namespace shelfmark {
class CatalogDocument;
}

namespace shelfmark::cli {

// Takes `--password-file FILE` (or `--password-file=FILE`) out of the arguments before "--"
// and reads the password. False, with `error` set, when the file cannot be read.
bool TakePasswordFileOption(std::vector<std::string>& args, std::string& error);

// The password for a new protection or an unlock: from the password file, or asked on the
// terminal (twice when `confirm`: both must be equal). Nothing when there is neither.
std::optional<std::string> CommandPassword(const std::string& what, bool confirm);

// The unlock step for reading a catalog: remembered passwords, then the password file (tried
// once per item) or the terminal prompt.
std::function<void(CatalogTree&, CatalogItem*)> CatalogUnlocker();
// The same for a document.
void UnlockWhenOpening(CatalogDocument& document);

}  // namespace shelfmark::cli
