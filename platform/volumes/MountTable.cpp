#include "platform/volumes/MountTable.h"

#include <fstream>
#include <sstream>

namespace shelfmark {

namespace {

bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// Splits at single blanks; mountinfo separates its fields by exactly one.
std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (start <= line.size()) {
        const size_t end = line.find(' ', start);
        const size_t stop = end == std::string_view::npos ? line.size() : end;
        if (stop > start)
            fields.push_back(line.substr(start, stop - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return fields;
}

bool ParseDeviceNumber(std::string_view text, unsigned& major, unsigned& minor) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 >= text.size())
        return false;
    auto parse = [](std::string_view digits, unsigned& out) {
        unsigned value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9' || value > 0xFFFFFFF)
                return false;
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        out = value;
        return true;
    };
    return parse(text.substr(0, colon), major) && parse(text.substr(colon + 1), minor);
}

}  // namespace

std::string UnescapeMountField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) &&
            IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            out.push_back(static_cast<char>(value & 0xFF));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::vector<std::string_view> fields = SplitFields(text.substr(start, end - start));
        start = end + 1;

        // id parent major:minor root mount-point options [optional fields...] - type source
        // super-options
        size_t separator = 0;
        for (size_t i = 6; i < fields.size(); ++i) {
            if (fields[i] == "-") {
                separator = i;
                break;
            }
        }
        if (separator == 0 || separator + 1 >= fields.size())
            continue;
        MountEntry entry;
        if (!ParseDeviceNumber(fields[2], entry.major, entry.minor))
            continue;
        entry.root = UnescapeMountField(fields[3]);
        entry.mountPoint = UnescapeMountField(fields[4]);
        entry.fsType = UnescapeMountField(fields[separator + 1]);
        if (separator + 2 < fields.size())
            entry.source = UnescapeMountField(fields[separator + 2]);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<MountEntry> ReadMountTable() {
    std::ifstream in("/proc/self/mountinfo");
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return ParseMountInfo(text.str());
}

}  // namespace shelfmark
