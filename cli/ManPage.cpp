#include "cli/ManPage.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "cli/Command.h"
#include "cli/HelpText.h"

namespace shelfmark::cli {
namespace {

bool IsSectionLine(std::string_view line) {
    bool letter = false;
    for (char c : line) {
        if (c >= 'A' && c <= 'Z')
            letter = true;
        else if (c != ' ')
            return false;
    }
    return letter;
}

bool IsLiteralLine(std::string_view line) {
    return !line.empty() && (line[0] == ' ' || line[0] == '\t' || line.starts_with("Usage:"));
}

// One UTF-8 sequence at `at` as a code point; advances `at`. Malformed bytes give U+FFFD.
uint32_t NextCodePoint(std::string_view text, size_t& at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    uint32_t code = length == 1 ? 0xFFFD : lead & (0x3F >> (length - 1));
    if (at + size_t(length) > text.size()) {
        ++at;
        return 0xFFFD;
    }
    for (int i = 1; i < length; ++i) {
        if ((byte(at + size_t(i)) & 0xC0) != 0x80) {
            ++at;
            return 0xFFFD;
        }
        code = (code << 6) | (byte(at + size_t(i)) & 0x3F);
    }
    at += size_t(length);
    return code;
}

// The line as roff text: backslashes and bytes outside ASCII as escapes, and a leading control
// character made harmless.
std::string Escaped(std::string_view line) {
    std::string out;
    if (!line.empty() && (line[0] == '.' || line[0] == '\''))
        out += "\\&";
    for (size_t at = 0; at < line.size();) {
        const unsigned char c = static_cast<unsigned char>(line[at]);
        if (c == '\\') {
            out += "\\e";
            ++at;
        } else if (c == '-') {
            out += "\\-";
            ++at;
        } else if (c < 0x80) {
            out += (c == '\t' || c >= 0x20) ? char(c) : ' ';
            ++at;
        } else {
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\[u%04X]", NextCodePoint(line, at));
            out += escape;
        }
    }
    return out;
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return lines;
}

}  // namespace

std::string ManPageRoff(const ManPageHeading& heading, std::string_view pageText) {
    std::string out = ".TH \"" + Escaped(heading.title) + "\" \"" + heading.section + "\" \"\" \"" +
                      Escaped(heading.source) + "\" \"" + Escaped(heading.manual) + "\"\n";
    const std::vector<std::string_view> lines = Lines(pageText);
    if (lines.empty())
        return out;
    out += ".SH NAME\n" + Escaped(lines[0]) + "\n";
    bool literal = false;
    bool pendingBreak = false;  // an empty line since the last text of this section
    bool started = false;       // text written since the last heading
    auto endLiteral = [&] {
        if (literal)
            out += ".fi\n";
        literal = false;
    };
    auto startHeading = [&](const std::string& request) {
        endLiteral();
        out += request;
        pendingBreak = false;
        started = false;
    };
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty()) {
            endLiteral();
            pendingBreak = started;
        } else if (IsSectionLine(line)) {
            startHeading(".SH \"" + Escaped(line) + "\"\n");
        } else if (line.starts_with("## ")) {
            startHeading(".SS \"" + Escaped(line.substr(3)) + "\"\n");
        } else {
            const bool literalLine = IsLiteralLine(line);
            if (pendingBreak || (literal && !literalLine)) {
                endLiteral();
                out += ".PP\n";
            }
            if (literalLine && !literal)
                out += ".nf\n";
            literal = literalLine;
            pendingBreak = false;
            started = true;
            out += Escaped(line) + "\n";
        }
    }
    endLiteral();
    return out;
}

std::string CliManPageText() {
    std::ostringstream help;
    PrintHelp(help);
    std::ostringstream page;
    page << "shelfmark-cli - catalogue disks, folders and their files from the command line\n"
            "\nSYNOPSIS\n"
         << help.str().substr(0, help.str().find("\n\n") + 1)
         << "\nDESCRIPTION\n"
            "shelfmark-cli reads, searches and edits Shelfmark catalog files (.tkd) without the\n"
            "desktop program: every command below works on the same files.\n"
            "\n"
         << help.str().substr(help.str().find("\n\n") + 2) << "\nCOMMANDS\n";
    for (const Command& command : AllCommands()) {
        if (IsHiddenCommand(command.name))
            continue;
        page << "## " << command.name << "\n" << command.usage << "\n";
    }
    page << "FILES\n"
            "Settings, remembered passwords, profiles (ReadDiskDlg.tkp, ItemList.tkp,\n"
            "ExportList.tkp, Categories.tkp) and plug-ins live in $XDG_CONFIG_HOME/shelfmark\n"
            "(by default ~/.config/shelfmark).\n"
            "\nSEE ALSO\n"
            "shelfmark(1)\n";
    return page.str();
}

}  // namespace shelfmark::cli
