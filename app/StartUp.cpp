#include "app/StartUp.h"

#include "foundation/Utf8Text.h"

namespace shelfmark {
namespace {

enum class Pending { None, Search, Catalog };

bool SwitchIs(std::string_view argument, std::string_view name) {
    return text::EqualsNoCase(argument.substr(1), name);
}

}  // namespace

std::string SearchNameOfPath(std::string_view path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.remove_suffix(1);
    const size_t cut = path.find_last_of("/\\");
    // The root alone has no name after its separator: it stays as it is.
    if (cut == std::string_view::npos || path.size() == 1)
        return std::string(path);
    return std::string(path.substr(cut + 1));
}

CommandLine ParseCommandLine(std::span<const std::string> arguments) {
    CommandLine result;
    Pending pending = Pending::None;
    for (const std::string& argument : arguments) {
        // A lone "-" or "/" names no switch; "/" is also the root directory, so it is a path.
        if (argument.size() > 1 && (argument[0] == '-' || argument[0] == '/')) {
            if (SwitchIs(argument, "uninstall")) {
                result.uninstall = true;
                continue;
            }
            if (SwitchIs(argument, "catalog")) {
                pending = Pending::Catalog;
                continue;
            }
            if (SwitchIs(argument, "new")) {
                result.newCatalog = true;
                continue;
            }
            if (SwitchIs(argument, "search")) {
                pending = Pending::Search;
                continue;
            }
            if (SwitchIs(argument, "systray"))
                continue;
            // An absolute path starts with "/" too: only a known switch is a switch.
            if (argument[0] == '-')
                continue;
        }
        switch (pending) {
            case Pending::Search:
                result.searchName = SearchNameOfPath(argument);
                break;
            case Pending::Catalog:
                result.directoryToRead = argument;
                break;
            case Pending::None:
                result.catalogFile = argument;
                break;
        }
        pending = Pending::None;
    }
    return result;
}

StartChoice ChooseStartCatalog(const CommandLine& commandLine, const AppSettings& settings) {
    if (!commandLine.catalogFile.empty())
        return {StartCatalog::File, commandLine.catalogFile};
    if (settings.StartMode == int32_t(StartAction::OpenLastDatabase) && !commandLine.newCatalog)
        return settings.LastFile.empty() ? StartChoice{}
                                         : StartChoice{StartCatalog::File, settings.LastFile};
    if (settings.StartMode == int32_t(StartAction::ShowOpenDialog) && !commandLine.newCatalog)
        return {StartCatalog::OpenDialog, {}};
    return {};
}

}  // namespace shelfmark
