// The check for a newer program version: a small version record fetched over HTTP(S) with
// libcurl (which also honours the usual proxy variables), compared byte-wise with the program's
// own version text.
//
// Version record: ASCII text whose first 11 bytes are "HVSMVersion", then one separator byte,
// then the version text up to the end of what was read. At most the first 32 bytes are read.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace shelfmark {

class Prompter;
class SettingsStore;

// Where the version record lies unless the setting UpdateUrl (sub-key Settings) names another
// place, and the page that tells about a new version.
inline constexpr std::string_view kDefaultUpdateUrl =
    "https://shelfmark.halvenmoor.example/download/hvsmversion.txt";
inline constexpr std::string_view kHomePageUrl = "https://shelfmark.halvenmoor.example/";
inline constexpr size_t kVersionRecordLimit = 32;

// The UpdateUrl setting, or the default.
std::string UpdateUrl(const SettingsStore& store);

struct UpdateFetchOptions {
    // Per connection attempt; a refused or timed-out connection is tried again `retries` times.
    std::chrono::milliseconds connectTimeout{5000};
    int retries = 2;
    // The whole exchange of one attempt, connection included, is given up after this long
    // (never before the connect time-out), so a server that accepts but does not answer cannot
    // hang the check.
    std::chrono::milliseconds requestTimeout{10000};
};

struct VersionFetch {
    // False: the connection or the request could not be made (bad URL, name not resolved,
    // refused, no answer in time).
    bool opened = false;
    // The first bytes of the body (at most kVersionRecordLimit); empty when reading failed.
    std::string bytes;
};

// GET with a forced reload (no cache) and the program's name as user agent.
VersionFetch FetchVersionRecord(const std::string& url, const UpdateFetchOptions& options = {});

// The version text of a record: what follows the 12th byte when the record starts with
// "HVSMVersion"; nothing otherwise.
std::optional<std::string> VersionOfRecord(std::string_view record);

enum class UpdateOutcome {
    Latest,  // "You already have the latest version of Halvenmoor Shelfmark."
    Newer,   // "A newer version (%s) of Halvenmoor Shelfmark is available. Show more information?"
    Silent,  // the read failed or the record is not a version record: nothing is shown
    Failed,  // "Failed."
};

// The comparison: byte order, not numbers ("10.0" is older than "3.30.2004").
UpdateOutcome CompareWithOwnVersion(std::string_view remote);

struct UpdateCheckResult {
    UpdateOutcome outcome = UpdateOutcome::Silent;
    std::string remoteVersion;
    std::string message;  // the text shown; empty for Silent
};

// Fetches and compares, without showing anything.
UpdateCheckResult CheckForUpdate(const std::string& url, const UpdateFetchOptions& options = {});

// The message of a finished check through the prompter (information, the Yes/No question, or
// an error; nothing for Silent); Yes on the question calls openHomePage.
void ReportUpdateResult(const UpdateCheckResult& result, Prompter& prompter,
                        const std::function<void()>& openHomePage);

// The menu command: the check, then its message through the prompter (information, the Yes/No
// question, or an error); Yes on the question calls openHomePage.
UpdateCheckResult RunUpdateCheck(const std::string& url, Prompter& prompter,
                                 const std::function<void()>& openHomePage,
                                 const UpdateFetchOptions& options = {});

}  // namespace shelfmark
