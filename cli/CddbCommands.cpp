// cddb: query, read, list and submit CDDB disc records through the Discora library.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/ArgParser.h"
#include "cli/Command.h"
#include "cli/CdLookupCommands.h"
#include "cdlookup/LookupController.h"
#include "foundation/Utf8Text.h"
#include "discora/Discora.h"

namespace shelfmark::cli {
namespace {

int RunCddb(const std::vector<std::string>& args);

const Command kCddbCommand{
    "cddb", "query, read, list and submit CDDB disc records",
    "Usage: shelfmark-cli cddb query --toc \"OFFSET... LEADOUT\" [OPTIONS]\n"
    "       shelfmark-cli cddb read CATEGORY DISCID [OPTIONS]\n"
    "       shelfmark-cli cddb lscat [OPTIONS]\n"
    "       shelfmark-cli cddb sites [OPTIONS]\n"
    "       shelfmark-cli cddb submit RECORD.xmcd --email ADDR --category CATEGORY\n"
    "                          [--mode submit|test] [OPTIONS]\n"
    "       shelfmark-cli cddb lookup FILE [DISK...] [--all|--new] [--choose N|--first|--ask]\n"
    "                          [--site LINE]\n"
    "       shelfmark-cli cddb submit FILE DISK --xmcd RECORD --category CATEGORY [--site LINE]\n"
    "       shelfmark-cli cddb settings [--email E] [--proxy HOST:PORT] [--proxy-user U]\n"
    "                          [--proxy-password-file PATH] [--disc-format F]\n"
    "                          [--track-format F] [--save-cdplayer 0|1]\n"
    "\n"
    "query prints one line per match: CATEGORY DISCID ARTIST / TITLE (nothing when the server\n"
    "knows no match). The table of contents lists the tracks' start frames, then the lead-out\n"
    "frame (75 frames a second, the 150-frame lead-in included).\n"
    "read prints the disc record; lscat the server's categories; sites its site list.\n"
    "submit sends an xmcd record file (submissions need an http site).\n"
    "lookup queries the audio CDs of the catalog FILE, names them and their tracks by the\n"
    "naming formats and saves; submit FILE DISK sends an edited record of a catalogued disk\n"
    "(the e-mail address setting is required); settings shows or changes the CDDB settings.\n"
    "\n"
    "Options:\n"
    "  --site \"HOST PROTOCOL PORT ADDRESS LATITUDE LONGITUDE DESCRIPTION\"\n"
    "        the server (default: gnudb.gnudb.org over http, port 80)\n"
    "  --proxy HOST:PORT [--proxy-user USER --proxy-password PASSWORD]\n"
    "        an HTTP proxy, with Basic authorization when a user is given\n"
    "  --level 5|6  CDDB protocol level: 6 (UTF-8, the default) or 5 (ISO-8859-1)\n",
    RunCddb};
const CommandRegistration kCddb(kCddbCommand);

const char kAppName[] = "Halvenmoor Shelfmark";
const char kAppVersion[] = "3.30.2004";

// A text of the library (from the server or a record file) as it may be printed: "" for none.
std::string Text(const char* value) {
    return value != nullptr ? text::ForTerminal(value) : std::string();
}

std::string IdText(uint32_t id) {
    char text[9];
    std::snprintf(text, sizeof(text), "%08x", id);
    return text;
}

// Fails with what the operation was and why the library says it failed.
int FailCddb(const CDiscora& client, const std::string& what) {
    const std::string reason = client.GetLastError();
    return Fail(reason.empty() ? what : what + ": " + reason);
}

// Splits "host:port"; false when the port is missing or not a number from 1 to 65535.
bool SplitHostPort(const std::string& text, std::string& host, uint16_t& port) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size())
        return false;
    unsigned long value = 0;
    for (size_t i = colon + 1; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + static_cast<unsigned long>(text[i] - '0');
        if (value > 65535)
            return false;
    }
    if (value == 0)
        return false;
    host = text.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    port = static_cast<uint16_t>(value);
    return true;
}

bool ParseToc(const std::string& text, std::vector<uint32_t>& offsets) {
    std::istringstream in(text);
    std::string word;
    while (in >> word) {
        if (word.find_first_not_of("0123456789") != std::string::npos || word.size() > 9)
            return false;
        offsets.push_back(static_cast<uint32_t>(std::stoul(word)));
    }
    return offsets.size() >= 2 && offsets.size() <= DISCORA_MAX_TRACKS + 1;
}

void PrintDisc(const CDiscoraDisc& disc) {
    std::printf("Category: %s\nDisc ID: %s\nArtist: %s\nTitle: %s\nYear: %s\nGenre: %s\n",
                Text(disc.GetCategory()).c_str(), IdText(disc.GetDiscID()).c_str(),
                Text(disc.GetArtist()).c_str(), Text(disc.GetTitle()).c_str(),
                Text(disc.GetYear()).c_str(), Text(disc.GetGenre()).c_str());
    std::printf("Length: %d\nRevision: %d\nTracks: %d\n", disc.GetDiscLength(), disc.GetRevision(),
                disc.GetTrackCount());
    for (int i = 1; i <= disc.GetTrackCount(); ++i) {
        CDiscoraTrack track;
        if (!disc.GetTrack(i, track))
            continue;
        std::printf("%02d\t%u\t", i, track.GetFrameOffset());
        if (track.GetArtist() != nullptr)
            std::printf("%s / ", Text(track.GetArtist()).c_str());
        std::printf("%s\n", Text(track.GetTitle()).c_str());
    }
    if (disc.GetExtended() != nullptr && disc.GetExtended()[0] != '\0') {
        std::printf("Extended:\n");
        std::istringstream lines(disc.GetExtended());
        std::string line;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::printf("%s\n", text::ForTerminal(line).c_str());
        }
    }
}

}  // namespace

// A record file as a "cddb read" answer: status line, CR LF lines, the "." line.
bool LoadRecord(const std::string& path, const std::string& category, CDiscoraDisc& disc) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string answer = "210 " + category + " 00000000 submitted record\r\n";
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line == ".")
            break;
        answer += line + "\r\n";
    }
    answer += ".\r\n";
    return CDiscora::ParseDiscRecord(answer.c_str(), disc) == 1;
}

namespace {

int Query(CDiscora& client, ArgParser& parser) {
    std::vector<uint32_t> offsets;
    if (!parser.has("toc") || !ParseToc(parser.valueOr("toc", ""), offsets))
        return UsageError(kCddbCommand,
                          "query needs --toc with 1 to 99 track offsets and the lead-out");
    const int tracks = static_cast<int>(offsets.size()) - 1;
    CDiscoraQueryResult result;
    const int done = client.Connect(0) && client.QueryDisc(tracks, offsets.data(), result);
    client.Disconnect();
    if (!done)
        return FailCddb(client, "CDDB query failed");
    for (int i = 0; i < result.GetMatchCount(); ++i)
        std::printf("%s %s %s\n", Text(result.GetDiscGenre(i)).c_str(),
                    IdText(result.GetDiscID(i)).c_str(), Text(result.GetDiscName(i)).c_str());
    return kExitSuccess;
}

int Read(CDiscora& client, const std::vector<std::string>& words) {
    if (words.size() != 3)
        return UsageError(kCddbCommand, "read needs CATEGORY and DISCID");
    const std::string& id = words[2];
    if (id.empty() || id.size() > 8 ||
        id.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return UsageError(kCddbCommand, "DISCID must be up to eight hexadecimal digits");
    if (words[1].find_first_of(" \t\r\n") != std::string::npos || words[1].empty())
        return UsageError(kCddbCommand, "CATEGORY must be one word");
    CDiscoraQueryResult match;
    const std::string line = "200 " + words[1] + " " + id + " -\r\n";
    CDiscora::ParseQueryResponse(line.c_str(), match);
    CDiscoraDisc disc;
    const int done = client.Connect(0) && client.ReadDisc(match, disc, 0);
    client.Disconnect();
    if (!done)
        return FailCddb(client, "CDDB read failed");
    PrintDisc(disc);
    return kExitSuccess;
}

int ListCategories(CDiscora& client) {
    const int done = client.Connect(0) && client.ReadCategoryList();
    client.Disconnect();
    if (!done)
        return FailCddb(client, "reading the CDDB category list failed");
    for (int i = 0; i < client.GetCategoryCount(); ++i)
        std::printf("%s\n", Text(client.GetCategory(i)).c_str());
    return kExitSuccess;
}

int ListSites(CDiscora& client) {
    const int done = client.Connect(0) && client.ReadSiteList();
    client.Disconnect();
    if (!done)
        return FailCddb(client, "reading the CDDB site list failed");
    for (int i = 0; i < client.GetSiteCount(); ++i) {
        const CDiscoraSite* site = client.GetSite(i);
        if (site->GetHost() == nullptr)
            continue;
        std::printf("%s %s %u %s %s %s %s\n", Text(site->GetHost()).c_str(),
                    Text(site->GetProtocol()).c_str(), site->GetPort(),
                    Text(site->GetAddress()).c_str(), Text(site->GetLatitude()).c_str(),
                    Text(site->GetLongitude()).c_str(), Text(site->GetDescription()).c_str());
    }
    return kExitSuccess;
}

int Submit(CDiscora& client, const std::vector<std::string>& words, ArgParser& parser) {
    if (words.size() != 2)
        return UsageError(kCddbCommand, "submit needs one RECORD file");
    if (!parser.has("email") || !parser.has("category"))
        return UsageError(kCddbCommand, "submit needs --email and --category");
    const std::string mode = parser.valueOr("mode", "submit");
    if (mode != "submit" && mode != "test")
        return UsageError(kCddbCommand, "--mode is submit or test");
    CDiscoraDisc disc;
    if (!LoadRecord(words[1], parser.valueOr("category", ""), disc))
        return Fail("not a readable xmcd record: " + words[1]);
    const std::string email = parser.valueOr("email", "");
    const int done = client.Connect(0) && client.SubmitDisc(disc, email.c_str(), mode.c_str());
    client.Disconnect();
    if (!done)
        return FailCddb(client, "CDDB submission failed");
    std::printf("submitted %s %s\n", Text(disc.GetCategory()).c_str(),
                IdText(disc.GetDiscID()).c_str());
    return kExitSuccess;
}

int RunCddb(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("toc")
        .option("site")
        .option("proxy")
        .option("proxy-user")
        .option("proxy-password")
        .option("level")
        .option("email")
        .option("category")
        .option("mode");
    if (IsCatalogCddbAction(args))
        return RunCatalogCddbAction(args);
    if (!parser.parse(args))
        return UsageError(kCddbCommand, parser.error());
    const std::vector<std::string>& words = parser.positionals();
    if (words.empty())
        return UsageError(kCddbCommand, "expected query, read, lscat, sites or submit");

    CDiscora client(kAppName, kAppVersion);
    const std::string site = parser.valueOr("site", kDefaultCddbSite);
    if (client.AddSite(site.c_str()) != 0 || client.GetSite(0)->GetHost() == nullptr)
        return UsageError(kCddbCommand, "--site needs seven fields and a port other than 0");
    if (parser.has("level")) {
        const std::string level = parser.valueOr("level", "");
        if ((level != "5" && level != "6") || !client.SetProtocolLevel(level[0] - '0'))
            return UsageError(kCddbCommand, "--level is 5 or 6");
    }
    if (parser.has("proxy")) {
        std::string host;
        uint16_t port = 0;
        if (!SplitHostPort(parser.valueOr("proxy", ""), host, port))
            return UsageError(kCddbCommand, "--proxy needs HOST:PORT");
        const std::string user = parser.valueOr("proxy-user", "");
        const std::string password = parser.valueOr("proxy-password", "");
        if (!client.SetProxy(host.c_str(), port, user.c_str(), password.c_str()))
            return Fail("out of memory");
    } else if (parser.has("proxy-user") || parser.has("proxy-password")) {
        return UsageError(kCddbCommand, "--proxy-user and --proxy-password need --proxy");
    }

    const std::string& action = words[0];
    if (action == "query")
        return Query(client, parser);
    if (action == "read")
        return Read(client, words);
    if (action == "lscat" && words.size() == 1)
        return ListCategories(client);
    if (action == "sites" && words.size() == 1)
        return ListSites(client);
    if (action == "submit")
        return Submit(client, words, parser);
    return UsageError(kCddbCommand, "unknown cddb action: " + action);
}

}  // namespace
}  // namespace shelfmark::cli
