#include "lists/ItemListProfile.h"

#include <gtest/gtest.h>

#include <utility>

#include "foundation/ProfileFile.h"
#include "lists/FilenameFormat.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

std::vector<std::string> Pieces(std::string_view format, std::string_view source) {
    const FormatPieces pieces = CutFormatPieces(SplitFilenameFormat(format), source);
    return {std::string(pieces[1]), std::string(pieces[2]), std::string(pieces[3])};
}

TEST(FilenameFormat, SplitsIntoSeparatorsAndVariables) {
    const SplitFormat split = SplitFilenameFormat("[%1] %2 - %1%");
    EXPECT_EQ(split.separators, (std::vector<std::string>{"[", "] ", " - ", "%"}));
    EXPECT_EQ(split.variables, (std::vector<char>{'1', '2', '1'}));
    EXPECT_FALSE(SplitFilenameFormat("no variables %").hasVariables());
    EXPECT_EQ(SplitFilenameFormat("%a").separators, (std::vector<std::string>{"%a"}));
}

TEST(FilenameFormat, CutsNamesAsTheExamplesSay) {
    EXPECT_EQ(Pieces("%1 - %2", "Artist - Title"), (std::vector<std::string>{"Artist", "Title", ""}));
    // The separator is missing: everything goes to %1.
    EXPECT_EQ(Pieces("%1 - %2", "Title only"), (std::vector<std::string>{"Title only", "", ""}));
    // A leading literal that the name lacks: nothing is cut.
    EXPECT_EQ(Pieces("[%1] %2", "Artist - Title"), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(Pieces("[%1] %2", "[01] Song"), (std::vector<std::string>{"01", "Song", ""}));
    // Only the first occurrence of a separator splits; the rest goes on.
    EXPECT_EQ(Pieces("%1-%2-%3", "a-b-c-d"), (std::vector<std::string>{"a", "b", "c-d"}));
    // An empty separator between two variables gives the whole rest to the first one.
    EXPECT_EQ(Pieces("%1%2", "abc"), (std::vector<std::string>{"abc", "", ""}));
    // A variable no column shows still consumes its text (%3 here takes the middle).
    const FormatPieces pieces = CutFormatPieces(SplitFilenameFormat("%1_%3_%2"), "x_y_z");
    EXPECT_EQ(pieces[1], "x");
    EXPECT_EQ(pieces[3], "y");
    EXPECT_EQ(pieces[2], "z");
}

TEST(FilenameFormat, ValidatesVariables) {
    EXPECT_TRUE(FilenameFormatValid("%1 - %2"));
    EXPECT_TRUE(FilenameFormatValid("ends in %"));
    EXPECT_TRUE(FilenameFormatValid("%1%"));
    EXPECT_TRUE(FilenameFormatValid(""));
    EXPECT_FALSE(FilenameFormatValid("%a"));
    EXPECT_FALSE(FilenameFormatValid("100%% sure"));
}

TEST(ItemListProfile, SavesKeysInOrderAndReadsThemBack) {
    ProfileFile file;
    ItemListProfile profile;
    profile.name = "Songs";
    profile.format = "%1 - %2";
    profile.files = true;
    profile.maxListingDepth = 3;
    profile.extensions = {"mp3", "ogg"};
    profile.columns = {{"Artist", '1', ColumnAlignment::Left, 120}, {"Size", 0x01, ColumnAlignment::Right, 75}};
    SaveItemListProfile(file, profile);
    std::vector<std::string> keys;
    for (const auto& entry : std::as_const(file).findSection("songs")->entries)
        keys.push_back(entry.first);
    EXPECT_EQ(keys, (std::vector<std::string>{"Format", "ParseMode", "bFiles", "bDirectories", "bFolders", "bDisks",
                                              "MaxListingDepth", "ExtensionsCount", "Extension0", "Extension1",
                                              "ColumnsCount", "Column0Name", "Column0Value", "Column0Alignment",
                                              "Column0Width", "Column1Name", "Column1Value", "Column1Alignment",
                                              "Column1Width"}));
    EXPECT_EQ(file.getString("Songs", "Column0Value"), "49");

    const std::optional<ItemListProfile> back = LoadItemListProfile(file, "SONGS");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->name, "Songs");
    EXPECT_EQ(back->format, "%1 - %2");
    EXPECT_TRUE(back->files);
    EXPECT_FALSE(back->disks);
    EXPECT_EQ(back->maxListingDepth, 3);
    EXPECT_EQ(back->extensions, profile.extensions);
    ASSERT_EQ(back->columns.size(), 2u);
    EXPECT_EQ(back->columns[1].title, "Size");
    EXPECT_EQ(back->columns[1].alignment, ColumnAlignment::Right);
    EXPECT_EQ(back->columns[1].width, 75);
    EXPECT_FALSE(LoadItemListProfile(file, "Other"));
}

TEST(ItemListProfile, DefaultsAndLimitsOfDamagedSections) {
    ProfileFile file;
    file.loadFromText("[Odd]\nMaxListingDepth=0\nColumnsCount=2000000000\nColumn0Width=5000\n"
                      "Column0Alignment=7\nExtensionsCount=-3\n[Empty]\n");
    const std::optional<ItemListProfile> odd = LoadItemListProfile(file, "Odd");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->maxListingDepth, 1);
    // The count is bounded by what the section can hold, so the reader does not spin.
    EXPECT_LE(odd->columns.size(), 5u);
    EXPECT_EQ(odd->columns[0].width, 999);
    EXPECT_EQ(odd->columns[0].alignment, ColumnAlignment::Left);
    EXPECT_TRUE(odd->extensions.empty());
    const std::optional<ItemListProfile> empty = LoadItemListProfile(file, "Empty");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->maxListingDepth, 40);
    EXPECT_FALSE(empty->files || empty->directories || empty->folders || empty->disks);
}

TEST(ItemListProfile, ConvertsTheOldColumnForm) {
    ProfileFile file;
    file.loadFromText("[Old]\nFormat=%1\nColumnCount=3\nColumn0Name=Size\nColumn0Info=s:1:80\n"
                      "Column1Name=Piece\nColumn1Info=1:0:60\nColumn2Name=Plain\nColumn2Info=\n"
                      "[New]\nColumnsCount=0\n");
    EXPECT_TRUE(ConvertOldItemListSections(file));
    EXPECT_FALSE(file.find("Old", "ColumnCount"));
    EXPECT_FALSE(file.find("Old", "Column0Info"));
    EXPECT_EQ(file.getInt("Old", "ColumnsCount", -1), 3);
    EXPECT_EQ(file.getInt("Old", "Column0Value", -1), 1);
    EXPECT_EQ(file.getInt("Old", "Column0Alignment", -1), 1);
    EXPECT_EQ(file.getInt("Old", "Column0Width", -1), 80);
    EXPECT_EQ(file.getInt("Old", "Column1Value", -1), '1');
    // An empty Info leaves the column at value 0 (name), as a missing key reads.
    EXPECT_FALSE(file.find("Old", "Column2Value"));
    const std::optional<ItemListProfile> profile = LoadItemListProfile(file, "Old");
    ASSERT_TRUE(profile);
    ASSERT_EQ(profile->columns.size(), 3u);
    EXPECT_EQ(profile->columns[0].title, "Size");
    EXPECT_EQ(profile->columns[2].value, 0);
    // The names move behind the new keys: Name, Value, Alignment, Width per column.
    const auto& entries = std::as_const(file).findSection("Old")->entries;
    EXPECT_EQ(entries[1].first, "ColumnsCount");
    EXPECT_EQ(entries[2].first, "Column0Name");
    EXPECT_EQ(entries[3].first, "Column0Value");
    EXPECT_FALSE(ConvertOldItemListSections(file));
}

TEST(ItemListProfile, OldLettersMapToValues) {
    const std::pair<char, uint8_t> table[] = {{'a', 0x41}, {'c', 0x40}, {'d', 0x80}, {'h', 0x02}, {'i', 0x42},
                                              {'l', 0x82}, {'p', 0x04}, {'r', 0x4A}, {'s', 0x01}, {'t', 0x03},
                                              {'v', 0x81}, {'0', '0'}, {'9', '9'}, {'n', 0x00}, {'S', 0x00}};
    for (const auto& [letter, value] : table)
        EXPECT_EQ(OldFormColumnValue(letter), value) << letter;
}

TEST(ItemListProfile, ProblemsOfTheProfileDialog) {
    ItemListProfile profile;
    EXPECT_EQ(ItemListProfileProblem(profile), "Please fill out this field correctly.");
    profile.name = "x";
    profile.format = "%1 %x";
    EXPECT_EQ(ItemListProfileProblem(profile), "Filename format contains invalid variable.");
    profile.format = "%1 %";
    EXPECT_EQ(ItemListProfileProblem(profile), "");
}

TEST(ItemListProfile, ShippedProfilesAreCopiedForANewUser) {
    testing::ScopedConfigHome home;
    const std::vector<std::string> shippedFolders{(testing::SourceDir() / "lists").string()};
    const std::string path = UserItemListProfilePath(shippedFolders);
    EXPECT_EQ(path, (home.configDir() / "ItemList.tkp").string());
    EXPECT_EQ(testing::ReadFile(path), testing::ReadFile(testing::SourceDir() / "lists" / "ItemList.tkp"));
    // A user's own file is left alone.
    testing::WriteFile(path, "[Mine]\n");
    UserItemListProfilePath(shippedFolders);
    EXPECT_EQ(testing::ReadFile(path), "[Mine]\n");

    ProfileFile shipped(path);
    shipped.loadFromText(testing::ReadFile(testing::SourceDir() / "lists" / "ItemList.tkp"));
    EXPECT_EQ(ItemListProfileNames(shipped), (std::vector<std::string>{"Disk List", "All files", "MP3 files"}));
    const std::optional<ItemListProfile> mp3 = LoadItemListProfile(shipped, "MP3 files");
    ASSERT_TRUE(mp3);
    EXPECT_EQ(mp3->format, "%1 - %2");
    EXPECT_EQ(mp3->columns[0].title, "Artist");
    EXPECT_EQ(mp3->columns[0].value, '1');
    EXPECT_EQ(mp3->columns[1].value, '2');
    EXPECT_TRUE(LoadItemListProfile(shipped, "Disk List")->disks);
    shipped.clearPath();
}

}  // namespace
}  // namespace shelfmark
