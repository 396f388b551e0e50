#include "foundation/LanguageTexts.h"

#include <gtest/gtest.h>

#include <set>

#include "foundation/BuiltinTexts.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::TempDir;
using testing::WriteFile;

constexpr char kGermanHeader[] =
    "[FileInfo]\r\nLanguage=Deutsch\r\nProgram=Halvenmoor Shelfmark\r\nVersion=3.30.2004\r\n\r\n";

class LanguageTextsTest : public ::testing::Test {
  protected:
    std::string writeLanguage(std::string_view name, std::string_view content) {
        const std::string path = dir_ / std::string(name);
        WriteFile(path, content);
        return path;
    }
    TempDir dir_;
    LanguageTexts texts_;
};

TEST_F(LanguageTextsTest, BuiltInTextsWithoutLanguageFile) {
    std::string out;
    EXPECT_TRUE(texts_.textByNumber(out, 73, "Strings"));
    EXPECT_EQ(out, "Name");
    EXPECT_TRUE(texts_.selectSection());
    EXPECT_TRUE(texts_.textByNumber(out, 74));
    EXPECT_EQ(out, "Size");
    EXPECT_FALSE(texts_.textByNumber(out, 9999));
    EXPECT_EQ(out, "");
    EXPECT_EQ(texts_.text("Strings", 173), "Do you really want to cancel the process?");
}

TEST_F(LanguageTextsTest, QuotedMessagesAreBuiltIn) {
    EXPECT_EQ(texts_.text("Strings", 131), "Save changes to %1?");
    EXPECT_EQ(texts_.text("Strings", 96),
              "This program requires Microsoft Internet Explorer version %d.%02d or later.\n\nSee "
              "the Readme file "
              "for more information.");
    EXPECT_EQ(texts_.text("Strings", 146),
              "You changed disc information.\nSumbit changes to CDDB?");
    EXPECT_EQ(texts_.text("Strings", 209), "|All Files (*.*)|*.*|");
    EXPECT_EQ(texts_.text("Strings", 174), "%d item(s) found.");
    EXPECT_FALSE(texts_.text("Strings", 81).empty());
    EXPECT_EQ(texts_.text("Dlg_CDDB", 7), "Submit &New");
    EXPECT_EQ(texts_.text("dlg_common", 1), "Cancel");
}

TEST_F(LanguageTextsTest, LanguageFileOverridesAndFallsBack) {
    const std::string path = writeLanguage(
        "Deutsch.lng",
        std::string(kGermanHeader) +
            "[Strings]\r\n73=Name (de)\r\n74=\r\n160=Zeile eins\\nZeile zwei\\tTab\r\n\r\n"
            "[Dlg_Search]\r\n1=Suchen\r\n\r\n");
    ASSERT_TRUE(texts_.loadLanguage(path));
    EXPECT_EQ(texts_.languagePath(), path);
    EXPECT_EQ(texts_.fileInfo("Language"), "Deutsch");
    std::string out;
    EXPECT_TRUE(texts_.textByNumber(out, 73, "Strings"));
    EXPECT_EQ(out, "Name (de)");
    // An empty value falls back to the built-in text.
    EXPECT_EQ(texts_.text("Strings", 74), "Size");
    // A missing key too.
    EXPECT_EQ(texts_.text("Strings", 76), "Modified");
    EXPECT_EQ(texts_.text("Strings", 160), "Zeile eins\nZeile zwei\tTab");
    // Section and key names match case-insensitively.
    EXPECT_EQ(texts_.text("STRINGS", 73), "Name (de)");
    EXPECT_TRUE(texts_.selectSection("dlg_search"));
    EXPECT_TRUE(texts_.text(out, "1"));
    EXPECT_EQ(out, "Suchen");
    EXPECT_FALSE(texts_.selectSection("Dlg_Nothing"));
    EXPECT_TRUE(texts_.selectSection());
    EXPECT_EQ(texts_.currentSection(), "");
}

TEST_F(LanguageTextsTest, FileWithoutProgramIsRejected) {
    const std::string path = writeLanguage(
        "Bad.lng", "[FileInfo]\r\nLanguage=Deutsch\r\n\r\n[Strings]\r\n73=Name (de)\r\n");
    EXPECT_FALSE(texts_.loadLanguage(path));
    EXPECT_EQ(texts_.languagePath(), "");
    EXPECT_EQ(texts_.text("Strings", 73), "Name");
}

TEST_F(LanguageTextsTest, ProgramIsComparedWithoutCaseAndLanguageIsRequired) {
    const std::string lower = writeLanguage(
        "Lower.lng", "[FileInfo]\nLanguage=X\nProgram=HALVENMOOR shelfmark\n[Strings]\n73=N\n");
    EXPECT_TRUE(texts_.loadLanguage(lower));
    EXPECT_EQ(texts_.text("Strings", 73), "N");
    const std::string noLanguage =
        writeLanguage("NoLang.lng", "[FileInfo]\nProgram=Halvenmoor Shelfmark\n[Strings]\n73=N\n");
    EXPECT_FALSE(texts_.loadLanguage(noLanguage));
    EXPECT_EQ(texts_.text("Strings", 73), "Name");
    const std::string other = writeLanguage(
        "Other.lng", "[FileInfo]\nLanguage=X\nProgram=Halvenmoor Shelfmark 2\n[Strings]\n73=N\n");
    EXPECT_FALSE(texts_.loadLanguage(other));
    EXPECT_FALSE(texts_.loadLanguage((dir_ / "missing.lng").string()));
    EXPECT_EQ(texts_.text("Strings", 73), "Name");
}

TEST_F(LanguageTextsTest, RejectedFileIsLeftUntouched) {
    const std::string content = "[FileInfo]\nLanguage=X\n";
    const std::string path = writeLanguage("Untouched.lng", content);
    EXPECT_FALSE(texts_.loadLanguage(path));
    texts_.unloadLanguage();
    EXPECT_EQ(testing::ReadFile(path), content);
}

TEST_F(LanguageTextsTest, BareNameIsLookedForInTheConfigurationDirectory) {
    testing::ScopedConfigHome home;
    WriteFile(home.configDir() / "Mine.lng",
              std::string(kGermanHeader) + "[Strings]\r\n73=Mein Name\r\n");
    EXPECT_TRUE(texts_.loadLanguage("Mine.lng"));
    EXPECT_EQ(texts_.text("Strings", 73), "Mein Name");
    EXPECT_EQ(FindLanguageFile("Mine.lng"), (home.configDir() / "Mine.lng").string());
    EXPECT_EQ(FindLanguageFile("Nothing.lng"), "");
}

TEST_F(LanguageTextsTest, PromptTexts) {
    EXPECT_EQ(texts_.promptText(PromptId::ReadDisk),
              "Adds the directory structure of a disk to the active database.\nRead Disk (Ctrl+H)");
    const std::string path =
        writeLanguage("P.lng", std::string(kGermanHeader) +
                                   "[Strings]\r\n1=Liest eine Disk ein.\\nDisk lesen\r\n"
                                   "31=Einstellungen\r\n");
    ASSERT_TRUE(texts_.loadLanguage(path));
    EXPECT_EQ(texts_.promptText(PromptId::ReadDisk), "Liest eine Disk ein.\nDisk lesen");
    // Key 31 serves two identifiers.
    EXPECT_EQ(texts_.promptText(PromptId::Settings), "Einstellungen");
    EXPECT_EQ(texts_.promptText(PromptId::TraySettings), "Einstellungen");
    // Not translated: the built-in prompt.
    EXPECT_EQ(texts_.promptText(PromptId::Delete),
              "Deletes the selected entry from the database.\nDelete (Del)");
    // An identifier missing from the installed table gets its built-in text.
    const PromptKey only[] = {{PromptId::Delete, 1}};
    texts_.setPromptKeys(only);
    EXPECT_EQ(texts_.promptText(PromptId::Delete), "Liest eine Disk ein.\nDisk lesen");
    EXPECT_EQ(texts_.promptText(PromptId::ReadDisk),
              "Adds the directory structure of a disk to the active database.\nRead Disk (Ctrl+H)");
}

TEST(PromptTable, HoldsTheFixedRowsAnd72PairsFor71KeysThenOursFrom1000) {
    const auto keys = DefaultPromptKeys();
    ASSERT_EQ(keys.size(), 75u);
    std::set<int> distinct;
    std::set<PromptId> ids;
    std::set<int> ours;
    for (const PromptKey& row : keys) {
        // The program's own commands take keys from 1000 up, clear of the fixed table.
        if (row.key >= 1000) {
            ours.insert(row.key);
            continue;
        }
        distinct.insert(row.key);
        ids.insert(row.id);
    }
    EXPECT_EQ(ours, (std::set<int>{1000, 1001, 1002}));
    EXPECT_EQ(distinct.size(), 71u);
    EXPECT_EQ(ids.size(), 72u);
    const std::set<int> listed = {
        0,   1,   3,   4,   5,   6,   8,   9,   11,  20,  23,  31,  34,  36,  38,  39,  47,  48,
        49,  50,  51,  53,  54,  55,  56,  57,  58,  59,  60,  61,  62,  63,  64,  65,  66,  67,
        68,  69,  70,  71,  100, 101, 107, 108, 109, 110, 111, 112, 113, 153, 161, 167, 168, 182,
        184, 186, 191, 195, 200, 203, 207, 210, 213, 215, 216, 239, 240, 241, 243, 244, 246};
    EXPECT_EQ(distinct, listed);
    const std::pair<int, std::string_view> fixed[] = {
        {1, "Adds the directory structure of a disk to the active database."},
        {3, "Deletes the selected entry from the database."},
        {4, "Searches in the active database for a string."},
        {9, "Shows a list of all available disks in the database."},
        {11, "Shows the contents of the selected item."},
        {100, "Select the folder, in which the search shall start."},
        {101, "Select the folder, in which the disk shall be inserted."},
        {167, "Queries CD information from discora."},
        {207, "Searches in the active database for duplicate files."},
        {240, "Protects sub-items of the selected item(s) with a password."},
        {241, "Unlocks the selected item(s) and/ or removes password protection."},
    };
    for (const auto& [key, text] : fixed) {
        const std::string_view builtIn = FindBuiltinText("Strings", key);
        EXPECT_EQ(builtIn.substr(0, builtIn.find('\n')), text) << key;
    }
    // Prompt keys never collide with message keys.
    for (const BuiltinText& entry : BuiltinTexts()) {
        if (entry.section == "Strings") {
            EXPECT_EQ(distinct.count(entry.key), 0u) << entry.key;
        }
    }
}

TEST(BuiltinTexts, NoDuplicateEntries) {
    std::set<std::pair<std::string, int>> seen;
    for (const BuiltinText& entry : BuiltinTexts()) {
        EXPECT_TRUE(seen.emplace(std::string(entry.section), entry.key).second)
            << entry.section << " " << entry.key;
        EXPECT_FALSE(entry.text.empty());
    }
}

TEST(LanguageTextsGlobal, StrUsesTheProcessInstance) {
    EXPECT_EQ(Str(26), "File");
    EXPECT_EQ(ItemCountText(), "%d item(s)");
    EXPECT_EQ(ResolveEscapes("a\\nb\\tc\\\\x\\"), "a\nb\tc\\\\x\\");
}

}  // namespace
}  // namespace shelfmark

namespace shelfmark {
namespace {

TEST(LanguageFiles, ListsAcceptableFilesOfTheConfigurationDirectory) {
    testing::ScopedConfigHome home;
    const auto dir = home.configDir();
    testing::WriteFile(
        dir / "Zulu.lng",
        "[FileInfo]\nLanguage=Zulu\nProgram=Halvenmoor Shelfmark\nVersion=3.30.2004\n"
        "Author=A\nAuthor_Email=a@example.org\n");
    testing::WriteFile(dir / "alpha.LNG",
                       "[FileInfo]\nLanguage=Alpha\nProgram=halvenmoor shelfmark\nVersion=3.29\n");
    testing::WriteFile(dir / "Other.lng", "[FileInfo]\nLanguage=Other\nProgram=Something else\n");
    testing::WriteFile(dir / "notes.txt", "[FileInfo]\nLanguage=X\nProgram=Halvenmoor Shelfmark\n");
    std::vector<LanguageFileInfo> mine;
    for (LanguageFileInfo& info : ListLanguageFiles())
        if (info.path.rfind(dir.string(), 0) == 0)
            mine.push_back(std::move(info));
    ASSERT_EQ(mine.size(), 2u);
    EXPECT_EQ(mine[0].fileName, "alpha.LNG");
    EXPECT_EQ(mine[0].language, "Alpha");
    EXPECT_EQ(mine[1].fileName, "Zulu.lng");
    EXPECT_EQ(mine[1].author, "A");
    EXPECT_EQ(mine[1].authorEmail, "a@example.org");
    EXPECT_TRUE(LanguageVersionMatches(mine[1].version));
    EXPECT_FALSE(LanguageVersionMatches(mine[0].version));
    // Case-sensitive, and only the first 15 characters count.
    EXPECT_FALSE(LanguageVersionMatches("3.30.2004a"));
    EXPECT_FALSE(LanguageVersionMatches(""));
    EXPECT_FALSE(LanguageVersionMatches("3.30.2004      x"));
}

}  // namespace
}  // namespace shelfmark
