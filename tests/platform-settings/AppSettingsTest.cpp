#include "platform/settings/AppSettings.h"

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::TempDir;
using testing::WriteFile;

TEST(AppSettings, DefaultsOfAnEmptyStore) {
    TempDir dir;
    const SettingsStore store((dir / "settings.ini").string());
    const AppSettings s = AppSettings::Load(store);
    EXPECT_EQ(s.MRUCount, 4);
    EXPECT_EQ(s.LanguageFile, "");
    EXPECT_TRUE(s.bSaveWindowSettings);
    EXPECT_FALSE(s.bEqualizeMediaTypes);
    EXPECT_FALSE(s.bShowDescription);
    EXPECT_TRUE(s.bShowDirectorySizes);
    EXPECT_TRUE(s.bAddDiskOnInsert);
    EXPECT_FALSE(s.bShowByteSizes);
    EXPECT_FALSE(s.bShowFullPath);
    EXPECT_TRUE(s.bAddShortcutTo);
    EXPECT_FALSE(s.bAutoSaveAddedDisk);
    EXPECT_TRUE(s.bShowDescriptionOverlay);
    EXPECT_TRUE(s.bShowTypespecificIcons);
    EXPECT_FALSE(s.bShowThumbnails);
    EXPECT_FALSE(s.bJumpToNewDisk);
    EXPECT_FALSE(s.bSaveFolderStates);
    EXPECT_FALSE(s.bDisableAutorun);
    EXPECT_FALSE(s.bShowTreeDiskID);
    EXPECT_TRUE(s.bShowItemColors);
    EXPECT_EQ(s.TextSizeMax, 16);
    EXPECT_TRUE(s.bProportionalThumbnails);
    EXPECT_EQ(s.ThumbnailSize, 64);
    EXPECT_TRUE(s.bOpenLastFile);
    EXPECT_EQ(s.StartMode, static_cast<int32_t>(StartAction::OpenLastDatabase));
    EXPECT_EQ(s.LastFile, "");
    EXPECT_EQ(s.GdiplusHint, 0);
    EXPECT_EQ(s.OpenDirectory, "");
    EXPECT_EQ(s.SaveDirectory, "");
    EXPECT_EQ(s, AppSettings());
}

TEST(AppSettings, StartModeDefaultsToOpenLastFile) {
    TempDir dir;
    const std::string path = (dir / "settings.ini").string();
    WriteFile(path, "[Settings]\r\nbOpenLastFile=0\r\n");
    EXPECT_EQ(AppSettings::Load(SettingsStore(path)).StartMode, 0);
    WriteFile(path, "[Settings]\r\nbOpenLastFile=0\r\nStartMode=2\r\n");
    EXPECT_EQ(AppSettings::Load(SettingsStore(path)).StartMode, 2);
}

TEST(AppSettings, ThumbnailSizeIsRoundedAndClamped) {
    EXPECT_EQ(NormalizeThumbnailSize(100), 96);
    EXPECT_EQ(NormalizeThumbnailSize(20), 32);
    EXPECT_EQ(NormalizeThumbnailSize(200), 128);
    EXPECT_EQ(NormalizeThumbnailSize(64), 64);
    EXPECT_EQ(NormalizeThumbnailSize(127), 96);
    EXPECT_EQ(NormalizeThumbnailSize(-40), 32);
    TempDir dir;
    const std::string path = (dir / "settings.ini").string();
    WriteFile(path, "[Settings]\r\nThumbnailSize=100\r\n");
    EXPECT_EQ(AppSettings::Load(SettingsStore(path)).ThumbnailSize, 96);
}

TEST(AppSettings, SavedAsAWholeAndReadBack) {
    TempDir dir;
    const std::string path = (dir / "settings.ini").string();
    AppSettings changed;
    changed.MRUCount = 8;
    changed.LanguageFile = "Deutsch.lng";
    changed.bShowByteSizes = true;
    changed.bShowItemColors = false;
    changed.StartMode = 2;
    changed.LastFile = "/data/Discs.tkd";
    changed.GdiplusHint = 2;
    {
        SettingsStore store(path);
        changed.save(store);
        ASSERT_TRUE(store.save());
        EXPECT_EQ(store.valueNames(kSettingsSubKey).size(), 28u);
    }
    EXPECT_EQ(AppSettings::Load(SettingsStore(path)), changed);
    const std::string text = testing::ReadFile(path);
    EXPECT_NE(text.find("\r\nbShowByteSizes=1\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nLanguageFile=Deutsch.lng\r\n"), std::string::npos);
}

TEST(WindowSettings, DefaultsAndRoundTrip) {
    TempDir dir;
    const std::string path = (dir / "settings.ini").string();
    WindowSettings w = WindowSettings::Load(SettingsStore(path));
    EXPECT_EQ(w.ClickMode, static_cast<int32_t>(ClickAction::DoubleClick));
    EXPECT_EQ(w.UnderlineMode, 0);
    EXPECT_TRUE(w.bMaximized);
    w.bMaximized = false;
    w.WindowPos = FormatWindowPos({-8, 10, 1024, 700});
    EXPECT_EQ(w.WindowPos, "-8/10-1024/700");
    {
        SettingsStore store(path);
        w.save(store);
    }
    const WindowSettings back = WindowSettings::Load(SettingsStore(path));
    EXPECT_EQ(back, w);
    WindowRect rect;
    ASSERT_TRUE(ParseWindowPos(back.WindowPos, rect));
    EXPECT_EQ(rect.left, -8);
    EXPECT_EQ(rect.top, 10);
    EXPECT_EQ(rect.right, 1024);
    EXPECT_EQ(rect.bottom, 700);
    EXPECT_FALSE(ParseWindowPos("1/2-3", rect));
    EXPECT_FALSE(ParseWindowPos("1/2-3/4x", rect));
    EXPECT_EQ(rect.left, -8);
}

}  // namespace
}  // namespace shelfmark
