// The CD lookup's settings (sub-key Settings\CDDB): naming formats, the cdplayer.ini copy, the
// e-mail address for submissions and the HTTP proxy, with their defaults; the scrambling of the
// stored proxy password; the checks of the CDDB settings page; and the name formats that turn a
// disc record into disk and track names.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CDiscora;

namespace shelfmark {

class SettingsStore;

struct CddbSettings {
    bool bUseDiscFormat = false;
    std::string DiscFormat;
    bool bUseTrackFormat = false;
    std::string TrackFormat;
    bool bSaveDiscInfo = true;
    std::string Email;
    std::string Host;              // HTTP proxy host; empty: no proxy
    std::optional<uint32_t> Port;  // absent: 80 for a lookup, 8080 on the settings page
    std::string Name;              // proxy user
    std::string Password;          // proxy password, plain (stored scrambled)

    // Missing values take their defaults; a missing Password is the empty one.
    static CddbSettings Load(const SettingsStore& store);
    // Writes every value (the caller saves the store). Port is written only when set.
    void save(SettingsStore& store) const;

    // The formats in effect: the text when its switch is on, else empty.
    std::string discFormat() const { return bUseDiscFormat ? DiscFormat : std::string(); }
    std::string trackFormat() const { return bUseTrackFormat ? TrackFormat : std::string(); }
    // A lookup connects to the proxy on port 80 when none is stored (kept in 16 bits).
    uint16_t lookupPort() const { return static_cast<uint16_t>(Port.value_or(80)); }
    // The settings page proposes 8080 when none is stored.
    uint32_t shownPort() const { return Port.value_or(8080); }

    // With a host: SetProxy(Host, lookupPort, Name, Password) on the client. Without one the
    // client is left as it is (an earlier proxy stays in effect). False only when SetProxy fails.
    bool applyProxy(CDiscora& client) const;

    // The CDDB page's apply check: nothing when the values may be stored, else the message to
    // show ("Please fill out this field correctly." for the e-mail address, the range message
    // for the port).
    std::optional<std::string> checkCddbPage() const;

    bool operator==(const CddbSettings&) const = default;
};

// Each stored byte is the password byte XOR the previous password byte (the first with 0x3C);
// exactly the password's length, no terminator.
std::vector<uint8_t> ScramblePassword(std::string_view password);
std::string UnscramblePassword(std::span<const uint8_t> stored);

// An empty address is accepted; otherwise it needs an "@" and its last "." after the first "@".
bool IsAcceptableEmail(std::string_view email);

// The disk name of a disc: the format with every "%1" replaced by the artist and then every
// "%2" by the title; without a format artist " - " title.
std::string FormatDiscName(std::string_view format, std::string_view artist,
                           std::string_view title);
// A track's description: the format with every "%3" replaced by the number ("%02d"), then every
// "%1" by the track's artist (the disc's when the track has none), then every "%2" by the title;
// without a format the title.
std::string FormatTrackName(std::string_view format, int number, std::string_view trackArtist,
                            std::string_view discArtist, std::string_view title);

}  // namespace shelfmark
