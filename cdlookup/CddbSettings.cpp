#include "cdlookup/CddbSettings.h"

#include "discora/Discora.h"
#include "foundation/LanguageTexts.h"
#include "foundation/StringFormat.h"
#include "platform/settings/SettingsStore.h"
#include "reading/tags/TrackNaming.h"

namespace shelfmark {

namespace {

constexpr uint8_t kScrambleStartKey = 0x3C;
constexpr int kFillOutFieldMessage = 19;

std::string ReplaceEvery(std::string_view text, std::string_view variable, std::string_view value) {
    std::string out;
    size_t from = 0;
    for (size_t at; (at = text.find(variable, from)) != std::string_view::npos;
         from = at + variable.size()) {
        out.append(text, from, at - from);
        out += value;
    }
    out.append(text, from);
    return out;
}

}  // namespace

CddbSettings CddbSettings::Load(const SettingsStore& store) {
    CddbSettings settings;
    settings.bUseDiscFormat = store.getBool(kCddbSubKey, "bUseDiscFormat", false);
    settings.DiscFormat = store.getText(kCddbSubKey, "DiscFormat");
    settings.bUseTrackFormat = store.getBool(kCddbSubKey, "bUseTrackFormat", false);
    settings.TrackFormat = store.getText(kCddbSubKey, "TrackFormat");
    settings.bSaveDiscInfo = store.getBool(kCddbSubKey, "bSaveDiscInfo", true);
    settings.Email = store.getText(kCddbSubKey, "Email");
    settings.Host = store.getText(kCddbSubKey, "Host");
    if (store.hasValue(kCddbSubKey, "Port"))
        settings.Port = store.getUInt(kCddbSubKey, "Port", 80);
    settings.Name = store.getText(kCddbSubKey, "Name");
    if (const auto stored = store.getBinary(kCddbSubKey, "Password"))
        settings.Password = UnscramblePassword(*stored);
    return settings;
}

void CddbSettings::save(SettingsStore& store) const {
    store.setText(kCddbSubKey, "DiscFormat", DiscFormat);
    store.setText(kCddbSubKey, "TrackFormat", TrackFormat);
    store.setBool(kCddbSubKey, "bUseDiscFormat", bUseDiscFormat);
    store.setBool(kCddbSubKey, "bUseTrackFormat", bUseTrackFormat);
    store.setBool(kCddbSubKey, "bSaveDiscInfo", bSaveDiscInfo);
    store.setText(kCddbSubKey, "Host", Host);
    if (Port)
        store.setUInt(kCddbSubKey, "Port", *Port);
    store.setText(kCddbSubKey, "Name", Name);
    store.setText(kCddbSubKey, "Email", Email);
    store.setBinary(kCddbSubKey, "Password", ScramblePassword(Password));
}

bool CddbSettings::applyProxy(CDiscora& client) const {
    if (Host.empty())
        return true;
    return client.SetProxy(Host.c_str(), lookupPort(), Name.c_str(), Password.c_str()) == 1;
}

std::optional<std::string> CddbSettings::checkCddbPage() const {
    if (!IsAcceptableEmail(Email))
        return Str(kFillOutFieldMessage);
    if (Port && (*Port < 1 || *Port > 65535))
        return std::string("Please enter an integer between 1 and 65535.");
    return std::nullopt;
}

std::vector<uint8_t> ScramblePassword(std::string_view password) {
    std::vector<uint8_t> stored;
    stored.reserve(password.size());
    uint8_t key = kScrambleStartKey;
    for (const char c : password) {
        const auto plain = static_cast<uint8_t>(c);
        stored.push_back(static_cast<uint8_t>(plain ^ key));
        key = plain;
    }
    return stored;
}

std::string UnscramblePassword(std::span<const uint8_t> stored) {
    std::string password;
    password.reserve(stored.size());
    uint8_t key = kScrambleStartKey;
    for (const uint8_t byte : stored) {
        key = static_cast<uint8_t>(key ^ byte);
        password.push_back(static_cast<char>(key));
    }
    return password;
}

bool IsAcceptableEmail(std::string_view email) {
    if (email.empty())
        return true;
    const size_t at = email.find('@');
    const size_t dot = email.rfind('.');
    return at != std::string_view::npos && dot != std::string_view::npos && dot > at;
}

std::string FormatDiscName(std::string_view format, std::string_view artist,
                           std::string_view title) {
    if (format.empty())
        return std::string(artist) + " - " + std::string(title);
    return SubstituteVariables(format, {std::string(artist), std::string(title)});
}

std::string FormatTrackName(std::string_view format, int number, std::string_view trackArtist,
                            std::string_view discArtist, std::string_view title) {
    if (format.empty())
        return std::string(title);
    const std::string numbered = ReplaceEvery(format, "%3", StringPrintf("%02d", number));
    const std::string_view artist = trackArtist.empty() ? discArtist : trackArtist;
    return SubstituteVariables(numbered, {std::string(artist), std::string(title)});
}

}  // namespace shelfmark
