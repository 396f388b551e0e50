#include "catalog/RememberedPasswords.h"

#include "catalog/CatalogTree.h"
#include "platform/crypto/Md5.h"
#include "platform/crypto/Rc4.h"
#include "platform/settings/SettingsStore.h"

namespace shelfmark {

namespace {

// Arbitrary bytes; changing them makes every remembered password unreadable.
constexpr uint8_t kRememberingConstant[16] = {0x53, 0x68, 0x65, 0x6C, 0x66, 0x6D, 0x61, 0x72,
                                              0x6B, 0x9E, 0x27, 0xC4, 0x10, 0x8B, 0x5D, 0xF3};

Rc4Key RememberingKey() {
    return Md5::of(kRememberingConstant, sizeof kRememberingConstant);
}

}  // namespace

std::string RememberedPasswordName(const CatalogTree& tree, const CatalogItem& item) {
    const CatalogItem* root = tree.root();
    if (&item == root)
        return "\\";
    std::string path = tree.pathText(&item, pathmode::Display | pathmode::FolderChain);
    if (root) {
        const std::string head = std::string(root->name()) + "\\";
        if (path.starts_with(head))
            path.erase(0, head.size());
    }
    return path;
}

std::vector<uint8_t> EncodeRememberedPassword(std::string_view password) {
    std::vector<uint8_t> bytes(password.begin(), password.end());
    Rc4Crypt(RememberingKey(), bytes);
    return bytes;
}

std::string DecodeRememberedPassword(std::span<const uint8_t> stored) {
    std::vector<uint8_t> bytes(stored.begin(), stored.end());
    Rc4Crypt(RememberingKey(), bytes);
    return {bytes.begin(), bytes.end()};
}

std::optional<std::string> RememberedPasswords::recall(std::string_view pathText) const {
    const auto stored = store_.getBinary(kPasswordsSubKey, pathText);
    if (!stored)
        return std::nullopt;
    return DecodeRememberedPassword(*stored);
}

bool RememberedPasswords::remember(std::string_view pathText, std::string_view password) {
    return store_.setBinary(kPasswordsSubKey, pathText, EncodeRememberedPassword(password)) &&
           store_.save();
}

bool RememberedPasswords::forget(std::string_view pathText) {
    return store_.deleteValue(kPasswordsSubKey, pathText) && store_.save();
}

}  // namespace shelfmark
