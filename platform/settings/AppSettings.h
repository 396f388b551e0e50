// The general settings of the program (sub-key "Settings") and the main window's basic ones
// (sub-key "Settings\WindowSettings"), with their defaults, read and written as a whole.
#pragma once

#include <cstdint>
#include <string>

#include "platform/settings/SettingsStore.h"

namespace shelfmark {

// The values of StartMode.
enum class StartAction : int32_t {
    CreateEmptyDatabase = 0,
    OpenLastDatabase = 1,
    ShowOpenDialog = 2,
};

struct AppSettings {
    int32_t MRUCount = 4;
    std::string LanguageFile;
    bool bSaveWindowSettings = true;
    bool bEqualizeMediaTypes = false;
    bool bShowDescription = false;
    bool bShowDirectorySizes = true;
    bool bAddDiskOnInsert = true;
    bool bShowByteSizes = false;
    bool bShowFullPath = false;
    bool bAddShortcutTo = true;
    bool bAutoSaveAddedDisk = false;
    bool bShowDescriptionOverlay = true;
    bool bShowTypespecificIcons = true;
    bool bShowThumbnails = false;
    bool bJumpToNewDisk = false;
    bool bSaveFolderStates = false;
    bool bDisableAutorun = false;
    bool bShowTreeDiskID = false;
    bool bShowItemColors = true;
    int32_t TextSizeMax = 16;  // KB
    bool bProportionalThumbnails = true;
    int32_t ThumbnailSize = 64;  // pixels: a multiple of 32 from 32 to 128
    bool bOpenLastFile = true;
    int32_t StartMode = 1;  // a StartAction value; defaults to bOpenLastFile
    std::string LastFile;
    int32_t GdiplusHint = 0;  // 2: never show the thumbnail-support warning again
    std::string OpenDirectory;
    std::string SaveDirectory;

    // Missing values take their defaults; ThumbnailSize is brought into its range.
    static AppSettings Load(const SettingsStore& store);
    // Writes every value (the caller saves the store).
    void save(SettingsStore& store) const;

    bool operator==(const AppSettings&) const = default;
};

// Rounded down to a multiple of 32 and clamped to 32..128 (100 -> 96, 20 -> 32, 200 -> 128).
int32_t NormalizeThumbnailSize(int32_t size);

// The values of ClickMode and UnderlineMode.
enum class ClickAction : int32_t { SingleClick = 0, DoubleClick = 1 };
enum class UnderlineStyle : int32_t { AsInBrowser = 0, OnPointingOnly = 1 };

struct WindowSettings {
    int32_t ClickMode = 1;      // a ClickAction value
    int32_t UnderlineMode = 0;  // an UnderlineStyle value
    bool bMaximized = true;
    bool bAsWebPage = false;
    std::string WindowPos;  // "%d/%d-%d/%d": left/top-right/bottom; empty until first saved

    static WindowSettings Load(const SettingsStore& store);
    void save(SettingsStore& store) const;

    bool operator==(const WindowSettings&) const = default;
};

// The window rectangle of a WindowPos text; false when the text does not hold four numbers.
struct WindowRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
bool ParseWindowPos(std::string_view text, WindowRect& rect);
std::string FormatWindowPos(const WindowRect& rect);

}  // namespace shelfmark
