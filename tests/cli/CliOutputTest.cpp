// What the tool prints for people when names hold control characters or backslashes (both legal
// in Linux file names): terminal output shows escapes, JSON keeps the names exact, and every
// printed catalog path can be typed back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "tests/support/TestSupport.h"

namespace shelfmark::testing {
namespace {

namespace fs = std::filesystem;

std::string Cli(const std::string& args) { return ShellQuote(SHELFMARK_CLI_PATH) + " " + args; }

bool HasControlByte(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\n') || byte == 0x7F;
    });
}

class CliOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        const fs::path root = dir / "volume";
        fs::create_directories(root / "Scans\\2024");
        WriteFile(root / "Scans\\2024" / "inner.txt", "x");
        WriteFile(root / "a\\b.txt", "ab");
        WriteFile(root / "evil\x1b]0;owned\x07", "e");
        WriteFile(root / "forged\nline.txt", "f");
        catalog = ShellQuote((dir / "c.tkd").string());
        const CommandResult read =
            RunCommand(Cli("read " + catalog + " " + ShellQuote(root.string()) + " --name Disk --media hdd"));
        ASSERT_EQ(read.exitCode, 0);
    }
    ScopedConfigHome config;
    TempDir dir;
    std::string catalog;
};

TEST_F(CliOutput, TreeShowsControlCharactersAsEscapes) {
    const CommandResult tree = RunCommand(Cli("tree " + catalog));
    ASSERT_EQ(tree.exitCode, 0);
    EXPECT_FALSE(HasControlByte(tree.out)) << tree.out;
    EXPECT_EQ(tree.out,
              "c.tkd\\\n"
              "  Disk\\ [Hard Disk]\n"
              "    Scans\\2024\\\n"
              "      inner.txt\n"
              "    a\\b.txt\n"
              "    evil\\033]0;owned\\a\n"
              "    forged\\nline.txt\n");
}

TEST_F(CliOutput, TextDumpEscapesAndJsonStaysExact) {
    const CommandResult text = RunCommand(Cli("dump --format text " + catalog));
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_FALSE(HasControlByte(text.out)) << text.out;
    // Separators are single backslashes; a backslash inside a name is doubled, as typed.
    EXPECT_NE(text.out.find("\n\"Disk\\Scans\\\\2024\\inner.txt\" file flags=0x0000"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("\n\"Disk\\forged\\nline.txt\" file"), std::string::npos);
    EXPECT_NE(text.out.find("\n\"Disk\\evil\\033]0;owned\\a\" file"), std::string::npos);

    const CommandResult json = RunCommand(Cli("dump " + catalog));
    ASSERT_EQ(json.exitCode, 0);
    EXPECT_NE(json.out.find("\"name\": \"evil\\u001b]0;owned\\u0007\""), std::string::npos);
    EXPECT_NE(json.out.find("\"name\": \"forged\\nline.txt\""), std::string::npos);
    EXPECT_NE(json.out.find("\"path\": \"Disk\\\\Scans\\\\\\\\2024\\\\inner.txt\""),
              std::string::npos)
        << json.out;
}

TEST_F(CliOutput, PrintedPathsAddressNamesWithBackslashes) {
    EXPECT_EQ(RunCommand(Cli("tree " + catalog + " 'Disk/Scans\\\\2024'")).out,
              "Scans\\2024\\\n  inner.txt\n");
    EXPECT_EQ(RunCommand(Cli("tree " + catalog + " 'Disk\\Scans\\\\2024\\inner.txt'")).out,
              "inner.txt\n");
    EXPECT_EQ(RunCommand(Cli("tree " + catalog + " 'Disk/a\\\\b.txt'")).out, "a\\b.txt\n");
    // Without the escape the backslash separates: there is no "Scans" item.
    EXPECT_EQ(RunCommand(Cli("tree " + catalog + " 'Disk/Scans\\2024' 2>/dev/null")).exitCode, 1);
}

TEST_F(CliOutput, ErrorMessagesEscapeWhatTheyQuote) {
    const CommandResult missing =
        RunCommand(Cli("tree " + catalog + " \"$(printf 'no\\033[2Jthere')\" 2>&1"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "shelfmark-cli: no item 'no\\033[2Jthere' in the catalog\n");
    const CommandResult unknown = RunCommand(Cli("\"$(printf 'x\\033]2;t\\a')\" 2>&1"));
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.out.rfind("shelfmark-cli: unknown command 'x\\033]2;t\\a'\n", 0), 0u)
        << unknown.out;
}

// The free space of "/" is a size text ("4.66 GB"), near what df reports.
TEST(CliDrives, FreeSpaceIsASizeText) {
    SHELFMARK_REQUIRE_PROGRAM("df");
    const CommandResult drives = RunCommand("LC_ALL=C " + Cli("drives"));
    ASSERT_EQ(drives.exitCode, 0);
    std::smatch match;
    const std::regex rootLine(R"(\n\d+ +\S+ +\S+ +([0-9.,]+) (GB|MB|KB|Bytes) .* /\n)");
    ASSERT_TRUE(std::regex_search(drives.out, match, rootLine)) << drives.out;
    std::string digits = match[1];
    digits.erase(std::remove(digits.begin(), digits.end(), ','), digits.end());
    const double unit = match[2] == "GB"   ? 1024.0 * 1024 * 1024
                        : match[2] == "MB" ? 1024.0 * 1024
                        : match[2] == "KB" ? 1024.0
                                           : 1.0;
    const double shown = std::stod(digits) * unit;
    const double available =
        std::stod(RunCommand("df -B1 --output=avail / | tail -n 1").out);
    EXPECT_NEAR(shown, available, available * 0.05 + 1024 * 1024) << drives.out;
}

// A file that cannot be read is reported with its name and the system's reason, exit status 1.
TEST(CliErrors, InputFilesThatCannotBeOpenedSayWhy) {
    TempDir dir;
    const auto stderrOf = [](const std::string& args) {
        return RunCommand("LC_ALL=C " + Cli(args) + " 2>&1 >/dev/null");
    };
    const struct {
        std::string args, message;
    } cases[] = {
        {"info /dev/null", "cannot open '/dev/null': it is not a regular file"},
        {"info /nonexistent/x.tkd", "cannot open '/nonexistent/x.tkd': No such file or directory"},
        {"tree " + ShellQuote(dir.path().string()),
         "cannot open '" + dir.path().string() + "': it is a directory"},
        {"ls-archive /nonexistent.zip", "cannot open '/nonexistent.zip': No such file or directory"},
        {"ls-archive " + ShellQuote(dir.path().string()),
         "cannot open '" + dir.path().string() + "': it is a directory"},
        {"tags /nonexistent.mp3", "cannot open '/nonexistent.mp3': No such file or directory"},
        {"describe /nonexistent.exe", "cannot open '/nonexistent.exe': No such file or directory"},
    };
    for (const auto& c : cases) {
        const CommandResult result = stderrOf(c.args);
        EXPECT_EQ(result.exitCode, 1) << c.args;
        EXPECT_EQ(result.out, "shelfmark-cli: " + c.message + "\n") << c.args;
    }
    if (geteuid() != 0) {  // root reads every file
        WriteFile(dir / "locked.mp3", "ID3");
        fs::permissions(dir / "locked.mp3", fs::perms::none);
        EXPECT_EQ(stderrOf("tags " + ShellQuote((dir / "locked.mp3").string())).out,
                  "shelfmark-cli: cannot open '" + (dir / "locked.mp3").string() +
                      "': Permission denied\n");
    }
}

}  // namespace
}  // namespace shelfmark::testing
