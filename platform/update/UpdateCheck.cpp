#include "platform/update/UpdateCheck.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "platform/settings/SettingsStore.h"

namespace shelfmark {

namespace {

constexpr std::string_view kRecordMarker = "HVSMVersion";
constexpr size_t kVersionStart = kRecordMarker.size() + 1;  // after the separator byte
constexpr int kLatestMessage = 154;
constexpr int kNewerMessage = 156;

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Keeps the first bytes of the body; once the limit is reached the transfer is stopped.
size_t KeepFirstBytes(char* data, size_t size, size_t count, void* user) {
    auto& bytes = *static_cast<std::string*>(user);
    const size_t length = size * count;
    const size_t room = kVersionRecordLimit - bytes.size();
    bytes.append(data, std::min(room, length));
    return bytes.size() < kVersionRecordLimit ? length : 0;
}

// The library's global set-up, once per process, before the first handle.
bool CurlReady() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

}  // namespace

std::string UpdateUrl(const SettingsStore& store) {
    return store.getText(kSettingsSubKey, "UpdateUrl", kDefaultUpdateUrl);
}

VersionFetch FetchVersionRecord(const std::string& url, const UpdateFetchOptions& options) {
    VersionFetch fetch;
    if (!CurlReady())
        return fetch;
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl)
        return fetch;
    std::unique_ptr<curl_slist, SlistDeleter> headers(
        curl_slist_append(nullptr, "Cache-Control: no-cache"));
    headers.reset(curl_slist_append(headers.release(), "Pragma: no-cache"));
    const std::string agent(kApplicationName);
    std::string body;
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(options.connectTimeout.count()));
    curl_easy_setopt(
        handle, CURLOPT_TIMEOUT_MS,
        static_cast<long>(std::max(options.connectTimeout, options.requestTimeout).count()));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, KeepFirstBytes);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);

    for (int attempt = 0; attempt <= options.retries; ++attempt) {
        body.clear();
        const CURLcode result = curl_easy_perform(handle);
        long status = 0;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
        if (result == CURLE_OK || (result == CURLE_WRITE_ERROR && !body.empty())) {
            fetch.opened = true;
            fetch.bytes = body;
            return fetch;
        }
        if (status != 0) {
            // An answer came but its body could not be read to the end.
            fetch.opened = true;
            return fetch;
        }
        curl_off_t connected = 0;
        curl_easy_getinfo(handle, CURLINFO_CONNECT_TIME_T, &connected);
        const bool connectFailed = result == CURLE_COULDNT_CONNECT ||
                                   (result == CURLE_OPERATION_TIMEDOUT && connected == 0);
        if (!connectFailed)
            return fetch;
    }
    return fetch;
}

std::optional<std::string> VersionOfRecord(std::string_view record) {
    if (!record.starts_with(kRecordMarker))
        return std::nullopt;
    record = record.substr(0, kVersionRecordLimit);
    // Like the classic C string it was, the text ends at a NUL.
    std::string version(record.size() > kVersionStart ? record.substr(kVersionStart) : "");
    if (const size_t nul = version.find('\0'); nul != std::string::npos)
        version.resize(nul);
    return version;
}

UpdateOutcome CompareWithOwnVersion(std::string_view remote) {
    // std::string_view compares as unsigned bytes, as the multi-byte comparison does.
    return remote.compare(kProgramVersion) <= 0 ? UpdateOutcome::Latest : UpdateOutcome::Newer;
}

UpdateCheckResult CheckForUpdate(const std::string& url, const UpdateFetchOptions& options) {
    UpdateCheckResult result;
    const VersionFetch fetch = FetchVersionRecord(url, options);
    if (!fetch.opened) {
        result.outcome = UpdateOutcome::Failed;
        result.message = "Failed.";
        return result;
    }
    const std::optional<std::string> version = VersionOfRecord(fetch.bytes);
    if (!version)
        return result;
    result.remoteVersion = *version;
    result.outcome = CompareWithOwnVersion(*version);
    if (result.outcome == UpdateOutcome::Latest) {
        result.message = Str(kLatestMessage);
    } else {
        result.message = Str(kNewerMessage);
        if (const size_t at = result.message.find("%s"); at != std::string::npos)
            result.message.replace(at, 2, *version);
    }
    return result;
}

UpdateCheckResult RunUpdateCheck(const std::string& url, Prompter& prompter,
                                 const std::function<void()>& openHomePage,
                                 const UpdateFetchOptions& options) {
    UpdateCheckResult result = CheckForUpdate(url, options);
    ReportUpdateResult(result, prompter, openHomePage);
    return result;
}

void ReportUpdateResult(const UpdateCheckResult& result, Prompter& prompter,
                        const std::function<void()>& openHomePage) {
    switch (result.outcome) {
        case UpdateOutcome::Latest:
            prompter.information(result.message);
            break;
        case UpdateOutcome::Newer:
            if (prompter.askYesNo(result.message) && openHomePage)
                openHomePage();
            break;
        case UpdateOutcome::Failed:
            prompter.error(result.message);
            break;
        case UpdateOutcome::Silent:
            break;
    }
}

}  // namespace shelfmark
