#include "platform/settings/AppSettings.h"

#include <algorithm>
#include <cstdio>

#include "foundation/StringFormat.h"

namespace shelfmark {

namespace {

// One table drives loading and saving, so the two never disagree about a name or a default.
template <typename Visitor>
void VisitGeneral(AppSettings& s, Visitor&& v) {
    v("MRUCount", s.MRUCount);
    v("LanguageFile", s.LanguageFile);
    v("bSaveWindowSettings", s.bSaveWindowSettings);
    v("bEqualizeMediaTypes", s.bEqualizeMediaTypes);
    v("bShowDescription", s.bShowDescription);
    v("bShowDirectorySizes", s.bShowDirectorySizes);
    v("bAddDiskOnInsert", s.bAddDiskOnInsert);
    v("bShowByteSizes", s.bShowByteSizes);
    v("bShowFullPath", s.bShowFullPath);
    v("bAddShortcutTo", s.bAddShortcutTo);
    v("bAutoSaveAddedDisk", s.bAutoSaveAddedDisk);
    v("bShowDescriptionOverlay", s.bShowDescriptionOverlay);
    v("bShowTypespecificIcons", s.bShowTypespecificIcons);
    v("bShowThumbnails", s.bShowThumbnails);
    v("bJumpToNewDisk", s.bJumpToNewDisk);
    v("bSaveFolderStates", s.bSaveFolderStates);
    v("bDisableAutorun", s.bDisableAutorun);
    v("bShowTreeDiskID", s.bShowTreeDiskID);
    v("bShowItemColors", s.bShowItemColors);
    v("TextSizeMax", s.TextSizeMax);
    v("bProportionalThumbnails", s.bProportionalThumbnails);
    v("ThumbnailSize", s.ThumbnailSize);
    v("bOpenLastFile", s.bOpenLastFile);
    v("StartMode", s.StartMode);
    v("LastFile", s.LastFile);
    v("GdiplusHint", s.GdiplusHint);
    v("OpenDirectory", s.OpenDirectory);
    v("SaveDirectory", s.SaveDirectory);
}

template <typename Visitor>
void VisitWindow(WindowSettings& s, Visitor&& v) {
    v("ClickMode", s.ClickMode);
    v("UnderlineMode", s.UnderlineMode);
    v("bMaximized", s.bMaximized);
    v("bAsWebPage", s.bAsWebPage);
    v("WindowPos", s.WindowPos);
}

// Reads each field with its current value as the default.
struct Reader {
    const SettingsStore& store;
    std::string_view subKey;
    void operator()(std::string_view name, int32_t& value) const {
        value = store.getInt(subKey, name, value);
    }
    void operator()(std::string_view name, bool& value) const {
        value = store.getBool(subKey, name, value);
    }
    void operator()(std::string_view name, std::string& value) const {
        value = store.getText(subKey, name, value);
    }
};

struct Writer {
    SettingsStore& store;
    std::string_view subKey;
    void operator()(std::string_view name, int32_t value) const {
        store.setInt(subKey, name, value);
    }
    void operator()(std::string_view name, bool value) const { store.setBool(subKey, name, value); }
    void operator()(std::string_view name, const std::string& value) const {
        store.setText(subKey, name, value);
    }
};

}  // namespace

int32_t NormalizeThumbnailSize(int32_t size) {
    const int32_t clamped = std::clamp(size, 32, 128);
    return clamped - clamped % 32;
}

AppSettings AppSettings::Load(const SettingsStore& store) {
    AppSettings settings;
    // StartMode's default is whatever bOpenLastFile says, so read that one first.
    settings.bOpenLastFile =
        store.getBool(kSettingsSubKey, "bOpenLastFile", settings.bOpenLastFile);
    settings.StartMode = settings.bOpenLastFile ? 1 : 0;
    VisitGeneral(settings, Reader{store, kSettingsSubKey});
    settings.ThumbnailSize = NormalizeThumbnailSize(settings.ThumbnailSize);
    return settings;
}

void AppSettings::save(SettingsStore& store) const {
    AppSettings copy = *this;
    VisitGeneral(copy, Writer{store, kSettingsSubKey});
}

WindowSettings WindowSettings::Load(const SettingsStore& store) {
    WindowSettings settings;
    VisitWindow(settings, Reader{store, kWindowSettingsSubKey});
    return settings;
}

void WindowSettings::save(SettingsStore& store) const {
    WindowSettings copy = *this;
    VisitWindow(copy, Writer{store, kWindowSettingsSubKey});
}

bool ParseWindowPos(std::string_view text, WindowRect& rect) {
    const std::string copy(text);
    WindowRect parsed;
    char tail = 0;
    if (std::sscanf(copy.c_str(), "%d/%d-%d/%d%c", &parsed.left, &parsed.top, &parsed.right,
                    &parsed.bottom, &tail) != 4)
        return false;
    rect = parsed;
    return true;
}

std::string FormatWindowPos(const WindowRect& rect) {
    return StringPrintf("%d/%d-%d/%d", rect.left, rect.top, rect.right, rect.bottom);
}

}  // namespace shelfmark
