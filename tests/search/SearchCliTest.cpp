// search and dupes on a catalog read from a real directory.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::RunCommand;
using testing::ShellQuote;
using testing::WriteFile;

class SearchCli : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto tree = dir / "tree";
        std::filesystem::create_directories(tree / "Photos" / "2020");
        std::filesystem::create_directories(tree / "Backup");
        WriteFile(tree / "Photos" / "2020" / "Beach.JPG", std::string(3000, 'a'));
        WriteFile(tree / "Photos" / "notes.txt", "beach trip");
        WriteFile(tree / "Backup" / "beach.jpg", std::string(3000, 'a'));
        WriteFile(tree / "Backup" / "other.bin", std::string(10, 'b'));
        // One date for all, so that duplicates by date are decided by the content alone.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(tree))
            std::filesystem::last_write_time(entry.path(),
                                             std::filesystem::file_time_type::clock::now());
        ASSERT_EQ(RunCommand(Cli("read " + catalog() + " " + ShellQuote(tree.string()) +
                                 " --name Disk >/dev/null 2>&1"))
                      .exitCode,
                  0);
    }
    std::string Cli(const std::string& arguments) const {
        return std::string(SHELFMARK_CLI_PATH) + " " + arguments;
    }
    std::string catalog() const { return ShellQuote((dir / "c.tkd").string()); }
    std::string Search(const std::string& arguments) const {
        return RunCommand(Cli("search " + catalog() + " " + arguments)).out;
    }
    testing::TempDir dir;
};

TEST_F(SearchCli, FindsByNameKindAndSize) {
    // Items come in catalog order (folders sorted by name when read).
    EXPECT_EQ(Search("beach --format paths"),
              "Disk\\Backup\\beach.jpg\nDisk\\Photos\\2020\\Beach.JPG\n");
    EXPECT_EQ(Search("beach --case --format paths"), "Disk\\Backup\\beach.jpg\n");
    EXPECT_EQ(Search("'*.jpg' --whole --in Disk\\\\Backup --format paths"),
              "Disk\\Backup\\beach.jpg\n");
    EXPECT_EQ(Search("'?' --kinds dirs --format paths"),
              "Disk\\Backup\nDisk\\Photos\nDisk\\Photos\\2020\n");
    EXPECT_EQ(Search("'*' --size atmost 1KB --format paths"),
              "Disk\\Backup\\other.bin\nDisk\\Photos\\notes.txt\n");
    EXPECT_EQ(Search("'*' --size equal 3000B --format paths"),
              "Disk\\Backup\\beach.jpg\nDisk\\Photos\\2020\\Beach.JPG\n");
    EXPECT_EQ(Search("'*' --between 1990-01-01 1990-12-31 --format paths"), "");
    EXPECT_EQ(Search("'*' --within-days 2 --kinds files --format paths --limit 1"),
              "Disk\\Backup\\beach.jpg\n");
}

TEST_F(SearchCli, JsonHasTheItemsOfDump) {
    const std::string json = Search("notes --format json");
    EXPECT_EQ(json.rfind("{\"count\": 1, \"items\": [\n  {\"path\": \"Disk\\\\Photos\\\\notes.txt\", "
                         "\"kind\": \"file\", \"flags\": 0, \"name\": \"notes.txt\", \"size\": 10, ",
                         0),
              0u)
        << json;
    const std::string dump = RunCommand(Cli("dump " + catalog())).out;
    const size_t at = json.find("{\"path\"");
    const std::string item = json.substr(at, json.rfind('}', json.size() - 3) - at + 1);
    EXPECT_NE(dump.find(item), std::string::npos) << item;
}

TEST_F(SearchCli, RefusesBadOptions) {
    for (const char* bad : {"x --within-days 0", "x --within-months 1000", "'' ", "x --size big 1",
                            "x --size atleast 12345678", "x --between 2020-01-01",
                            "x --where 'Artist less 3'", "x --where 'Nothing contains a'",
                            "x --where '# between 3'", "x --category Nope", "x --kinds cars",
                            "x --in Disk\\\\Photos\\\\notes.txt"})
        EXPECT_NE(RunCommand(Cli("search " + catalog() + " " + bad + " 2>/dev/null")).exitCode, 0)
            << bad;
}

TEST_F(SearchCli, Dupes) {
    const std::string byName =
        RunCommand(Cli("dupes " + catalog() + " --by name,size --format json")).out;
    EXPECT_NE(byName.find("\"groups\": [\n  [{\"path\": \"Disk\\\\"), std::string::npos) << byName;
    EXPECT_NE(byName.find("Beach.JPG"), std::string::npos);
    EXPECT_NE(byName.find("beach.jpg"), std::string::npos);
    EXPECT_EQ(byName.find("other.bin"), std::string::npos);
    EXPECT_EQ(RunCommand(Cli("dupes " + catalog() + " --by name --min-size 4KB --format json")).out,
              "{\"groups\": []}\n");
    const std::string table = RunCommand(Cli("dupes " + catalog() + " --by size")).out;
    EXPECT_EQ(table.rfind("Name", 0), 0u);
    // Two groups (3000 and 10 bytes): a heading, two rows, a blank line, two rows.
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 6) << table;
    EXPECT_EQ(RunCommand(Cli("dupes " + catalog() + " 2>/dev/null")).exitCode, 2);
}

}  // namespace
}  // namespace shelfmark
