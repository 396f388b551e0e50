#include "reading/providers/ResultFields.h"

#include "catalog/CatalogItem.h"
#include "foundation/LanguageTexts.h"
#include "foundation/StringFormat.h"

namespace shelfmark {

namespace {

struct FieldTitle {
    uint8_t key;
    int languageKey;  // in section Strings; 0: the title is the same in every language
    const char* title;
};

constexpr FieldTitle kFieldTitles[] = {
    {attr::Crc32, 0, "CRC32"},
    {attr::Categories, 188, "Categories"},
    {attr::DiskId, 158, "Disk ID"},
    {attr::VolumeSerial, 247, "Volume Serial Number"},
    {attr::TrackNumber, 0, "#"},
    {attr::ImageWidth, 232, "Width"},
    {attr::ImageHeight, 233, "Height"},
    {attr::ImageBitDepth, 234, "Bit depth"},
    {attr::Description, 144, "Description"},
    {attr::Volume, 159, "Volume"},
    {attr::LentTo, 72, "Lent to"},
    {attr::Artist, 219, "Artist"},
    {attr::Title, 220, "Title"},
    {attr::Source, 221, "Source"},
    {attr::Location, 222, "Location"},
    {attr::Comment, 223, "Comment"},
    {attr::Author, 224, "Author"},
    {attr::Album, 225, "Album"},
    {attr::Md5, 0, "MD5"},
    {attr::SerialNumber, 245, "Serial number"},
};

}  // namespace

std::string ResultFieldName(uint8_t key) {
    for (const FieldTitle& field : kFieldTitles) {
        if (field.key != key)
            continue;
        std::string title;
        if (field.languageKey != 0 &&
            LanguageTexts::Instance().textByNumber(title, field.languageKey))
            return title;
        return field.title;
    }
    if (key >= attr::ExtraNumberFirst && key <= attr::ExtraNumberLast)
        return StringPrintf("Extra number 0x%02X", key);
    if (key >= attr::ExtraTextFirst && key <= attr::ExtraTextLast)
        return StringPrintf("Extra text 0x%02X", key);
    return StringPrintf("0x%02X", key);
}

std::string ResultValueText(const ProviderResult& result) {
    if (result.isText())
        return result.text;
    if (result.key == attr::Crc32)
        return StringPrintf("0x%08X", result.value);
    if (result.key == attr::VolumeSerial)
        return StringPrintf("%04X-%04X", result.value >> 16, result.value & 0xFFFF);
    return std::to_string(result.value);
}

}  // namespace shelfmark
