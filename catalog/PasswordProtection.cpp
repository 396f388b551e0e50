#include "catalog/PasswordProtection.h"

#include <algorithm>
#include <vector>

#include "catalog/TreeWalk.h"
#include "platform/crypto/Md5.h"
#include "platform/crypto/Rc4.h"

namespace shelfmark {

namespace {

std::span<const uint8_t> BytesOf(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// The items whose names a password covers: the subtree through raw links, not entering nested
// protected items.
template <typename Visit>
void WalkCovered(CatalogItem* item, Visit&& visit) {
    WalkBelowIgnoringLocks(
        item, [](const CatalogItem& inner) { return !inner.isProtected(); }, visit);
}

}  // namespace

bool Protect(CatalogTree& tree, CatalogItem* item, std::string_view password, bool encryptNames) {
    if (item->hasAttribute(attr::PasswordCheck) || item->hasAttribute(attr::EncryptedName))
        return false;
    const Md5::Digest check = Md5::of(password);
    tree.setBlockAttribute(item, attr::PasswordCheck, check);
    tree.setNumberAttribute(item, attr::Unlocked, 1);
    if (!encryptNames)
        return true;
    const Rc4Key key = DeriveRc4Key(Sha1::of(password));
    tree.setNameKey(item, {check, key});
    Rc4StreamStart cipher(key);
    std::vector<uint8_t> buffer;
    WalkCovered(item, [&](CatalogItem& inner) {
        const std::span<const uint8_t> name = BytesOf(inner.name());
        buffer.assign(name.begin(), name.end());
        cipher.crypt(buffer);
        tree.setBlockAttribute(&inner, attr::EncryptedName, buffer);
        return true;
    });
    return true;
}

bool PasswordMatches(const CatalogItem& item, std::string_view password) {
    const auto check = item.blockAttribute(attr::PasswordCheck);
    if (!check)
        return false;
    const Md5::Digest digest = Md5::of(password);
    return std::equal(check->begin(), check->end(), digest.begin(), digest.end());
}

bool Unlock(CatalogTree& tree, CatalogItem* item, std::string_view password,
            bool removeProtection) {
    if (!PasswordMatches(*item, password))
        return false;
    const bool needDecrypt = !item->hasAttribute(attr::Unlocked);
    const Md5::Digest check = Md5::of(password);
    if (removeProtection) {
        tree.removeAttribute(item, attr::PasswordCheck);
        tree.removeAttribute(item, attr::Unlocked);
        tree.forgetNameKey(item);
    } else if (needDecrypt) {
        tree.setNumberAttribute(item, attr::Unlocked, 1);
    }
    const Rc4Key key = DeriveRc4Key(Sha1::of(password));
    Rc4StreamStart cipher(key);
    std::vector<uint8_t> buffer;
    bool namesEncrypted = false;
    WalkCovered(item, [&](CatalogItem& inner) {
        const auto encrypted = inner.blockAttribute(attr::EncryptedName);
        if (!encrypted)
            return true;
        namesEncrypted = true;
        if (needDecrypt) {
            buffer.assign(encrypted->begin(), encrypted->end());
            cipher.crypt(buffer);
            tree.setName(&inner,
                         std::string_view(reinterpret_cast<const char*>(buffer.data()),
                                          buffer.size()));
        }
        if (removeProtection)
            tree.removeAttribute(&inner, attr::EncryptedName);
        return true;
    });
    // Names are encrypted here: saving encrypts afresh whatever changes below from now on.
    if (namesEncrypted && !removeProtection)
        tree.setNameKey(item, {check, key});
    return true;
}

bool NamesEncryptedBelow(const CatalogTree& tree, const CatalogItem& item) {
    const CatalogItem* first = item.firstChildIgnoringLock();
    return (first && first->hasAttribute(attr::EncryptedName)) || tree.nameKey(item) != nullptr;
}

}  // namespace shelfmark
