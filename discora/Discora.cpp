// The Discora CDDB client: records, site list, cddbp and HTTP transport, xmcd parsing and
// submission. Texts inside the objects are malloc'ed and freed here; std::string is used only for
// scratch work, and every exported operation catches allocation failures so nothing escapes.
#include "discora/Discora.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace {

constexpr int kReadTimeoutMs = 10000;
constexpr size_t kReceiveChunk = 1024;
// A disc record is a few kilobytes; anything much larger is a broken or hostile server.
constexpr size_t kMaxResponseBytes = 4u << 20;
constexpr uint16_t kNoSite = 0xFFFF;
constexpr int kInvalidSocket = -1;

// ---- the reason of the last failure -----------------------------------------------------------

// Objects are used one per thread, so the reason lives per thread and names its object.
struct LastError {
    const CDiscora* owner = nullptr;
    std::string text;
};
thread_local LastError t_lastError;

// Starts an exported operation of `client`: forgets the reason of an earlier failure.
void BeginOperation(const CDiscora& client) {
    t_lastError.owner = &client;
    t_lastError.text.clear();
}

// Records why the running operation fails; the first cause found is the one kept.
void NoteError(std::string text) {
    if (t_lastError.text.empty())
        t_lastError.text = std::move(text);
}

// ---- texts ----------------------------------------------------------------------------------

char* CopyText(std::string_view text) {
    auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy == nullptr)
        return nullptr;
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

void FreeText(char*& text) {
    std::free(text);
    text = nullptr;
}

// Replaces a field with a copy of value (null clears it); 0 when the copy cannot be made.
int StoreText(char*& field, const char* value) {
    FreeText(field);
    if (value == nullptr)
        return 1;
    field = CopyText(value);
    return field != nullptr ? 1 : 0;
}

int StoreText(char*& field, std::string_view value) {
    FreeText(field);
    field = CopyText(value);
    return field != nullptr ? 1 : 0;
}

// A copy for value semantics (assignment has no result): a failed copy leaves the field unset.
char* DuplicateOrNull(const char* text) {
    return text != nullptr ? CopyText(text) : nullptr;
}

std::string_view View(const char* text) {
    return text != nullptr ? text : "";
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           strncasecmp(text.data(), prefix.data(), prefix.size()) == 0;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != text.npos;
}

std::string_view SkipBlanks(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return text.substr(i);
}

// The leading decimal integer after optional blanks, as the classic atoi reads it.
long LeadingInteger(std::string_view text) {
    text = SkipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        if (value < 100000000000L)
            value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

// The leading unsigned decimal number after optional blanks; nothing when there is no digit.
std::optional<uint32_t> LeadingUnsigned(std::string_view text) {
    text = SkipBlanks(text);
    if (text.empty() || text[0] < '0' || text[0] > '9')
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > 0xFFFFFFFFu)
            value = 0xFFFFFFFFu;
    }
    return static_cast<uint32_t>(value);
}

uint32_t LeadingHex(std::string_view text) {
    text = SkipBlanks(text);
    uint32_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return value;
}

// A response's status code: the leading integer, or -1 for no response.
int StatusOf(const std::optional<std::string>& response) {
    if (!response || response->empty())
        return -1;
    return static_cast<int>(LeadingInteger(*response));
}

// Takes the first line (without its CR LF) off the text.
std::string_view NextLine(std::string_view& text) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == text.npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

// Fails the running operation because of an answer it cannot use; the status line says why.
int RefusedBy(const std::optional<std::string>& answer) {
    if (answer) {
        std::string_view rest = *answer;
        std::string_view line = NextLine(rest);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        NoteError("the server answered \"" + std::string(line.substr(0, 200)) + "\"");
    }
    return 0;
}

// Splits a text into lines at LF, dropping one CR before each LF.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty())
        lines.push_back(NextLine(text));
    return lines;
}

// Index of the "." line that ends a list (searched after the status line), or lines.size().
size_t TerminatorIndex(const std::vector<std::string_view>& lines) {
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i] == ".")
            return i;
    }
    return lines.size();
}

// Level 5 servers speak ISO-8859-1; the library's texts are UTF-8.
std::string Latin1ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

// Characters outside ISO-8859-1 (and broken UTF-8 sequences) become "?".
std::string Utf8ToLatin1(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += text[i++];
            continue;
        }
        size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        uint32_t code = lead & (0x3F >> (length - 1));
        bool valid = length > 1 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (valid && code >= 0x80 && code <= 0xFF)
            out += static_cast<char>(code);
        else
            out += '?';
        i += valid ? length : 1;
    }
    return out;
}

std::string Base64Encode(std::string_view text) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((text.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= text.size(); i += 3) {
        const uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(text[i])) << 16 |
                               static_cast<uint32_t>(static_cast<unsigned char>(text[i + 1])) << 8 |
                               static_cast<unsigned char>(text[i + 2]);
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += kAlphabet[(group >> 6) & 63];
        out += kAlphabet[group & 63];
    }
    const size_t rest = text.size() - i;
    if (rest > 0) {
        uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(text[i])) << 16;
        if (rest == 2)
            group |= static_cast<uint32_t>(static_cast<unsigned char>(text[i + 1])) << 8;
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

// "\n" becomes CR LF, "\t" a tab, "\\" one backslash; anything else is copied.
std::string Unescape(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[i + 1];
            if (next == 'n') {
                out += "\r\n";
                ++i;
                continue;
            }
            if (next == 't') {
                out += '\t';
                ++i;
                continue;
            }
            if (next == '\\') {
                out += '\\';
                ++i;
                continue;
            }
        }
        out += value[i];
    }
    return out;
}

// The inverse of Unescape. A lone CR is escaped too: left raw it would end the record line.
std::string Escape(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') {
            out += "\\n";
            ++i;
        } else if (c == '\n' || c == '\r') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

// Hello fields may carry only letters, digits and "."; everything else becomes "_".
std::string SanitizeHelloField(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        const bool keep =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.';
        if (!keep)
            c = '_';
    }
    return out;
}

std::string UserName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_name != nullptr && found->pw_name[0] != '\0') {
        return std::string(found->pw_name).substr(0, 255);
    }
    return "Unknown";
}

std::string HostName() {
    char name[257] = {};
    if (gethostname(name, 256) != 0 || name[0] == '\0')
        return "Unknown";
    return name;
}

// ---- sockets --------------------------------------------------------------------------------

void CloseSocket(int& socketHandle) {
    if (socketHandle != kInvalidSocket)
        close(socketHandle);
    socketHandle = kInvalidSocket;
}

// Connects with the read time-out as the limit, so an unreachable host cannot hang the caller.
// 0, or the errno value of the failure (ETIMEDOUT when the time-out passed).
int ConnectWithTimeout(int fd, const sockaddr* address, socklen_t length) {
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0)
        return errno;
    if (connect(fd, address, length) != 0) {
        if (errno != EINPROGRESS)
            return errno;
        pollfd waiter{fd, POLLOUT, 0};
        int ready;
        do {
            ready = poll(&waiter, 1, kReadTimeoutMs);
        } while (ready < 0 && errno == EINTR);
        if (ready < 0)
            return errno;
        if (ready == 0)
            return ETIMEDOUT;
        int error = 0;
        socklen_t errorLength = sizeof(error);
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &errorLength) != 0)
            return errno;
        if (error != 0)
            return error;
    }
    return fcntl(fd, F_SETFL, flags) == 0 ? 0 : errno;
}

// A dotted IPv4 address is used as given; a name uses its first IPv4 address, or its first IPv6
// address when it has no IPv4 one.
int OpenTcpConnection(const char* host, uint16_t port) {
    if (host == nullptr || host[0] == '\0') {
        NoteError("no server host is set");
        return kInvalidSocket;
    }
    sockaddr_storage address{};
    socklen_t length = 0;
    sockaddr_in ipv4{};
    if (inet_pton(AF_INET, host, &ipv4.sin_addr) == 1) {
        ipv4.sin_family = AF_INET;
        ipv4.sin_port = htons(port);
        std::memcpy(&address, &ipv4, sizeof(ipv4));
        length = sizeof(ipv4);
    } else {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        const int resolved = getaddrinfo(host, nullptr, &hints, &found);
        if (resolved != 0 || found == nullptr) {
            NoteError("cannot resolve " + std::string(host) + ": " +
                      (resolved == EAI_SYSTEM ? std::strerror(errno) : gai_strerror(resolved)));
            return kInvalidSocket;
        }
        const addrinfo* chosen = nullptr;
        for (const addrinfo* entry = found; entry != nullptr && chosen == nullptr;
             entry = entry->ai_next) {
            if (entry->ai_family == AF_INET)
                chosen = entry;
        }
        for (const addrinfo* entry = found; entry != nullptr && chosen == nullptr;
             entry = entry->ai_next) {
            if (entry->ai_family == AF_INET6)
                chosen = entry;
        }
        if (chosen != nullptr && chosen->ai_addrlen <= sizeof(address)) {
            std::memcpy(&address, chosen->ai_addr, chosen->ai_addrlen);
            length = chosen->ai_addrlen;
            if (address.ss_family == AF_INET)
                reinterpret_cast<sockaddr_in*>(&address)->sin_port = htons(port);
            else
                reinterpret_cast<sockaddr_in6*>(&address)->sin6_port = htons(port);
        }
        freeaddrinfo(found);
        if (length == 0) {
            NoteError("cannot resolve " + std::string(host) + ": no IPv4 or IPv6 address");
            return kInvalidSocket;
        }
    }
    const std::string where = std::string(host) + " port " + std::to_string(port);
    int fd = socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        NoteError("cannot connect to " + where + ": " + std::strerror(errno));
        return kInvalidSocket;
    }
    if (const int error = ConnectWithTimeout(fd, reinterpret_cast<const sockaddr*>(&address), length);
        error != 0) {
        NoteError("cannot connect to " + where + ": " + std::strerror(error));
        CloseSocket(fd);
        return kInvalidSocket;
    }
    return fd;
}

bool SendText(int fd, std::string_view text) {
    if (fd == kInvalidSocket)
        return false;
    while (!text.empty()) {
        const ssize_t sent = send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0) {
            NoteError(std::string("cannot send to the server: ") +
                      (sent < 0 ? std::strerror(errno) : "the connection is closed"));
            return false;
        }
        text.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

// True when a cddbp answer is whole: a status whose middle digit is 1 announces a list or record
// that ends with a "." line; every other status is a single line.
bool CddbpResponseComplete(std::string_view text) {
    const size_t statusEnd = text.find('\n');
    if (statusEnd == text.npos)
        return false;
    const std::string_view status = SkipBlanks(text);
    const bool listFollows = status.size() >= 3 && status[0] >= '1' && status[0] <= '5' &&
                             status[1] == '1' && status[2] >= '0' && status[2] <= '9';
    if (!listFollows)
        return true;
    const std::string_view rest = text.substr(statusEnd);
    return rest.find("\n.\r\n") != rest.npos || rest.find("\n.\n") != rest.npos;
}

enum class ResponseEnd { AtClose, WhenComplete };

// Reads until the peer closes, the read time-out passes without data, an error occurs (the data
// before it is kept) or, on cddbp, the answer is complete. Nothing when no data came or the
// answer exceeds the size cap.
std::optional<std::string> ReceiveResponse(int fd, int timeoutMs, ResponseEnd end) {
    if (fd == kInvalidSocket)
        return std::nullopt;
    std::string buffer;
    char chunk[kReceiveChunk];
    for (;;) {
        pollfd waiter{fd, POLLIN, 0};
        const int ready = poll(&waiter, 1, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            if (buffer.empty())
                NoteError(ready == 0 ? "the server did not answer within " +
                                           std::to_string(timeoutMs / 1000) + " seconds"
                                     : std::string("cannot receive: ") + std::strerror(errno));
            break;
        }
        const ssize_t received = recv(fd, chunk, sizeof(chunk), 0);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0) {
            if (buffer.empty())
                NoteError(received == 0 ? std::string("the server closed the connection unanswered")
                                        : std::string("cannot receive: ") + std::strerror(errno));
            break;
        }
        if (buffer.size() + static_cast<size_t>(received) > kMaxResponseBytes) {
            NoteError("the server's answer is larger than " +
                      std::to_string(kMaxResponseBytes >> 20) + " MB");
            return std::nullopt;
        }
        buffer.append(chunk, static_cast<size_t>(received));
        if (end == ResponseEnd::WhenComplete && CddbpResponseComplete(buffer))
            break;
    }
    if (buffer.empty())
        return std::nullopt;
    return buffer;
}

}  // namespace

// Everything that needs the classes' private fields: parsers, builders and the transport.
struct CDiscoraInternals {
    // ---- records ----

    static CDiscoraTrack* AppendTrack(CDiscoraDisc& disc, uint32_t offset) {
        if (disc.m_nTrackCount >= DISCORA_MAX_TRACKS)
            return nullptr;
        CDiscoraTrack*& slot = disc.m_pTracks[disc.m_nTrackCount];
        if (slot == nullptr)
            slot = new (std::nothrow) CDiscoraTrack;
        if (slot == nullptr)
            return nullptr;
        slot->m_dwFrameOffset = offset;
        ++disc.m_nTrackCount;
        return slot;
    }

    static void DeleteTracks(CDiscoraDisc& disc) {
        for (CDiscoraTrack*& track : disc.m_pTracks) {
            delete track;
            track = nullptr;
        }
        disc.m_nTrackCount = 0;
    }

    // "artist / title" splits at the first " / "; without one the value is the title alone and
    // the artist stays as it was.
    static bool StoreArtistAndTitle(char*& artist, char*& title, std::string_view value) {
        const size_t split = value.find(" / ");
        if (split == value.npos)
            return StoreText(title, value) != 0;
        return StoreText(artist, value.substr(0, split)) != 0 &&
               StoreText(title, value.substr(split + 3)) != 0;
    }

    static bool AppendText(char*& field, std::string_view addition) {
        std::string joined(View(field));
        joined += addition;
        return StoreText(field, joined) != 0;
    }

    // The decimal index of "TTITLEn=" / "EXTTn=" when "=" follows one or two digits.
    static std::optional<int> KeywordIndex(std::string_view line, size_t prefixLength,
                                           std::string_view& value) {
        for (size_t equals = prefixLength + 1; equals <= prefixLength + 2; ++equals) {
            if (equals >= line.size() || line[equals] != '=')
                continue;
            int index = 0;
            for (size_t i = prefixLength; i < equals; ++i) {
                if (line[i] < '0' || line[i] > '9')
                    return std::nullopt;
                index = index * 10 + (line[i] - '0');
            }
            value = line.substr(equals + 1);
            return index;
        }
        return std::nullopt;
    }

    static int ParseDiscRecord(std::string_view text, CDiscoraDisc& disc) {
        disc.Clear();
        if (text.find('\n') == text.npos)
            return 0;
        std::string_view rest = text;
        const std::string_view status = NextLine(rest);
        const size_t firstBlank = status.find(' ');
        const size_t secondBlank =
            firstBlank == status.npos ? status.npos : status.find(' ', firstBlank + 1);
        if (secondBlank == status.npos)
            return 0;
        if (!StoreText(disc.m_pszCategory,
                       status.substr(firstBlank + 1, secondBlank - firstBlank - 1)))
            return 0;
        disc.m_dwDiscID = LeadingHex(status.substr(secondBlank + 1));

        const std::string_view marker = NextLine(rest);
        if (marker.empty() || marker[0] != '#' ||
            SkipBlanks(marker.substr(1)).substr(0, 4) != "xmcd")
            return 0;

        bool inOffsets = false;
        while (!rest.empty()) {
            if (rest == ".\r\n" || rest == ".\n")
                return 1;
            const std::string_view line = NextLine(rest);
            if (!line.empty() && line[0] == '#') {
                const std::string_view comment = SkipBlanks(line.substr(1));
                if (StartsWithNoCase(comment, "Track frame offsets:")) {
                    DeleteTracks(disc);
                    inOffsets = true;
                } else if (StartsWithNoCase(comment, "Disc length:")) {
                    disc.m_nDiscLength = static_cast<int>(LeadingInteger(comment.substr(12)));
                    if (disc.m_nDiscLength <= 0)
                        return 0;
                } else if (StartsWithNoCase(comment, "Revision:")) {
                    disc.m_nRevision = static_cast<int>(LeadingInteger(comment.substr(9)));
                    if (disc.m_nRevision < 0)
                        return 0;
                } else if (inOffsets) {
                    const std::optional<uint32_t> offset = LeadingUnsigned(comment);
                    if (!offset || *offset == 0) {
                        inOffsets = false;
                    } else if (AppendTrack(disc, *offset) == nullptr) {
                        return 0;  // more than 99 tracks, or out of memory
                    }
                }
                continue;
            }
            if (!ParseKeywordLine(line, disc))
                return 0;
        }
        return 0;
    }

    // False only when memory runs out.
    static bool ParseKeywordLine(std::string_view line, CDiscoraDisc& disc) {
        std::string_view value;
        if (StartsWithNoCase(line, "DISCID=")) {
            disc.m_dwDiscID = LeadingHex(line.substr(7));
        } else if (StartsWithNoCase(line, "DTITLE=")) {
            return StoreArtistAndTitle(disc.m_pszArtist, disc.m_pszTitle, line.substr(7));
        } else if (StartsWithNoCase(line, "DYEAR=")) {
            return StoreText(disc.m_pszYear, line.substr(6)) != 0;
        } else if (StartsWithNoCase(line, "DGENRE=")) {
            if (line.size() > 7)
                return StoreText(disc.m_pszGenre, line.substr(7)) != 0;
        } else if (StartsWithNoCase(line, "TTITLE")) {
            const std::optional<int> index = KeywordIndex(line, 6, value);
            if (index && *index < disc.m_nTrackCount) {
                CDiscoraTrack& track = *disc.m_pTracks[*index];
                return StoreArtistAndTitle(track.m_pszArtist, track.m_pszTitle, value);
            }
        } else if (StartsWithNoCase(line, "EXTD=")) {
            return AppendText(disc.m_pszExtended, Unescape(line.substr(5)));
        } else if (StartsWithNoCase(line, "EXTT")) {
            const std::optional<int> index = KeywordIndex(line, 4, value);
            if (index && *index < disc.m_nTrackCount)
                return AppendText(disc.m_pTracks[*index]->m_pszExtended, Unescape(value));
        } else if (StartsWithNoCase(line, "PLAYORDER=")) {
            return StoreText(disc.m_pszPlayOrder, line.substr(10)) != 0;
        }
        return true;
    }

    static void ClearResult(CDiscoraQueryResult& result) {
        for (uint16_t i = 0; i < result.m_nResultCount; ++i) {
            FreeText(result.m_pResults[i].m_pszGenre);
            FreeText(result.m_pResults[i].m_pszDiscName);
        }
        std::free(result.m_pResults);
        result.m_pResults = nullptr;
        result.m_nResultCount = 0;
    }

    // "category discid name": a line without a second blank keeps only the category.
    static bool ParseMatchLine(std::string_view line, DiscoraMatch& match) {
        const size_t firstBlank = line.find(' ');
        if (!StoreText(match.m_pszGenre, line.substr(0, firstBlank)))
            return false;
        if (firstBlank == line.npos)
            return true;
        const size_t secondBlank = line.find(' ', firstBlank + 1);
        if (secondBlank == line.npos)
            return true;
        match.m_dwDiscID = LeadingHex(line.substr(firstBlank + 1));
        return StoreText(match.m_pszDiscName, line.substr(secondBlank + 1)) != 0;
    }

    static int ParseQueryResponse(std::string_view text, CDiscoraQueryResult& result) {
        const int status = static_cast<int>(LeadingInteger(text));
        if (status < 200 || status > 211)
            return 0;
        ClearResult(result);
        const std::vector<std::string_view> lines = SplitLines(text);
        std::vector<std::string_view> matches;
        if (status == 200) {
            const size_t blank = lines[0].find(' ');
            if (blank != lines[0].npos)
                matches.push_back(lines[0].substr(blank + 1));
        } else if (status == 210) {
            if (lines.size() < 2 || lines[1] == ".")
                return 0;
            matches.push_back(lines[1]);
        } else if (status == 211) {
            const size_t end = TerminatorIndex(lines);
            for (size_t i = 1; i < end && matches.size() < 0xFFFF; ++i) {
                if (!lines[i].empty())
                    matches.push_back(lines[i]);
            }
        } else if (status != 202) {
            return 0;
        }
        if (matches.empty())
            return 1;
        auto* entries =
            static_cast<DiscoraMatch*>(std::calloc(matches.size(), sizeof(DiscoraMatch)));
        if (entries == nullptr)
            return 0;
        result.m_pResults = entries;
        result.m_nResultCount = static_cast<uint16_t>(matches.size());
        for (size_t i = 0; i < matches.size(); ++i) {
            if (!ParseMatchLine(matches[i], entries[i])) {
                ClearResult(result);
                return 0;
            }
        }
        return 1;
    }

    static void ClearSite(CDiscoraSite& site) {
        FreeText(site.m_pszHost);
        FreeText(site.m_pszProtocol);
        site.m_nPort = 0;
        FreeText(site.m_pszAddress);
        FreeText(site.m_pszSubmitAddress);
        FreeText(site.m_pszLatitude);
        FreeText(site.m_pszLongitude);
        FreeText(site.m_pszDescription);
        FreeText(site.m_pszDisplayText);
    }

    // Seven fields separated by runs of blanks; the description is the rest of the line. A line
    // with a field missing or port 0 leaves every field null.
    static bool ParseSiteLine(std::string_view line, CDiscoraSite& site) {
        ClearSite(site);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.remove_suffix(1);
        std::string_view fields[6];
        for (std::string_view& field : fields) {
            line = SkipBlanks(line);
            size_t end = 0;
            while (end < line.size() && !IsBlank(line[end]))
                ++end;
            field = line.substr(0, end);
            line.remove_prefix(end);
        }
        const std::string_view description = SkipBlanks(line);
        for (const std::string_view& field : fields) {
            if (field.empty())
                return true;
        }
        const auto port = static_cast<uint16_t>(LeadingUnsigned(fields[2]).value_or(0));
        if (port == 0)
            return true;
        const std::string_view address = fields[3];
        const size_t slash = address.rfind('/');
        const std::string submitAddress =
            slash == address.npos ? std::string(address)
                                  : std::string(address.substr(0, slash + 1)) + "submit.cgi";
        const std::string displayText =
            std::string(description) + " (" + std::string(fields[0]) + std::string(address) + ")";
        site.m_nPort = port;
        if (StoreText(site.m_pszHost, fields[0]) && StoreText(site.m_pszProtocol, fields[1]) &&
            StoreText(site.m_pszAddress, address) &&
            StoreText(site.m_pszSubmitAddress, submitAddress) &&
            StoreText(site.m_pszLatitude, fields[4]) && StoreText(site.m_pszLongitude, fields[5]) &&
            StoreText(site.m_pszDescription, description) &&
            StoreText(site.m_pszDisplayText, displayText)) {
            return true;
        }
        ClearSite(site);
        return false;
    }

    // ---- client state ----

    static void ClearCategories(CDiscora& client) {
        for (uint16_t i = 0; i < client.m_nCategoryCount; ++i)
            std::free(client.m_ppszCategories[i]);
        std::free(static_cast<void*>(client.m_ppszCategories));
        client.m_ppszCategories = nullptr;
        client.m_nCategoryCount = 0;
    }

    static void ClearSites(CDiscora& client) {
        for (uint16_t i = 0; i < client.m_nSiteCount; ++i)
            delete client.m_ppSites[i];
        std::free(static_cast<void*>(client.m_ppSites));
        client.m_ppSites = nullptr;
        client.m_nSiteCount = 0;
    }

    static bool AppendSite(CDiscora& client, std::string_view line) {
        if (client.m_nSiteCount == 0xFFFE)
            return false;
        void* grown = std::realloc(static_cast<void*>(client.m_ppSites),
                                   (client.m_nSiteCount + 1u) * sizeof(CDiscoraSite*));
        if (grown == nullptr)
            return false;
        client.m_ppSites = static_cast<CDiscoraSite**>(grown);
        auto* site = new (std::nothrow) CDiscoraSite;
        if (site == nullptr)
            return false;
        ParseSiteLine(line, *site);
        client.m_ppSites[client.m_nSiteCount++] = site;
        return true;
    }

    static int ParseCategoryList(std::string_view text, CDiscora& client) {
        ClearCategories(client);
        if (LeadingInteger(text) != 210)
            return 0;
        const std::vector<std::string_view> lines = SplitLines(text);
        const size_t end = TerminatorIndex(lines);
        if (end == lines.size())
            return 0;
        std::vector<std::string_view> names;
        for (size_t i = 1; i < end && names.size() < 0xFFFF; ++i) {
            if (!lines[i].empty())
                names.push_back(lines[i]);
        }
        if (names.empty())
            return 1;
        auto** list = static_cast<char**>(std::calloc(names.size(), sizeof(char*)));
        if (list == nullptr)
            return 0;
        client.m_ppszCategories = list;
        for (const std::string_view& name : names) {
            list[client.m_nCategoryCount] = CopyText(name);
            if (list[client.m_nCategoryCount] == nullptr) {
                ClearCategories(client);
                return 0;
            }
            ++client.m_nCategoryCount;
        }
        return 1;
    }

    static int ParseSiteList(std::string_view text, CDiscora& client) {
        const long status = LeadingInteger(text);
        if (status == 401)
            return 1;
        if (status != 210)
            return 0;
        ClearSites(client);
        const std::vector<std::string_view> lines = SplitLines(text);
        const size_t end = TerminatorIndex(lines);
        for (size_t i = 1; i < end; ++i) {
            if (!lines[i].empty() && !AppendSite(client, lines[i]))
                return 0;
        }
        return 1;
    }

    // ---- transport ----

    static const CDiscoraSite* ActiveSite(const CDiscora& client) {
        if (client.m_nActiveSite >= client.m_nSiteCount)
            return nullptr;
        return client.m_ppSites[client.m_nActiveSite];
    }

    static bool IsProtocol(const CDiscoraSite* site, const char* name) {
        return site != nullptr && site->m_pszProtocol != nullptr &&
               strcasecmp(site->m_pszProtocol, name) == 0;
    }

    static bool OpenCommandConnection(CDiscora& client) {
        const CDiscoraSite* site = ActiveSite(client);
        if (site == nullptr) {
            NoteError("not connected to a site");
            return false;
        }
        if (IsProtocol(site, "cddbp")) {
            if (client.m_hSocket == kInvalidSocket)
                NoteError("not connected to a site");
            return client.m_hSocket != kInvalidSocket;
        }
        if (!IsProtocol(site, "http")) {
            NoteError("the site's protocol is neither cddbp nor http");
            return false;
        }
        CloseSocket(client.m_hSocket);
        if (client.m_pszProxyHost != nullptr)
            client.m_hSocket = OpenTcpConnection(client.m_pszProxyHost, client.m_nProxyPort);
        else
            client.m_hSocket = OpenTcpConnection(site->m_pszHost, site->m_nPort);
        return client.m_hSocket != kInvalidSocket;
    }

    static void CloseCommandConnection(CDiscora& client) {
        if (IsProtocol(ActiveSite(client), "http"))
            CloseSocket(client.m_hSocket);
    }

    // The HTTP request for a command (blanks become "+") or for a submission text, which brings
    // its own header lines and blank line.
    static std::string HttpRequest(const CDiscora& client, const CDiscoraSite& site,
                                   std::string_view command, bool submission, int level) {
        std::string commandValue;
        if (!submission) {
            commandValue = command;
            for (char& c : commandValue) {
                if (c == ' ')
                    c = '+';
            }
        }
        const std::string path(View(submission ? site.m_pszSubmitAddress : site.m_pszAddress));
        const std::string query = "?cmd=" + commandValue + "&" +
                                  std::string(View(client.m_pszHelloParam)) +
                                  "&proto=" + std::to_string(level);
        if (client.m_pszProxyHost == nullptr)
            return "GET " + path + query + " HTTP/1.0\r\n" +
                   (submission ? std::string(command) : std::string("\r\n"));
        std::string request =
            "GET http://" + std::string(View(site.m_pszHost)) + path + query + " HTTP/1.0";
        if (client.m_pszProxyAuth != nullptr)
            request += "\r\nProxy-Authorization: Basic " + std::string(client.m_pszProxyAuth);
        request += "\r\nHost: " + std::string(View(site.m_pszHost)) + "\r\n";
        request += submission ? std::string(command) : std::string("\r\n");
        return request;
    }

    struct Exchange {
        bool sent = false;                  // the command went out
        std::optional<std::string> answer;  // the response body, in UTF-8
    };

    // One command (or submission) on the active site: open, send, receive, close, header
    // skipping. buildText makes the command for a protocol level; an HTTP server that refuses
    // level 6 is asked again at level 5, which then stays in effect until the next Connect.
    static Exchange Run(CDiscora& client, const std::function<std::string(int)>& buildText,
                        bool submission) {
        Exchange exchange;
        const CDiscoraSite* site = ActiveSite(client);
        if (!OpenCommandConnection(client))
            return exchange;
        if (IsProtocol(site, "cddbp")) {
            if (submission) {
                NoteError("submissions need an http site");
                return exchange;
            }
            exchange.sent = SendText(client.m_hSocket, buildText(client.m_nServerLevel) + "\r\n");
            if (exchange.sent)
                exchange.answer =
                    ReceiveResponse(client.m_hSocket, kReadTimeoutMs, ResponseEnd::WhenComplete);
        } else {
            for (;;) {
                const int level = client.m_nServerLevel;
                const std::string request =
                    HttpRequest(client, *site, buildText(level), submission, level);
                exchange.sent = SendText(client.m_hSocket, request);
                exchange.answer.reset();
                if (exchange.sent)
                    exchange.answer =
                        ReceiveResponse(client.m_hSocket, kReadTimeoutMs, ResponseEnd::AtClose);
                CloseCommandConnection(client);
                if (exchange.answer) {
                    std::string_view rest = *exchange.answer;
                    const std::string_view statusLine = NextLine(rest);
                    const size_t blank = statusLine.find(' ');
                    if (blank == std::string_view::npos ||
                        LeadingInteger(statusLine.substr(blank + 1)) != 200)
                        RefusedBy(exchange.answer);  // an HTTP error: its status line says why
                    const size_t bodyStart = exchange.answer->find("\r\n\r\n");
                    if (bodyStart == std::string::npos) {
                        NoteError("the server's answer is not HTTP");
                        exchange.answer.reset();
                    } else {
                        exchange.answer->erase(0, bodyStart + 4);
                    }
                }
                if (level < 6 || StatusOf(exchange.answer) != 501 || !exchange.sent)
                    break;
                client.m_nServerLevel = 5;
                if (!OpenCommandConnection(client))
                    return exchange;
            }
        }
        if (exchange.answer && client.m_nServerLevel < 6)
            exchange.answer = Latin1ToUtf8(*exchange.answer);
        return exchange;
    }

    static Exchange Run(CDiscora& client, const std::string& command) {
        return Run(
            client, [&command](int) { return command; }, false);
    }

    // Greeting, hello (200, or 402 for an earlier handshake) and the protocol level.
    static bool Greet(CDiscora& client, const CDiscoraSite& site) {
        client.m_hSocket = OpenTcpConnection(site.m_pszHost, site.m_nPort);
        if (client.m_hSocket == kInvalidSocket)
            return false;
        if (!ReceiveResponse(client.m_hSocket, kReadTimeoutMs, ResponseEnd::WhenComplete))
            return false;
        if (!SendText(client.m_hSocket, std::string(View(client.m_pszHelloCommand)) + "\r\n"))
            return false;
        const std::optional<std::string> helloAnswer =
            ReceiveResponse(client.m_hSocket, kReadTimeoutMs, ResponseEnd::WhenComplete);
        const int hello = StatusOf(helloAnswer);
        if (hello != 200 && hello != 402)
            return RefusedBy(helloAnswer) != 0;
        if (client.m_nProtocolLevel < 6)
            return true;
        if (!SendText(client.m_hSocket,
                      "proto " + std::to_string(client.m_nProtocolLevel) + "\r\n"))
            return false;
        const std::optional<std::string> answer =
            ReceiveResponse(client.m_hSocket, kReadTimeoutMs, ResponseEnd::WhenComplete);
        if (!answer)
            return false;
        // 201: level changed; 502: already at that level. Anything else: a level 5 server.
        const int status = StatusOf(answer);
        client.m_nServerLevel = status == 201 || status == 502 ? client.m_nProtocolLevel : 5;
        return true;
    }

    // ---- submission ----

    static bool BuildSubmission(const CDiscora& client, const CDiscoraDisc& disc,
                                std::string_view email, std::string_view mode, int level,
                                std::string& out) {
        const char* discFields[] = {disc.m_pszArtist, disc.m_pszTitle, disc.m_pszYear,
                                    disc.m_pszGenre};
        for (const char* field : discFields) {
            if (HasLineBreak(View(field)))
                return false;
        }
        char discId[16];
        std::snprintf(discId, sizeof(discId), "%08x", static_cast<unsigned>(disc.m_dwDiscID));
        std::string record = "# xmcd\r\n#\r\n# Track frame offsets:\r\n";
        for (int i = 0; i < disc.m_nTrackCount; ++i) {
            const CDiscoraTrack* track = disc.m_pTracks[i];
            if (track == nullptr || HasLineBreak(View(track->m_pszArtist)) ||
                HasLineBreak(View(track->m_pszTitle)))
                return false;
            record += "#\t" + std::to_string(track->m_dwFrameOffset) + "\r\n";
        }
        record += "#\r\n# Disc length: " + std::to_string(disc.m_nDiscLength) + "\r\n#\r\n";
        record += "# Revision: " + std::to_string(disc.m_nRevision + 1) + "\r\n";
        record += "# Submitted via: " + std::string(View(client.m_pszAppName)) + " " +
                  std::string(View(client.m_pszAppVersion)) + "\r\n#\r\n";
        record += "DISCID=" + std::string(discId) + "\r\n";
        record += "DTITLE=" + std::string(View(disc.m_pszArtist)) + " / " +
                  std::string(View(disc.m_pszTitle)) + "\r\n";
        record += "DYEAR=" + std::string(View(disc.m_pszYear)) + "\r\n";
        record += "DGENRE=" + std::string(View(disc.m_pszGenre)) + "\r\n";
        for (int i = 0; i < disc.m_nTrackCount; ++i) {
            const CDiscoraTrack& track = *disc.m_pTracks[i];
            record += "TTITLE" + std::to_string(i) + "=";
            if (track.m_pszArtist != nullptr &&
                strcasecmp(track.m_pszArtist, View(disc.m_pszArtist).data()) != 0)
                record += std::string(track.m_pszArtist) + " / ";
            record += std::string(View(track.m_pszTitle)) + "\r\n";
        }
        record += "EXTD=" + Escape(View(disc.m_pszExtended)) + "\r\n";
        for (int i = 0; i < disc.m_nTrackCount; ++i)
            record += "EXTT" + std::to_string(i) + "=" +
                      Escape(View(disc.m_pTracks[i]->m_pszExtended)) + "\r\n";
        record += "PLAYORDER=\r\n";
        if (level < 6)
            record = Utf8ToLatin1(record);

        std::string header = "Category: " + std::string(View(disc.m_pszCategory)) + "\r\n";
        header += "Discid: " + std::string(discId) + "\r\n";
        header += "User-Email: " + std::string(email) + "\r\n";
        header += "Submit-Mode: " + std::string(mode) + "\r\n";
        header += "Content-Length: " + std::to_string(record.size()) + "\r\n\r\n";
        out = (level < 6 ? Utf8ToLatin1(header) : header) + record;
        return true;
    }
};

namespace {

// Runs an exported operation's body; allocation failures become the failure value.
template <typename Result, typename Body>
Result Guarded(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

}  // namespace

// The inline accessors are exported as well: taking their addresses here makes the compiler emit
// them, and the classes' default visibility exports them.
[[gnu::used]] static const auto kExportedAccessors = std::make_tuple(
    &CDiscoraTrack::GetFrameOffset, &CDiscoraTrack::GetArtist, &CDiscoraTrack::GetTitle,
    &CDiscoraTrack::GetExtended, &CDiscoraDisc::GetDiscLength, &CDiscoraDisc::GetCategory,
    &CDiscoraDisc::GetArtist, &CDiscoraDisc::GetTitle, &CDiscoraDisc::GetRevision,
    &CDiscoraDisc::GetDiscID, &CDiscoraDisc::GetYear, &CDiscoraDisc::GetGenre,
    &CDiscoraDisc::GetExtended, &CDiscoraDisc::GetPlayOrder, &CDiscoraDisc::GetTrackCount,
    &CDiscoraQueryResult::GetMatchCount, &CDiscoraQueryResult::MatchFound,
    &CDiscoraQueryResult::IsExactMatch, &CDiscoraSite::GetHost, &CDiscoraSite::GetProtocol,
    &CDiscoraSite::GetPort, &CDiscoraSite::GetAddress, &CDiscoraSite::GetSubmitAddress,
    &CDiscoraSite::GetLatitude, &CDiscoraSite::GetLongitude, &CDiscoraSite::GetDescription,
    &CDiscoraSite::GetDisplayText, &CDiscora::GetSiteCount, &CDiscora::GetProtocolLevel,
    &CDiscora::GetCategoryCount);

// ---- CDiscoraTrack --------------------------------------------------------------------------

CDiscoraTrack::CDiscoraTrack()
    : m_dwFrameOffset(0), m_pszArtist(nullptr), m_pszTitle(nullptr), m_pszExtended(nullptr) {}

CDiscoraTrack::CDiscoraTrack(const CDiscoraTrack& Other) : CDiscoraTrack() {
    *this = Other;
}

CDiscoraTrack::~CDiscoraTrack() {
    FreeText(m_pszArtist);
    FreeText(m_pszTitle);
    FreeText(m_pszExtended);
}

void CDiscoraTrack::operator=(const CDiscoraTrack& Other) {
    if (this == &Other)
        return;
    FreeText(m_pszArtist);
    FreeText(m_pszTitle);
    FreeText(m_pszExtended);
    m_dwFrameOffset = Other.m_dwFrameOffset;
    m_pszArtist = DuplicateOrNull(Other.m_pszArtist);
    m_pszTitle = DuplicateOrNull(Other.m_pszTitle);
    m_pszExtended = DuplicateOrNull(Other.m_pszExtended);
}

int CDiscoraTrack::SetArtist(const char* pszArtist) {
    return StoreText(m_pszArtist, pszArtist);
}
int CDiscoraTrack::SetTitle(const char* pszTitle) {
    return StoreText(m_pszTitle, pszTitle);
}
int CDiscoraTrack::SetExtended(const char* pszExtended) {
    return StoreText(m_pszExtended, pszExtended);
}

// ---- CDiscoraDisc ---------------------------------------------------------------------------

CDiscoraDisc::CDiscoraDisc()
    : m_nDiscLength(0),
      m_pszCategory(nullptr),
      m_pszArtist(nullptr),
      m_pszTitle(nullptr),
      m_nRevision(-1),
      m_dwDiscID(0),
      m_pszYear(nullptr),
      m_pszGenre(nullptr),
      m_pszExtended(nullptr),
      m_pszPlayOrder(nullptr),
      m_nTrackCount(0),
      m_pTracks{} {}

CDiscoraDisc::CDiscoraDisc(const CDiscoraDisc& Other) : CDiscoraDisc() {
    *this = Other;
}

CDiscoraDisc::~CDiscoraDisc() {
    Clear();
}

void CDiscoraDisc::Clear() {
    FreeText(m_pszCategory);
    FreeText(m_pszArtist);
    FreeText(m_pszTitle);
    FreeText(m_pszYear);
    FreeText(m_pszGenre);
    FreeText(m_pszExtended);
    FreeText(m_pszPlayOrder);
    CDiscoraInternals::DeleteTracks(*this);
    m_nDiscLength = 0;
    m_nRevision = -1;
    m_dwDiscID = 0;
}

void CDiscoraDisc::operator=(const CDiscoraDisc& Other) {
    if (this == &Other)
        return;
    Clear();
    m_nDiscLength = Other.m_nDiscLength;
    m_pszCategory = DuplicateOrNull(Other.m_pszCategory);
    m_pszArtist = DuplicateOrNull(Other.m_pszArtist);
    m_pszTitle = DuplicateOrNull(Other.m_pszTitle);
    m_nRevision = Other.m_nRevision;
    m_dwDiscID = Other.m_dwDiscID;
    m_pszYear = DuplicateOrNull(Other.m_pszYear);
    m_pszGenre = DuplicateOrNull(Other.m_pszGenre);
    m_pszExtended = DuplicateOrNull(Other.m_pszExtended);
    m_pszPlayOrder = DuplicateOrNull(Other.m_pszPlayOrder);
    for (int i = 0; i < Other.m_nTrackCount; ++i) {
        if (Other.m_pTracks[i] == nullptr)
            break;
        m_pTracks[i] = new (std::nothrow) CDiscoraTrack(*Other.m_pTracks[i]);
        if (m_pTracks[i] == nullptr)
            break;
        m_nTrackCount = i + 1;
    }
}

int CDiscoraDisc::SetCategory(const char* pszCategory) {
    return StoreText(m_pszCategory, pszCategory);
}
int CDiscoraDisc::SetArtist(const char* pszArtist) {
    return StoreText(m_pszArtist, pszArtist);
}
int CDiscoraDisc::SetTitle(const char* pszTitle) {
    return StoreText(m_pszTitle, pszTitle);
}
int CDiscoraDisc::SetYear(const char* pszYear) {
    return StoreText(m_pszYear, pszYear);
}
int CDiscoraDisc::SetGenre(const char* pszGenre) {
    return StoreText(m_pszGenre, pszGenre);
}
int CDiscoraDisc::SetExtended(const char* pszExtended) {
    return StoreText(m_pszExtended, pszExtended);
}

int CDiscoraDisc::GetTrack(int nTrackNum, CDiscoraTrack& Track) const {
    if (nTrackNum < 1 || nTrackNum > m_nTrackCount || m_pTracks[nTrackNum - 1] == nullptr)
        return 0;
    Track = *m_pTracks[nTrackNum - 1];
    return 1;
}

int CDiscoraDisc::SetTrack(int nTrackNum, const CDiscoraTrack& Track) {
    if (nTrackNum < 1 || nTrackNum > m_nTrackCount || m_pTracks[nTrackNum - 1] == nullptr)
        return 0;
    CDiscoraTrack& stored = *m_pTracks[nTrackNum - 1];
    const uint32_t offset = stored.m_dwFrameOffset;
    stored = Track;
    stored.m_dwFrameOffset = offset;
    return 1;
}

// ---- CDiscoraQueryResult --------------------------------------------------------------------

CDiscoraQueryResult::CDiscoraQueryResult() : m_nResultCount(0), m_pResults(nullptr) {}

CDiscoraQueryResult::CDiscoraQueryResult(const CDiscoraQueryResult& Other) : CDiscoraQueryResult() {
    *this = Other;
}

CDiscoraQueryResult::~CDiscoraQueryResult() {
    CDiscoraInternals::ClearResult(*this);
}

void CDiscoraQueryResult::operator=(const CDiscoraQueryResult& Other) {
    if (this == &Other)
        return;
    CDiscoraInternals::ClearResult(*this);
    if (Other.m_nResultCount == 0)
        return;
    m_pResults =
        static_cast<DiscoraMatch*>(std::calloc(Other.m_nResultCount, sizeof(DiscoraMatch)));
    if (m_pResults == nullptr)
        return;
    m_nResultCount = Other.m_nResultCount;
    for (uint16_t i = 0; i < m_nResultCount; ++i) {
        m_pResults[i].m_pszGenre = DuplicateOrNull(Other.m_pResults[i].m_pszGenre);
        m_pResults[i].m_dwDiscID = Other.m_pResults[i].m_dwDiscID;
        m_pResults[i].m_pszDiscName = DuplicateOrNull(Other.m_pResults[i].m_pszDiscName);
    }
}

const char* CDiscoraQueryResult::GetDiscGenre(int nResultNum) const {
    if (nResultNum < 0 || nResultNum >= m_nResultCount)
        return nullptr;
    return m_pResults[nResultNum].m_pszGenre;
}

const char* CDiscoraQueryResult::GetDiscName(int nResultNum) const {
    if (nResultNum < 0 || nResultNum >= m_nResultCount)
        return nullptr;
    return m_pResults[nResultNum].m_pszDiscName;
}

uint32_t CDiscoraQueryResult::GetDiscID(int nResultNum) const {
    if (nResultNum < 0 || nResultNum >= m_nResultCount)
        return 0;
    return m_pResults[nResultNum].m_dwDiscID;
}

// ---- CDiscoraSite ---------------------------------------------------------------------------

CDiscoraSite::CDiscoraSite()
    : m_pszHost(nullptr),
      m_pszProtocol(nullptr),
      m_nPort(0),
      m_pszAddress(nullptr),
      m_pszSubmitAddress(nullptr),
      m_pszLatitude(nullptr),
      m_pszLongitude(nullptr),
      m_pszDescription(nullptr),
      m_pszDisplayText(nullptr) {}

CDiscoraSite::CDiscoraSite(const CDiscoraSite& Other) : CDiscoraSite() {
    *this = Other;
}

CDiscoraSite::~CDiscoraSite() {
    CDiscoraInternals::ClearSite(*this);
}

void CDiscoraSite::operator=(const CDiscoraSite& Other) {
    if (this == &Other)
        return;
    CDiscoraInternals::ClearSite(*this);
    m_pszHost = DuplicateOrNull(Other.m_pszHost);
    m_pszProtocol = DuplicateOrNull(Other.m_pszProtocol);
    m_nPort = Other.m_nPort;
    m_pszAddress = DuplicateOrNull(Other.m_pszAddress);
    m_pszSubmitAddress = DuplicateOrNull(Other.m_pszSubmitAddress);
    m_pszLatitude = DuplicateOrNull(Other.m_pszLatitude);
    m_pszLongitude = DuplicateOrNull(Other.m_pszLongitude);
    m_pszDescription = DuplicateOrNull(Other.m_pszDescription);
    m_pszDisplayText = DuplicateOrNull(Other.m_pszDisplayText);
}

// ---- CDiscora -------------------------------------------------------------------------------

CDiscora::CDiscora(const char* pszAppName, const char* pszAppVersion)
    : m_hSocket(kInvalidSocket),
      m_pszAppName(nullptr),
      m_pszAppVersion(nullptr),
      m_pszHelloCommand(nullptr),
      m_pszHelloParam(nullptr),
      m_nCategoryCount(0),
      m_ppszCategories(nullptr),
      m_nActiveSite(kNoSite),
      m_nSiteCount(0),
      m_ppSites(nullptr),
      m_pszProxyHost(nullptr),
      m_nProxyPort(0),
      m_pszProxyAuth(nullptr),
      m_nProtocolLevel(6),
      m_nServerLevel(6) {
    if (pszAppName == nullptr || pszAppVersion == nullptr)
        return;
    Guarded(0, [&] {
        const std::string user = SanitizeHelloField(UserName());
        const std::string host = SanitizeHelloField(HostName());
        const std::string name = SanitizeHelloField(pszAppName);
        const std::string version = SanitizeHelloField(pszAppVersion);
        StoreText(m_pszAppName, pszAppName);
        StoreText(m_pszAppVersion, pszAppVersion);
        StoreText(m_pszHelloCommand,
                  "cddb hello " + user + " " + host + " " + name + " " + version);
        StoreText(m_pszHelloParam, "hello=" + user + "+" + host + "+" + name + "+" + version);
        return 1;
    });
}

CDiscora::~CDiscora() {
    Disconnect();
    FreeText(m_pszAppName);
    FreeText(m_pszAppVersion);
    FreeText(m_pszHelloCommand);
    FreeText(m_pszHelloParam);
    CDiscoraInternals::ClearCategories(*this);
    CDiscoraInternals::ClearSites(*this);
    FreeText(m_pszProxyHost);
    FreeText(m_pszProxyAuth);
}

int CDiscora::AddSite(const char* pszSiteLine) {
    if (pszSiteLine == nullptr)
        return -1;
    return Guarded(-1, [&] {
        const std::string_view line(pszSiteLine);
        // The whole host field must match: "127.0.0.1" is not the site "127.0.0.10".
        const std::string_view rest = SkipBlanks(line);
        size_t hostLength = 0;
        while (hostLength < rest.size() && !IsBlank(rest[hostLength]))
            ++hostLength;
        const std::string_view host = rest.substr(0, hostLength);
        for (uint16_t i = 0; i < m_nSiteCount; ++i) {
            if (m_ppSites[i]->m_pszHost != nullptr && host == m_ppSites[i]->m_pszHost)
                return static_cast<int>(i);
        }
        if (!CDiscoraInternals::AppendSite(*this, line))
            return -1;
        return m_nSiteCount - 1;
    });
}

int CDiscora::ReadSiteList() {
    BeginOperation(*this);
    return Guarded(0, [&] {
        const CDiscoraInternals::Exchange exchange = CDiscoraInternals::Run(*this, "sites");
        if (!exchange.answer)
            return 0;
        const int parsed = CDiscoraInternals::ParseSiteList(*exchange.answer, *this);
        return parsed != 0 ? parsed : RefusedBy(exchange.answer);
    });
}

const char* CDiscora::GetSiteDescription(int nSiteNum) const {
    const CDiscoraSite* site = GetSite(nSiteNum);
    return site != nullptr ? site->m_pszDisplayText : nullptr;
}

const CDiscoraSite* CDiscora::GetSite(int nSiteNum) const {
    if (nSiteNum < 0 || nSiteNum >= m_nSiteCount)
        return nullptr;
    return m_ppSites[nSiteNum];
}

int CDiscora::SetProxy(const char* pszHost, uint16_t nPort, const char* pszUser,
                       const char* pszPassword) {
    FreeText(m_pszProxyHost);
    FreeText(m_pszProxyAuth);
    m_nProxyPort = 0;
    if (pszHost == nullptr || pszHost[0] == '\0')
        return 1;
    if (!StoreText(m_pszProxyHost, pszHost))
        return 0;
    m_nProxyPort = nPort;
    if (pszUser == nullptr || pszUser[0] == '\0')
        return 1;
    return Guarded(0, [&] {
        // One unbroken line: a header cannot carry base64's customary CR LF every 76 characters.
        const std::string credentials = std::string(pszUser) + ":" + std::string(View(pszPassword));
        return StoreText(m_pszProxyAuth, Base64Encode(credentials));
    });
}

int CDiscora::SetProtocolLevel(int nLevel) {
    if (nLevel != 5 && nLevel != 6)
        return 0;
    m_nProtocolLevel = static_cast<uint16_t>(nLevel);
    m_nServerLevel = m_nProtocolLevel;
    return 1;
}

int CDiscora::Connect(int nSiteNum) {
    BeginOperation(*this);
    if (nSiteNum < 0 || nSiteNum >= m_nSiteCount) {
        NoteError("there is no site number " + std::to_string(nSiteNum));
        return 0;
    }
    Disconnect();
    m_nActiveSite = static_cast<uint16_t>(nSiteNum);
    m_nServerLevel = m_nProtocolLevel;
    const CDiscoraSite& site = *m_ppSites[nSiteNum];
    if (!CDiscoraInternals::IsProtocol(&site, "cddbp"))
        return 1;
    const bool greeted = Guarded(false, [&] { return CDiscoraInternals::Greet(*this, site); });
    if (!greeted) {
        Disconnect();
        return 0;
    }
    return 1;
}

void CDiscora::Disconnect() {
    if (CDiscoraInternals::IsProtocol(CDiscoraInternals::ActiveSite(*this), "cddbp"))
        SendText(m_hSocket, "quit\r\n");
    CloseSocket(m_hSocket);
    m_nActiveSite = kNoSite;
}

int CDiscora::ReadCategoryList() {
    BeginOperation(*this);
    return Guarded(0, [&] {
        const CDiscoraInternals::Exchange exchange = CDiscoraInternals::Run(*this, "cddb lscat");
        if (!exchange.sent)
            return 0;
        CDiscoraInternals::ClearCategories(*this);
        if (!exchange.answer)
            return 0;
        const int parsed = CDiscoraInternals::ParseCategoryList(*exchange.answer, *this);
        return parsed != 0 ? parsed : RefusedBy(exchange.answer);
    });
}

const char* CDiscora::GetCategory(int nIndex) const {
    if (nIndex < 0 || nIndex >= m_nCategoryCount)
        return nullptr;
    return m_ppszCategories[nIndex];
}

int CDiscora::QueryDisc(int nTrackCount, const uint32_t* pOffsets, CDiscoraQueryResult& Result) {
    BeginOperation(*this);
    if (nTrackCount < 1 || nTrackCount > DISCORA_MAX_TRACKS || pOffsets == nullptr) {
        NoteError("a query needs 1 to 99 tracks");
        return 0;
    }
    return Guarded(0, [&] {
        char id[16];
        std::snprintf(id, sizeof(id), "%08x",
                      static_cast<unsigned>(ComputeDiscID(nTrackCount, pOffsets)));
        std::string command =
            "cddb query " + std::string(id) + " " + std::to_string(nTrackCount) + " ";
        for (int i = 0; i < nTrackCount; ++i)
            command += std::to_string(pOffsets[i]) + " ";
        command += std::to_string(pOffsets[nTrackCount] / 75);
        const CDiscoraInternals::Exchange exchange = CDiscoraInternals::Run(*this, command);
        if (!exchange.answer)
            return 0;
        const int parsed = CDiscoraInternals::ParseQueryResponse(*exchange.answer, Result);
        return parsed != 0 ? parsed : RefusedBy(exchange.answer);
    });
}

int CDiscora::ReadDisc(CDiscoraQueryResult& Result, CDiscoraDisc& Disc, int nResultNum) {
    BeginOperation(*this);
    if (nResultNum < 0 || nResultNum >= Result.m_nResultCount) {
        NoteError("there is no match number " + std::to_string(nResultNum));
        return 0;
    }
    return Guarded(0, [&] {
        const DiscoraMatch& match = Result.m_pResults[nResultNum];
        char id[16];
        std::snprintf(id, sizeof(id), "%08x", static_cast<unsigned>(match.m_dwDiscID));
        const std::string command = "cddb read " + std::string(View(match.m_pszGenre)) + " " + id;
        const CDiscoraInternals::Exchange exchange = CDiscoraInternals::Run(*this, command);
        if (StatusOf(exchange.answer) != 210)
            return RefusedBy(exchange.answer);
        const int parsed = CDiscoraInternals::ParseDiscRecord(*exchange.answer, Disc);
        return parsed != 0 ? parsed : RefusedBy(exchange.answer);
    });
}

int CDiscora::InitSubmitDisc(int nTrackCount, const uint32_t* pOffsets, CDiscoraDisc& Disc) {
    Disc.Clear();
    if (nTrackCount < 1 || nTrackCount > DISCORA_MAX_TRACKS || pOffsets == nullptr)
        return 0;
    for (int i = 0; i < nTrackCount; ++i) {
        if (CDiscoraInternals::AppendTrack(Disc, pOffsets[i]) == nullptr)
            return 0;
    }
    Disc.m_nDiscLength = static_cast<int>(pOffsets[nTrackCount] / 75);
    std::vector<uint32_t> offsets;
    if (!Guarded(false, [&] {
            offsets.assign(pOffsets, pOffsets + nTrackCount);
            offsets.push_back(static_cast<uint32_t>(Disc.m_nDiscLength) * 75);
            return true;
        }))
        return 0;
    Disc.m_dwDiscID = ComputeDiscID(nTrackCount, offsets.data());
    return 1;
}

int CDiscora::SubmitDisc(CDiscoraDisc& Disc, const char* pszUserEmail, const char* pszSubmitMode) {
    BeginOperation(*this);
    // The header block is line-oriented: a line break in one of its fields would forge headers.
    if (Disc.m_pszCategory == nullptr || Disc.m_pszCategory[0] == '\0' || pszUserEmail == nullptr ||
        pszSubmitMode == nullptr || HasLineBreak(Disc.m_pszCategory) ||
        HasLineBreak(pszUserEmail) || HasLineBreak(pszSubmitMode)) {
        NoteError("a submission needs a category, an e-mail address and a mode, each one line");
        return 0;
    }
    return Guarded(0, [&] {
        // Checked once before anything is sent; the level only changes the character set.
        std::string text;
        if (!CDiscoraInternals::BuildSubmission(*this, Disc, pszUserEmail, pszSubmitMode, 6, text))
            return 0;
        const auto build = [&](int level) {
            CDiscoraInternals::BuildSubmission(*this, Disc, pszUserEmail, pszSubmitMode, level,
                                               text);
            return text;
        };
        const CDiscoraInternals::Exchange exchange = CDiscoraInternals::Run(*this, build, true);
        return StatusOf(exchange.answer) == 200 ? 1 : RefusedBy(exchange.answer);
    });
}

const char* CDiscora::GetLastError() const {
    return t_lastError.owner == this ? t_lastError.text.c_str() : "";
}

uint32_t CDiscora::ComputeDiscID(int nTrackCount, const uint32_t* pOffsets) {
    if (nTrackCount < 1 || pOffsets == nullptr)
        return 0;
    uint32_t digitSum = 0;
    for (int i = 0; i < nTrackCount; ++i) {
        for (uint32_t seconds = pOffsets[i] / 75; seconds > 0; seconds /= 10)
            digitSum += seconds % 10;
    }
    const uint32_t playingTime = (pOffsets[nTrackCount] - pOffsets[0]) / 75;
    return (digitSum % 255) << 24 | playingTime << 8 | static_cast<uint32_t>(nTrackCount);
}

int CDiscora::ParseDiscRecord(const char* pszText, CDiscoraDisc& Disc) {
    if (pszText == nullptr) {
        Disc.Clear();
        return 0;
    }
    return Guarded(0, [&] { return CDiscoraInternals::ParseDiscRecord(pszText, Disc); });
}

int CDiscora::ParseQueryResponse(const char* pszText, CDiscoraQueryResult& Result) {
    if (pszText == nullptr)
        return 0;
    return Guarded(0, [&] { return CDiscoraInternals::ParseQueryResponse(pszText, Result); });
}

int CDiscora::ParseCategoryList(const char* pszText) {
    if (pszText == nullptr)
        return 0;
    return Guarded(0, [&] { return CDiscoraInternals::ParseCategoryList(pszText, *this); });
}

int CDiscora::ParseSiteList(const char* pszText) {
    if (pszText == nullptr)
        return 0;
    return Guarded(0, [&] { return CDiscoraInternals::ParseSiteList(pszText, *this); });
}
