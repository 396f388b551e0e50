// Remembered passwords: one binary value per protected item in the settings' Passwords section,
// named by the item's path text with its folder chain. The value is the password's bytes
// RC4-encrypted under the remembering key (the MD5 hash of a constant of the program): it keeps
// the password out of plain sight in a file only its owner reads, nothing more.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shelfmark {

class CatalogItem;
class CatalogTree;
class SettingsStore;

// The name an item's password is remembered under: its path text with the folder chain, less
// the root's name, which is not yet the file's name while the file is being opened. The root
// itself is "\".
std::string RememberedPasswordName(const CatalogTree& tree, const CatalogItem& item);

// The stored form of a password, and back. Any bytes decode to some password.
std::vector<uint8_t> EncodeRememberedPassword(std::string_view password);
std::string DecodeRememberedPassword(std::span<const uint8_t> stored);

class RememberedPasswords {
  public:
    explicit RememberedPasswords(SettingsStore& store) : store_(store) {}

    // The password remembered under the item's path text, if any.
    std::optional<std::string> recall(std::string_view pathText) const;
    // Stores (and writes out) the password under the path text; false when it cannot be stored.
    bool remember(std::string_view pathText, std::string_view password);
    bool forget(std::string_view pathText);

  private:
    SettingsStore& store_;
};

}  // namespace shelfmark
