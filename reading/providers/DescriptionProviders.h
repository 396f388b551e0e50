// The table of description providers a read uses: one row per (provider, extension) pair, the
// built-in provider's rows first and then those of every plug-in found, in the order found;
// which rows are active; and the extension-to-provider map the read looks files up in.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/modules/LoadedModule.h"
#include "plugins/include/shelfmark_plugin.h"
#include "reading/imaging/Bitmap.h"
#include "reading/profiles/ReadOptions.h"
#include "reading/providers/BuiltinProvider.h"
#include "reading/providers/ProviderResults.h"

namespace shelfmark {

// The entry function of a provider: the built-in one or a plug-in's HVSMPluginCommand.
using ProviderFunction = std::function<int(ProviderRequest*)>;

inline constexpr const char* kPluginEntryName = "HVSMPluginCommand";
// Folders to search for plug-ins before the installed ones, separated by ":".
inline constexpr const char* kPluginPathVariable = "SHELFMARK_PLUGIN_PATH";

struct ProviderModule {
    std::string name;  // "Shelfmark.exe" for the built-in provider, else the plug-in's file name
    std::string path;  // empty for the built-in provider
    ProviderFunction entry;
    std::shared_ptr<LoadedModule> library;  // keeps a plug-in loaded while its rows exist
};

struct DescriptionProvider {
    size_t module = 0;            // index into modules()
    uint16_t extensionIndex = 0;  // the extension's position in its provider's list
    std::string extension;
    bool active = false;
};

// What a provider gave for one file.
struct ProviderAnswer {
    bool answered = false;  // the provider answered nonzero
    std::vector<ProviderResult> results;
    std::optional<Bitmap> bitmap;
};

// The provider's name for people: "built-in" for the built-in provider (profiles keep storing
// it under its module name), the plug-in's file name otherwise.
std::string ProviderDisplayName(const ProviderModule& module);

// The folders plug-ins are looked for in, in this order: those of SHELFMARK_PLUGIN_PATH, the
// installed plug-in folder lib/shelfmark/plugins (below the running program's installation, then
// below the configured prefix), and "plugins" in the configuration directory.
std::vector<std::string> PluginDirectories();

// The plug-in files of a folder ("hvsm_*.so"), sorted by name.
std::vector<std::string> PluginFileNames(const std::string& directory);

class DescriptionProviders {
  public:
    // `profilePath` is the read profile file the built-in provider takes its MP3 options from
    // (default: "ReadDiskDlg.tkp" in the configuration directory). The built-in provider's rows
    // are added at once.
    explicit DescriptionProviders(std::string profilePath = {});
    DescriptionProviders(const DescriptionProviders&) = delete;
    DescriptionProviders& operator=(const DescriptionProviders&) = delete;

    // Loads every "hvsm_*.so" in the folders (by name within a folder; a file name already
    // loaded from an earlier folder is skipped). A file that does not load, lacks
    // HVSMPluginCommand or answers 0 to the query adds no rows and is let go at once. Returns
    // the number of plug-ins that added rows.
    size_t discoverPlugins(const std::vector<std::string>& directories);

    // Loads one plug-in file as discovery does and adds its rows under `name`; the number of
    // rows added (0 when it does not load, lacks the entry or answers 0 to the query).
    size_t loadPlugin(const std::string& path, std::string name);

    // Sends the query to a provider and adds one row per extension it names. False when it
    // answers 0. Discovery uses it; so do tests with providers of their own.
    bool addProvider(std::string name, ProviderFunction entry, std::string path = {},
                     std::shared_ptr<LoadedModule> library = nullptr);

    BuiltinProvider& builtin() { return *builtin_; }
    const std::vector<ProviderModule>& modules() const { return modules_; }
    const std::vector<DescriptionProvider>& rows() const { return rows_; }
    void setActive(size_t row, bool active);
    // The plug-ins' module names, as the read profile's keys need them.
    std::vector<std::string> pluginModuleNames() const;

    // Ticks the rows the profile keys name (a list of indexes "0,4" per module name; the
    // built-in provider's key is "Shelfmark.exe") and clears the others; then rebuilds the map.
    void applySelection(const ReadOptions& options);
    // Writes the ticked rows back into the profile keys of every module.
    void storeSelection(ReadOptions& options) const;
    // Ticks rows by extension ("all", or a list like "cda,mp3" separated by "," or "."); rows
    // of other extensions are cleared. Then rebuilds the map.
    void activateExtensions(std::string_view list);

    // Clears the map, then every active row in table order sets map[extension] = row, so a later
    // row for the same extension replaces an earlier one.
    void rebuildMap();
    // The row for an extension (exact comparison; the read passes it lower-cased), or null.
    const DescriptionProvider* providerFor(std::string_view extension) const;

    // Command 2 for a row: the answer flags, or nothing when the provider answers 0.
    std::optional<uint16_t> capabilities(const DescriptionProvider& row);
    // Commands 3 and 5 for a row's provider.
    bool configure(const DescriptionProvider& row);
    bool about(const DescriptionProvider& row);

    // The text size limit of results, in KB (TextSizeMax); the buffers are made anew.
    void setTextSizeMax(uint32_t kilobytes);
    // Command 4: describes one file with the row's provider. Results are checked (see
    // ResultBuffers::collect) and a returned image is taken over and released.
    ProviderAnswer describe(const DescriptionProvider& row, const std::string& path,
                            uint32_t thumbnailEdge);

  private:
    ProviderRequest requestFor(const DescriptionProvider& row, uint16_t command) const;

    std::unique_ptr<BuiltinProvider> builtin_;
    std::vector<ProviderModule> modules_;
    std::vector<DescriptionProvider> rows_;
    std::map<std::string, size_t, std::less<>> map_;
    std::unique_ptr<ResultBuffers> buffers_;
};

}  // namespace shelfmark
