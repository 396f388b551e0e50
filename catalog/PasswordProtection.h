// Password protection of containers in the tree: Protect and Unlock. A protected item carries
// the MD5 digest of the password's bytes (PasswordCheck); while it is locked its contents read
// as empty. With encrypted names every item below it carries its name RC4-encrypted
// (EncryptedName), and the file writer stores "!" in place of the plain name.
//
// The RC4 key is derived as a catalog written on the original platform has it: the SHA-1 hash
// of the password's bytes cut to a 40-bit key (the hash's first 5 bytes, then 11 zero bytes);
// every name is encrypted from the start of the key stream.
#pragma once

#include <string_view>

#include "catalog/CatalogTree.h"

namespace shelfmark {

// Protect: stores the check value and marks the item unlocked; with encryptNames encrypts the
// name of every item below it, stopping at nested protected items (their own names are
// encrypted, their contents are left to their own password). False, and nothing changes, when
// the item already carries a check value or an encrypted name.
bool Protect(CatalogTree& tree, CatalogItem* item, std::string_view password, bool encryptNames);

// Whether the password matches the item's check value (false for an unprotected item).
bool PasswordMatches(const CatalogItem& item, std::string_view password);

// Unlock: false, and nothing changes, without a check value or with a password that does not
// match. Otherwise a locked item's encrypted names are decrypted (the item is unlocked); with
// removeProtection the check value, the unlocked mark and every encrypted name below go.
bool Unlock(CatalogTree& tree, CatalogItem* item, std::string_view password,
            bool removeProtection);

// Whether the item's protection encrypts the names below it: its first child (raw link)
// carries an encrypted name, or, unlocked, it holds the names' key (items added since carry
// none until they are saved).
bool NamesEncryptedBelow(const CatalogTree& tree, const CatalogItem& item);

}  // namespace shelfmark
