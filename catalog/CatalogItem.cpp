#include "catalog/CatalogItem.h"

#include <cstring>

namespace shelfmark {

std::string_view ItemAttribute::text() const {
    if (valueClass() != AttributeClass::Text || !value_.text)
        return {};
    return value_.text;
}

std::span<const uint8_t> ItemAttribute::block() const {
    if (valueClass() != AttributeClass::Block || !value_.block)
        return {};
    uint32_t count = 0;
    std::memcpy(&count, value_.block, sizeof count);
    return {value_.block + sizeof count, count};
}

uint64_t CatalogItem::size() const {
    const uint64_t high = numberAttribute(attr::SizeHigh).value_or(0);
    return high << 32 | sizeLow_;
}

const ItemAttribute* CatalogItem::findAttribute(uint8_t key) const {
    for (uint8_t i = 0; i < attributeCount_; ++i) {
        if (attributes_[i].key() == key)
            return &attributes_[i];
    }
    return nullptr;
}

std::optional<uint32_t> CatalogItem::numberAttribute(uint8_t key) const {
    const ItemAttribute* attribute = findAttribute(key);
    if (!attribute || key >= 0x80)
        return std::nullopt;
    return attribute->number();
}

std::optional<std::string_view> CatalogItem::textAttribute(uint8_t key) const {
    const ItemAttribute* attribute = findAttribute(key);
    if (!attribute || ClassOfKey(key) != AttributeClass::Text)
        return std::nullopt;
    return attribute->text();
}

std::optional<std::span<const uint8_t>> CatalogItem::blockAttribute(uint8_t key) const {
    const ItemAttribute* attribute = findAttribute(key);
    if (!attribute || ClassOfKey(key) != AttributeClass::Block)
        return std::nullopt;
    return attribute->block();
}

const CatalogItem* CatalogItem::disk() const {
    for (const CatalogItem* item = this; item; item = item->parent_) {
        if (item->isDisk())
            return item;
    }
    return nullptr;
}

const CatalogItem* CatalogItem::archive() const {
    if (isArchive())
        return nullptr;
    for (const CatalogItem* item = parent_; item; item = item->parent_) {
        if (item->isArchive())
            return item;
    }
    return nullptr;
}

}  // namespace shelfmark
