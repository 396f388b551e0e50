#include "platform/settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(SettingsStore, MissingValuesReadAsDefaults) {
    TempDir dir;
    SettingsStore store((dir / "settings.ini").string());
    EXPECT_EQ(store.getInt(kSettingsSubKey, "MRUCount", 4), 4);
    EXPECT_EQ(store.getText(kSettingsSubKey, "LastFile", "none"), "none");
    EXPECT_FALSE(store.getBinary(kPasswordsSubKey, "x").has_value());
    EXPECT_FALSE(store.hasValue(kSettingsSubKey, "MRUCount"));
}

TEST(SettingsStore, ValuesSurviveASaveAsReadableText) {
    TempDir dir;
    const std::string path = (dir / "settings.ini").string();
    {
        SettingsStore store(path);
        EXPECT_TRUE(store.setInt(kSettingsSubKey, "MRUCount", 9));
        EXPECT_TRUE(store.setUInt(kCddbSubKey, "Port", 0xFFFFFFF0u));
        EXPECT_TRUE(store.setText(kSettingsSubKey, "LastFile", "/home/u/Discs.tkd"));
        const uint8_t key[] = {0x01, 0xAB, 0x00};
        EXPECT_TRUE(store.setBinary(kPasswordsSubKey, "A1B2", key));
        EXPECT_TRUE(store.hasPendingChanges());
        ASSERT_TRUE(store.save());
        EXPECT_FALSE(store.hasPendingChanges());
    }
    EXPECT_EQ(ReadFile(path),
              "[Settings]\r\nMRUCount=9\r\nLastFile=/home/u/Discs.tkd\r\n\r\n"
              "[Settings\\CDDB]\r\nPort=-16\r\n\r\n"
              "[Passwords]\r\nA1B2=01 AB 00 \r\n\r\n");
    SettingsStore again(path);
    EXPECT_EQ(again.getInt(kSettingsSubKey, "mrucount", 0), 9);
    EXPECT_EQ(again.getUInt(kCddbSubKey, "Port", 0), 0xFFFFFFF0u);
    EXPECT_EQ(again.getText(kSettingsSubKey, "LastFile"), "/home/u/Discs.tkd");
    EXPECT_EQ(again.getBinary(kPasswordsSubKey, "A1B2"), (std::vector<uint8_t>{0x01, 0xAB, 0x00}));
    EXPECT_EQ(again.subKeys(),
              (std::vector<std::string>{"Settings", "Settings\\CDDB", "Passwords"}));
    EXPECT_EQ(again.valueNames(kSettingsSubKey),
              (std::vector<std::string>{"MRUCount", "LastFile"}));
}

TEST(SettingsStore, NewFileIsPrivate) {
    TempDir dir;
    const std::string path = (dir / "settings.ini").string();
    SettingsStore store(path);
    store.setInt(kSettingsSubKey, "A", 1);
    ASSERT_TRUE(store.save());
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(SettingsStore, DestructionSavesPendingChanges) {
    TempDir dir;
    const std::string path = (dir / "settings.ini").string();
    { SettingsStore(path).setInt(kSettingsSubKey, "A", 5); }
    EXPECT_EQ(SettingsStore(path).getInt(kSettingsSubKey, "A", 0), 5);
}

TEST(SettingsStore, TextsWithLineBreaksCannotBreakTheFile) {
    TempDir dir;
    const std::string path = (dir / "settings.ini").string();
    const char raw[] = "one\r\n[Passwords]\r\nX=01 \\n\\\\ end\0!";
    const std::string tricky(raw, sizeof raw - 1);
    {
        SettingsStore store(path);
        ASSERT_TRUE(store.setText(kRecentSearchListSubKey, "0", tricky));
        ASSERT_TRUE(store.save());
    }
    SettingsStore again(path);
    EXPECT_EQ(again.getText(kRecentSearchListSubKey, "0"), tricky);
    EXPECT_EQ(again.subKeys(), (std::vector<std::string>{"Settings\\Recent Search List"}));
    EXPECT_FALSE(again.hasValue(kPasswordsSubKey, "X"));
}

TEST(SettingsStore, NamesTheFileCannotHoldAreRefused) {
    TempDir dir;
    SettingsStore store((dir / "settings.ini").string());
    EXPECT_FALSE(store.setInt(kSettingsSubKey, "a=b", 1));
    EXPECT_FALSE(store.setInt(kSettingsSubKey, "a\nb", 1));
    EXPECT_FALSE(store.setInt(kSettingsSubKey, "[x]", 1));
    EXPECT_FALSE(store.setInt(kSettingsSubKey, "", 1));
    EXPECT_FALSE(store.setText("Settings\r\n", "a", "b"));
    EXPECT_FALSE(store.hasPendingChanges());
}

TEST(SettingsStore, HandWrittenTextIsRead) {
    TempDir dir;
    const std::string path = (dir / "settings.ini").string();
    WriteFile(path,
              "[settings]\nMRUCount= "
              "7x\nLastFile=C:\\temp\\a.tkd\n[Settings\\WindowSettings]\nbMaximized=\n");
    SettingsStore store(path);
    EXPECT_EQ(store.getInt(kSettingsSubKey, "MRUCount", 4), 7);
    // An unknown escape stays as typed.
    EXPECT_EQ(store.getText(kSettingsSubKey, "LastFile"), "C:\\temp\\a.tkd");
    // An empty number takes the default.
    EXPECT_EQ(store.getInt(kWindowSettingsSubKey, "bMaximized", 1), 1);
}

TEST(SettingsStore, DeleteValueAndSubKeys) {
    TempDir dir;
    const std::string path = (dir / "settings.ini").string();
    {
        SettingsStore store(path);
        store.setInt(kSettingsSubKey, "A", 1);
        store.setInt(kSettingsSubKey, "B", 2);
        store.setInt(kWindowSettingsSubKey, "ClickMode", 0);
        store.setText(kCddbSubKey, "Email", "me@example.org");
        store.setText("SettingsOther", "K", "kept");
        store.setBinary(kPasswordsSubKey, "P", std::vector<uint8_t>{1});
        ASSERT_TRUE(store.save());
    }
    SettingsStore store(path);
    EXPECT_TRUE(store.deleteValue(kSettingsSubKey, "a"));
    EXPECT_FALSE(store.deleteValue(kSettingsSubKey, "a"));
    EXPECT_FALSE(store.hasValue(kSettingsSubKey, "A"));
    EXPECT_TRUE(store.deleteSubKey(kSettingsSubKey));
    EXPECT_FALSE(store.deleteSubKey(kSettingsSubKey));
    EXPECT_EQ(store.subKeys(), (std::vector<std::string>{"SettingsOther", "Passwords"}));
    ASSERT_TRUE(store.save());
    SettingsStore after(path);
    EXPECT_EQ(after.subKeys(), (std::vector<std::string>{"SettingsOther", "Passwords"}));
    EXPECT_EQ(after.getText("SettingsOther", "K"), "kept");
}

TEST(SettingsStore, DeleteAllRemovesTheFile) {
    TempDir dir;
    const std::string path = (dir / "settings.ini").string();
    SettingsStore store(path);
    store.setInt(kSettingsSubKey, "A", 1);
    ASSERT_TRUE(store.save());
    EXPECT_TRUE(store.deleteAll());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(store.hasValue(kSettingsSubKey, "A"));
    EXPECT_FALSE(store.hasPendingChanges());
}

TEST(SettingsStore, BareNameLiesInTheConfigurationDirectory) {
    testing::ScopedConfigHome home;
    std::filesystem::remove_all(home.configDir());
    SettingsStore store;
    EXPECT_EQ(store.path(), (home.configDir() / "settings.ini").string());
    store.setInt(kSettingsSubKey, "A", 1);
    // The configuration directory is created on the first save.
    ASSERT_TRUE(store.save());
    EXPECT_TRUE(std::filesystem::exists(home.configDir() / "settings.ini"));
}

TEST(SettingsStore, SaveFailureKeepsChangesPending) {
    TempDir dir;
    const std::string path = (dir / "missing-folder" / "settings.ini").string();
    SettingsStore store(path);
    store.setInt(kSettingsSubKey, "A", 1);
    EXPECT_FALSE(store.save());
    EXPECT_TRUE(store.hasPendingChanges());
    EXPECT_EQ(store.getInt(kSettingsSubKey, "A", 0), 1);
    std::filesystem::create_directory(dir / "missing-folder");
    EXPECT_TRUE(store.save());
    EXPECT_EQ(SettingsStore(path).getInt(kSettingsSubKey, "A", 0), 1);
}

TEST(SettingsStore, TwoStoresKeepEachOthersChanges) {
    TempDir dir;
    const std::string path = (dir / "settings.ini").string();
    SettingsStore first(path);
    SettingsStore second(path);
    first.setInt(kSettingsSubKey, "FromFirst", 1);
    second.setInt(kSettingsSubKey, "FromSecond", 2);
    second.setInt(kSettingsSubKey, "Both", 2);
    first.setInt(kSettingsSubKey, "Both", 1);
    ASSERT_TRUE(first.save());
    ASSERT_TRUE(second.save());
    SettingsStore after(path);
    EXPECT_EQ(after.getInt(kSettingsSubKey, "FromFirst", 0), 1);
    EXPECT_EQ(after.getInt(kSettingsSubKey, "FromSecond", 0), 2);
    // The last writer wins where both wrote.
    EXPECT_EQ(after.getInt(kSettingsSubKey, "Both", 0), 2);
    // The first store sees the second's values after its own next save or reload.
    EXPECT_TRUE(first.reload());
    EXPECT_EQ(first.getInt(kSettingsSubKey, "FromSecond", 0), 2);
}

TEST(SettingsStore, ProcessesWritingAtOnceLoseNothing) {
    TempDir dir;
    const std::string path = (dir / "settings.ini").string();
    constexpr int kProcesses = 4;
    constexpr int kRounds = 25;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool ok = true;
            for (int round = 0; round < kRounds; ++round) {
                SettingsStore store(path);
                store.setInt("Proc" + std::to_string(p), "R" + std::to_string(round), round);
                ok = store.save() && ok;
            }
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SettingsStore after(path);
    for (int p = 0; p < kProcesses; ++p)
        for (int round = 0; round < kRounds; ++round)
            EXPECT_EQ(after.getInt("Proc" + std::to_string(p), "R" + std::to_string(round), -1),
                      round);
    // No temporary file is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_TRUE(entry.path().filename() == "settings.ini" ||
                    entry.path().filename() == "settings.ini.lock")
            << entry.path();
}

TEST(SettingsText, EscapesRoundTrip) {
    const std::string samples[] = {
        "", "plain", "a\\b", "line\r\nbreak", std::string("nul\0x", 5), "\\n literal"};
    for (const std::string& sample : samples)
        EXPECT_EQ(UnescapeSettingText(EscapeSettingText(sample)), sample);
    EXPECT_EQ(EscapeSettingText("a\\b\n"), "a\\\\b\\n");
    EXPECT_EQ(UnescapeSettingText("trailing\\"), "trailing\\");
}

}  // namespace
}  // namespace shelfmark
