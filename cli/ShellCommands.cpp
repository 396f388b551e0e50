// Hidden helper commands for the shell and the build; help does not list them.
//   __complete WORD...  the completions of the last WORD, the words before it being the
//                       command line after "shelfmark-cli" (used by the bash and zsh scripts).
//   __man [PAGE.txt]    the manual page in roff: shelfmark-cli's own, made from the help texts,
//                       or the page text of PAGE.txt (see cli/ManPage.h).
// Completion takes everything it knows from the commands' help texts: the options are the
// "--name"s a command's help mentions, and the synopsis lines ("Usage: ..." and the lines
// after it naming the tool) say what each operand and option value is: FILE and SOURCE are
// catalog files, a word with PATH, FOLDER or PARENT in it is a path inside the catalog named
// by the first operand, other upper-case words are files, lower-case words are literal.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "catalog/CatalogFile.h"
#include "catalog/CatalogPath.h"
#include "cli/Command.h"
#include "cli/HelpText.h"
#include "cli/ManPage.h"
#include "foundation/Prompter.h"
#include "foundation/Utf8Text.h"

namespace shelfmark::cli {
namespace {

// What an operand or option value is.
enum class Kind { None, CatalogFile, CatalogPath, File };

// The kind of a synopsis word; `optionValue` when it names an option's value ("-o NEW").
Kind KindOf(std::string_view word, bool optionValue) {
    if (word == "FILE" || word == "SOURCE")
        return Kind::CatalogFile;
    for (std::string_view part : {"PATH", "FOLDER", "PARENT", "DISK"}) {
        if (word.find(part) != std::string_view::npos)
            return Kind::CatalogPath;
    }
    const bool file = word.find('.') != std::string_view::npos || word == "ROOT" ||
                      word == "IMAGE" || word == "SCRIPT" || word == "DEVICE" ||
                      (optionValue && word == "NEW");
    return file ? Kind::File : Kind::None;
}

// One operand place: literal words offered there, and the kind of a free word.
struct Slot {
    std::set<std::string> keywords;
    Kind kind = Kind::None;
    bool repeats = false;
};

struct Synopsis {
    std::vector<Slot> operands;
    std::map<std::string, Kind> optionValues;  // options that take a value
    std::set<std::string> options;
};

std::string Bare(std::string token) {
    std::erase_if(token, [](char c) { return c == '[' || c == ']' || c == '(' || c == ')'; });
    while (token.ends_with("..."))
        token.resize(token.size() - 3);
    if (const size_t bar = token.find('|'); bar != std::string::npos)
        token.resize(bar);
    return token;
}

bool IsOption(std::string_view token) {
    return token.size() > 1 && token[0] == '-' && token != "--";
}

Synopsis ReadSynopsis(const Command& command) {
    Synopsis synopsis;
    std::istringstream usage{std::string(command.usage)};
    const std::string tool = "shelfmark-cli " + std::string(command.name);
    for (std::string line; std::getline(usage, line);) {
        // Every option the help names, "--name" up to a character that cannot be in one.
        for (size_t at = line.find("--"); at != std::string::npos; at = line.find("--", at + 2)) {
            size_t end = at + 2;
            while (end < line.size() &&
                   (std::isalnum(static_cast<unsigned char>(line[end])) || line[end] == '-'))
                ++end;
            if (end > at + 2)
                synopsis.options.insert(line.substr(at, end - at));
        }
        const size_t start = line.find(tool);
        const bool synopsisLine =
            start != std::string::npos &&
            (line.starts_with("Usage:") || line.find_first_not_of(' ') == start);
        if (!synopsisLine)
            continue;
        std::istringstream words(line.substr(start + tool.size()));
        std::vector<std::string> tokens{std::istream_iterator<std::string>(words), {}};
        size_t operand = 0;
        for (size_t i = 0; i < tokens.size(); ++i) {
            std::string token = Bare(tokens[i]);
            if (token.empty())
                continue;
            if (IsOption(token)) {
                if (const size_t equals = token.find('='); equals != std::string::npos)
                    token.resize(equals);
                const std::string next = i + 1 < tokens.size() ? Bare(tokens[i + 1]) : "";
                if (!next.empty() && !IsOption(next) &&
                    std::isupper(static_cast<unsigned char>(next[0])) && tokens[i + 1][0] != '[') {
                    synopsis.optionValues.emplace(token, KindOf(next, true));
                    ++i;
                }
                synopsis.options.insert(token);
                continue;
            }
            if (token == "OPTIONS")
                continue;
            if (synopsis.operands.size() <= operand)
                synopsis.operands.resize(operand + 1);
            Slot& slot = synopsis.operands[operand];
            if (std::isupper(static_cast<unsigned char>(token[0]))) {
                if (slot.kind == Kind::None)
                    slot.kind = KindOf(token, false);
            } else {
                slot.keywords.insert(token);
            }
            slot.repeats = slot.repeats || tokens[i].find("...") != std::string::npos;
            ++operand;
        }
    }
    synopsis.options.insert("--help");
    return synopsis;
}

// The catalog paths below the item `typed` names up to its last separator whose last name
// starts with what follows it, each in the form typed: same separators, containers with one
// after them.
std::vector<std::string> CatalogPathCandidates(const std::string& catalog,
                                               const std::string& typed) {
    SilentPrompter prompter;
    CatalogTree tree;
    CatalogReadOptions options;
    options.showConvertHint = kConvertHintSuppressed;
    // Locked items stay locked: completion asks for no password and shows nothing inside.
    if (!ReadCatalogFile(catalog, tree, prompter, options).ok())
        return {};
    const size_t cut = typed.find_last_of("/\\");
    const std::string parentText = cut == std::string::npos ? "" : typed.substr(0, cut + 1);
    const std::string prefix =
        text::FoldCase(cut == std::string::npos ? typed : typed.substr(cut + 1));
    const char separator = cut == std::string::npos ? '/' : typed[cut];
    const CatalogItem* parent = ResolveCatalogPath(tree, parentText);
    std::vector<std::string> candidates;
    for (const CatalogItem* child = parent ? parent->firstChild() : nullptr; child;
         child = child->next()) {
        if (!text::FoldCase(child->name()).starts_with(prefix))
            continue;
        std::string candidate = parentText + EscapeCatalogPathName(child->name());
        if (child->isContainer() && child->firstChild())
            candidate += separator;
        candidates.push_back(std::move(candidate));
    }
    return candidates;
}

void PrintKind(Kind kind, const std::string& catalog, const std::string& current) {
    switch (kind) {
        case Kind::CatalogFile:
            std::cout << "@catalogs\n";
            break;
        case Kind::File:
            std::cout << "@files\n";
            break;
        case Kind::CatalogPath:
            if (!catalog.empty()) {
                for (const std::string& candidate : CatalogPathCandidates(catalog, current))
                    std::cout << candidate << '\n';
            }
            break;
        case Kind::None:
            break;
    }
}

int RunComplete(const std::vector<std::string>& args) {
    if (args.empty())
        return kExitSuccess;
    const std::string& current = args.back();
    if (args.size() == 1) {
        for (const Command& command : AllCommands()) {
            if (!IsHiddenCommand(command.name) && command.name.starts_with(current))
                std::cout << command.name << '\n';
        }
        return kExitSuccess;
    }
    const Command* command = FindCommand(args[0]);
    if (!command || IsHiddenCommand(command->name))
        return kExitSuccess;
    if (command->name == "help") {
        for (const Command& known : AllCommands()) {
            if (!IsHiddenCommand(known.name) && known.name.starts_with(current))
                std::cout << known.name << '\n';
        }
        return kExitSuccess;
    }
    const Synopsis synopsis = ReadSynopsis(*command);
    // The operands before the current word, and the catalog the first of them names.
    size_t operand = 0;
    std::string catalog;
    const std::string& previous = args[args.size() - 2];
    for (size_t i = 1; i + 1 < args.size(); ++i) {
        if (IsOption(args[i])) {
            if (synopsis.optionValues.contains(args[i]) || args[i] == "--password-file")
                ++i;
            continue;
        }
        if (operand == 0 && synopsis.operands.size() > 0 &&
            synopsis.operands[0].kind == Kind::CatalogFile)
            catalog = args[i];
        ++operand;
    }
    if (previous == "--password-file") {
        PrintKind(Kind::File, catalog, current);
        return kExitSuccess;
    }
    if (const auto value = synopsis.optionValues.find(previous);
        IsOption(previous) && value != synopsis.optionValues.end()) {
        PrintKind(value->second, catalog, current);
        return kExitSuccess;
    }
    if (current.starts_with('-')) {
        for (const std::string& option : synopsis.options) {
            if (option.starts_with(current))
                std::cout << option << '\n';
        }
        if (std::string("--password-file").starts_with(current))
            std::cout << "--password-file\n";
        return kExitSuccess;
    }
    if (synopsis.operands.empty())
        return kExitSuccess;
    const Slot& slot =
        operand < synopsis.operands.size() ? synopsis.operands[operand] : synopsis.operands.back();
    if (operand >= synopsis.operands.size() && !slot.repeats)
        return kExitSuccess;
    for (const std::string& keyword : slot.keywords) {
        if (keyword.starts_with(current))
            std::cout << keyword << '\n';
    }
    PrintKind(slot.kind, catalog, current);
    return kExitSuccess;
}

int RunMan(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::cout << ManPageRoff(
            {"SHELFMARK-CLI", "1", std::string("Shelfmark ") + kVersion, "User Commands"},
            CliManPageText());
        return kExitSuccess;
    }
    std::ifstream file(args[0], std::ios::binary);
    if (!file)
        return Fail("cannot open '" + args[0] + "': " + std::strerror(errno));
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    std::string title = text.substr(0, text.find(' '));
    std::transform(title.begin(), title.end(), title.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    std::cout << ManPageRoff({title, "1", std::string("Shelfmark ") + kVersion, "User Commands"},
                             text);
    return kExitSuccess;
}

const CommandRegistration kComplete({"__complete", "", "Usage: shelfmark-cli __complete WORD...\n",
                                     RunComplete});
const CommandRegistration kMan({"__man", "", "Usage: shelfmark-cli __man [PAGE.txt]\n", RunMan});

}  // namespace
}  // namespace shelfmark::cli
