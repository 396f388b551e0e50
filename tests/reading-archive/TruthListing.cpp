#include "tests/reading-archive/TruthListing.h"

#include <cstdio>
#include <cstring>
#include <regex>
#include <sstream>

namespace shelfmark::testing {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// "24-03-23 19:12:46" (arj) -> "2024-03-23 19:12:46"
std::string ArjDate(const std::string& text) {
    const int year = std::stoi(text.substr(0, 2));
    return std::to_string(year < 80 ? 2000 + year : 1900 + year) + text.substr(2);
}

// Decodes a Python bytes literal body (b'...') with its \\, \' and \xNN escapes.
std::string PythonBytes(const std::string& literal) {
    std::string out;
    for (size_t i = 0; i < literal.size(); ++i) {
        if (literal[i] != '\\' || i + 1 >= literal.size()) {
            out.push_back(literal[i]);
            continue;
        }
        const char next = literal[++i];
        if (next == 'x' && i + 2 < literal.size()) {
            out.push_back(static_cast<char>(std::stoi(literal.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else if (next == 'n') {
            out.push_back('\n');
        } else if (next == 't') {
            out.push_back('\t');
        } else {
            out.push_back(next);
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> TruthSection(const std::string& truth, const std::string& command) {
    const std::string head = "===== $ " + command;
    const size_t start = truth.find(head);
    if (start == std::string::npos)
        return std::nullopt;
    const size_t bodyStart = truth.find('\n', start);
    const size_t end = truth.find("===== exit status", bodyStart);
    return truth.substr(bodyStart + 1,
                        end == std::string::npos ? std::string::npos : end - bodyStart - 1);
}

std::vector<TruthEntry> Parse7zListing(const std::string& section) {
    std::vector<TruthEntry> entries;
    const size_t start = section.find("\n----------\n");
    if (start == std::string::npos)
        return entries;
    TruthEntry current;
    bool open = false;
    const auto finish = [&] {
        if (open)
            entries.push_back(current);
        open = false;
    };
    for (const std::string& line : Lines(section.substr(start + 12))) {
        const size_t eq = line.find(" =");
        if (eq == std::string::npos) {
            if (line.empty())
                finish();
            continue;
        }
        const std::string key = line.substr(0, eq);
        const std::string value = eq + 3 <= line.size() ? line.substr(eq + 3) : std::string();
        if (key == "Path") {
            finish();
            current = TruthEntry{};
            current.path = value;
            open = true;
        } else if (!open) {
            continue;
        } else if (key == "Folder") {
            current.directory = value == "+";
        } else if (key == "Size") {
            current.size = value.empty() ? 0 : std::stoull(value);
        } else if (key == "Modified") {
            current.modified = value.substr(0, 19);
        } else if (key == "CRC") {
            current.crc = Upper(value);
        } else if (key == "Split Before") {
            current.splitBefore = value == "+";
        }
    }
    finish();
    return entries;
}

std::vector<TruthEntry> ParseBsdtarListing(const std::string& section) {
    static const std::regex kLine(
        R"(^([-dl])\S{9}\s+\d+\s+\S+\s+\S+\s+(\d+)\s+\w{3}\s+\d+\s+[\d:]+\s(.*)$)");
    std::vector<TruthEntry> entries;
    for (const std::string& line : Lines(section)) {
        std::smatch match;
        if (!std::regex_match(line, match, kLine))
            continue;
        TruthEntry entry;
        entry.directory = match[1] == "d";
        entry.size = std::stoull(match[2]);
        entry.path = match[3];
        if (match[1] == "l")
            entry.path = entry.path.substr(0, entry.path.find(" -> "));
        while (!entry.path.empty() && entry.path.back() == '/')
            entry.path.pop_back();
        entries.push_back(entry);
    }
    return entries;
}

std::vector<std::string> ParseZipinfoDosTimes(const std::string& section) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const std::regex kLine(
        R"(file last modified on \(DOS date/time\):\s+(\d+) (\w+) (\d+) (\d+):(\d+):(\d+))");
    std::vector<std::string> times;
    for (const std::string& line : Lines(section)) {
        std::smatch match;
        if (!std::regex_search(line, match, kLine))
            continue;
        int month = 0;
        for (int i = 0; i < 12; ++i)
            if (match[2] == kMonths[i])
                month = i + 1;
        if (month == 0) {
            times.emplace_back();
            continue;
        }
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", std::stoi(match[1]),
                      month, std::stoi(match[3]), std::stoi(match[4]), std::stoi(match[5]),
                      std::stoi(match[6]));
        times.push_back(text);
    }
    return times;
}

std::vector<TruthEntry> ParseArjListing(const std::string& section, bool verbose) {
    static const std::regex kNumbers(
        R"((\d+)\s+(\d+)\s+[\d.]+\s+(\d\d-\d\d-\d\d \d\d:\d\d:\d\d).*?([<>*])?\s*$)");
    static const std::regex kVerboseName(R"(^\d{3}\) (.*)$)");
    std::vector<TruthEntry> entries;
    const std::vector<std::string> lines = Lines(section);
    bool inTable = false;
    std::string pendingName;
    for (const std::string& line : lines) {
        if (line.rfind("------------", 0) == 0) {
            if (inTable)
                break;
            inTable = true;
            continue;
        }
        if (!inTable)
            continue;
        std::smatch match;
        if (verbose && std::regex_match(line, match, kVerboseName)) {
            pendingName = match[1];
            continue;
        }
        if (!std::regex_search(line, match, kNumbers))
            continue;
        TruthEntry entry;
        if (verbose) {
            if (pendingName.empty() || line.find("DTA") != std::string::npos ||
                line.find("DTC") != std::string::npos)
                continue;
            entry.path = pendingName;
            pendingName.clear();
        } else {
            entry.path = line.substr(0, line.find(' '));
        }
        entry.size = std::stoull(match[1]);
        entry.modified = ArjDate(match[3]);
        if (match[4].matched)
            entry.volumeMark = match[4].str()[0];
        entries.push_back(entry);
    }
    return entries;
}

std::vector<AceHeader> ParseAceHeaders(const std::string& section) {
    std::vector<AceHeader> headers;
    std::optional<AceHeader> current;
    bool isFile = false;
    const auto finish = [&] {
        if (current && isFile)
            headers.push_back(*current);
        current.reset();
        isFile = false;
    };
    static const std::regex kField(R"(^\s+(\w+)\s+(\S+)\s*(.*)$)");
    for (const std::string& line : Lines(section)) {
        if (line == "header") {
            finish();
            current = AceHeader{};
            continue;
        }
        std::smatch match;
        if (!current || !std::regex_match(line, match, kField))
            continue;
        const std::string key = match[1];
        const std::string value = match[2];
        if (key == "hdr_type") {
            isFile = match[3].str().rfind("FILE", 0) == 0;
        } else if (key == "hdr_flags") {
            current->flags = static_cast<uint32_t>(std::stoul(value, nullptr, 16));
        } else if (key == "attribs") {
            current->attributes = static_cast<uint32_t>(std::stoul(value, nullptr, 16));
        } else if (key == "origsize") {
            current->size = std::stoull(value);
        } else if (key == "datetime") {
            current->modified = match[3].str().substr(0, 19);
        } else if (key == "crc32") {
            char text[16];
            std::snprintf(text, sizeof text, "%08lX", std::stoul(value, nullptr, 16));
            current->crc = text;
        } else if (key == "filename") {
            const std::string all = value + (match[3].length() ? " " + match[3].str() : "");
            if (all.size() >= 3 && all.rfind("b'", 0) == 0)
                current->name = PythonBytes(all.substr(2, all.size() - 3));
        }
    }
    finish();
    return headers;
}

}  // namespace shelfmark::testing
