#include "reading/providers/DescriptionProviders.h"

#include <dirent.h>
#include <fnmatch.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "foundation/ConfigDirectory.h"
#include "foundation/InstallDirectory.h"
#include "foundation/ProfileFile.h"

#ifndef SHELFMARK_PLUGIN_DIR
#define SHELFMARK_PLUGIN_DIR "lib/shelfmark/plugins"
#endif

namespace shelfmark {

namespace {

std::vector<std::string> Split(std::string_view text, std::string_view separators) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find_first_of(separators, start), text.size());
        if (end > start)
            pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

// The indexes of a profile value ("0,4"): decimal numbers 0 to 255 separated by ",".
std::set<int> ParseIndexes(std::string_view text) {
    std::set<int> indexes;
    for (const std::string& piece : Split(text, ",")) {
        const int index = ParseLeadingInt(piece);
        if (index >= 0 && index <= 255)
            indexes.insert(index);
    }
    return indexes;
}

}  // namespace

std::vector<std::string> PluginFileNames(const std::string& directory) {
    std::vector<std::string> names;
    DIR* dir = opendir(directory.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir))
        if (fnmatch("hvsm_*.so", entry->d_name, 0) == 0)
            names.emplace_back(entry->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ProviderDisplayName(const ProviderModule& module) {
    return module.name == kBuiltinProviderModule ? "built-in" : module.name;
}

std::vector<std::string> PluginDirectories() {
    std::vector<std::string> directories;
    if (const char* path = std::getenv(kPluginPathVariable))
        directories = Split(path, ":");
    for (std::string& installed : InstalledDirectories(SHELFMARK_PLUGIN_DIR))
        directories.push_back(std::move(installed));
    directories.push_back(ConfigDirectory() + "/plugins");
    return directories;
}

DescriptionProviders::DescriptionProviders(std::string profilePath)
    : builtin_(std::make_unique<BuiltinProvider>(std::move(profilePath))),
      buffers_(std::make_unique<ResultBuffers>()) {
    BuiltinProvider* builtin = builtin_.get();
    addProvider(std::string(kBuiltinProviderModule),
                [builtin](ProviderRequest* request) { return builtin->command(request); });
}

bool DescriptionProviders::addProvider(std::string name, ProviderFunction entry, std::string path,
                                       std::shared_ptr<LoadedModule> library) {
    std::vector<char> buffer(SHELFMARK_QUERY_BUFFER_SIZE, '\0');
    ProviderRequest request{};
    request.command = SHELFMARK_COMMAND_QUERY;
    request.extensionIndex = SHELFMARK_NO_EXTENSION;
    request.u.query.buffer = buffer.data();
    request.u.query.bufferSize = static_cast<uint32_t>(buffer.size());
    if (!entry(&request))
        return false;
    buffer.back() = '\0';  // a provider that filled the whole buffer still ends here
    const std::vector<std::string> extensions = Split(buffer.data(), ".");

    const size_t module = modules_.size();
    modules_.push_back({std::move(name), std::move(path), std::move(entry), std::move(library)});
    for (size_t i = 0; i < extensions.size() && i < SHELFMARK_NO_EXTENSION; ++i)
        rows_.push_back({module, static_cast<uint16_t>(i), extensions[i], false});
    return true;
}

size_t DescriptionProviders::loadPlugin(const std::string& path, std::string name) {
    std::optional<LoadedModule> module = LoadedModule::open(path);
    if (!module)
        return 0;
    auto* function = reinterpret_cast<HVSMPluginCommandFunction>(module->symbol(kPluginEntryName));
    if (!function)
        return 0;
    const size_t before = rows_.size();
    auto library = std::make_shared<LoadedModule>(std::move(*module));
    if (!addProvider(std::move(name), function, path, std::move(library)))
        return 0;
    return rows_.size() - before;
}

size_t DescriptionProviders::discoverPlugins(const std::vector<std::string>& directories) {
    std::set<std::string> seen;
    for (const ProviderModule& module : modules_)
        seen.insert(module.name);
    size_t added = 0;
    for (const std::string& directory : directories)
        for (const std::string& name : PluginFileNames(directory))
            if (seen.insert(name).second && loadPlugin(directory + "/" + name, name) > 0)
                ++added;
    return added;
}

void DescriptionProviders::setActive(size_t row, bool active) {
    if (row < rows_.size())
        rows_[row].active = active;
}

std::vector<std::string> DescriptionProviders::pluginModuleNames() const {
    std::vector<std::string> names;
    for (const ProviderModule& module : modules_)
        if (!module.path.empty())
            names.push_back(module.name);
    return names;
}

void DescriptionProviders::applySelection(const ReadOptions& options) {
    for (DescriptionProvider& row : rows_) {
        const ProviderSelection* selection = options.findProvider(modules_[row.module].name);
        row.active = selection && ParseIndexes(selection->indexes).count(row.extensionIndex) > 0;
    }
    rebuildMap();
}

void DescriptionProviders::storeSelection(ReadOptions& options) const {
    for (size_t module = 0; module < modules_.size(); ++module) {
        std::string indexes;
        for (const DescriptionProvider& row : rows_) {
            if (row.module != module || !row.active)
                continue;
            if (!indexes.empty())
                indexes += ",";
            indexes += std::to_string(row.extensionIndex);
        }
        options.setProvider(modules_[module].name, indexes);
    }
}

void DescriptionProviders::activateExtensions(std::string_view list) {
    const bool all = list == "all";
    const std::vector<std::string> wanted = Split(list, ",.");
    for (DescriptionProvider& row : rows_)
        row.active = all || std::find(wanted.begin(), wanted.end(), row.extension) != wanted.end();
    rebuildMap();
}

void DescriptionProviders::rebuildMap() {
    map_.clear();
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].active)
            map_[rows_[i].extension] = i;
}

const DescriptionProvider* DescriptionProviders::providerFor(std::string_view extension) const {
    const auto found = map_.find(extension);
    return found == map_.end() ? nullptr : &rows_[found->second];
}

ProviderRequest DescriptionProviders::requestFor(const DescriptionProvider& row,
                                                 uint16_t command) const {
    ProviderRequest request{};
    request.command = command;
    request.extensionIndex =
        command == SHELFMARK_COMMAND_ABOUT ? SHELFMARK_NO_EXTENSION : row.extensionIndex;
    return request;
}

std::optional<uint16_t> DescriptionProviders::capabilities(const DescriptionProvider& row) {
    ProviderRequest request = requestFor(row, SHELFMARK_COMMAND_CAPABILITIES);
    if (!modules_[row.module].entry(&request))
        return std::nullopt;
    return request.u.capabilities.flags;
}

bool DescriptionProviders::configure(const DescriptionProvider& row) {
    ProviderRequest request = requestFor(row, SHELFMARK_COMMAND_CONFIGURE);
    return modules_[row.module].entry(&request) != 0;
}

bool DescriptionProviders::about(const DescriptionProvider& row) {
    ProviderRequest request = requestFor(row, SHELFMARK_COMMAND_ABOUT);
    return modules_[row.module].entry(&request) != 0;
}

void DescriptionProviders::setTextSizeMax(uint32_t kilobytes) {
    buffers_ = std::make_unique<ResultBuffers>(kilobytes);
}

ProviderAnswer DescriptionProviders::describe(const DescriptionProvider& row,
                                              const std::string& path, uint32_t thumbnailEdge) {
    ProviderRequest request = requestFor(row, SHELFMARK_COMMAND_DESCRIBE);
    request.u.describe.layout = SHELFMARK_DESCRIBE_LAYOUT;
    request.u.describe.path = path.c_str();
    request.u.describe.thumbnailEdge = thumbnailEdge;
    buffers_->prepare(request);

    ProviderAnswer answer;
    answer.answered = modules_[row.module].entry(&request) != 0;
    if (answer.answered)
        answer.results = buffers_->collect(request);
    // An image is taken over (and released) even when the provider answered 0.
    std::optional<Bitmap> bitmap = TakeProviderImage(request.u.describe.bitmap);
    if (answer.answered)
        answer.bitmap = std::move(bitmap);
    return answer;
}

}  // namespace shelfmark
