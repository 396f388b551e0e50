// The commands that write one file share their "-o OUT" rules: the option is required (a usage
// error naming the output, exit status 2, nothing written), both "-o OUT" and "--output=OUT" are
// taken, and an option a command does not know is a usage error before any file is opened.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TestSupport.h"

namespace shelfmark::testing {
namespace {

std::string Cli(const std::string& args) { return ShellQuote(SHELFMARK_CLI_PATH) + " " + args; }

struct Writer {
    const char* command;  // with the operands before -o
    const char* outputName;
};

TEST(CliOutputOption, RequiredTakenInBothFormsAndCheckedFirst) {
    TempDir dir;
    const std::string catalog = (dir / "c.sdb").string();
    ASSERT_EQ(RunCommand(Cli("new " + ShellQuote(catalog))).exitCode, 0);
    ASSERT_EQ(RunCommand("mkdir " + ShellQuote((dir / "tree/sub").string()) + " -p && echo hi > " +
                         ShellQuote((dir / "tree/sub/f.txt").string()))
                  .exitCode,
              0);
    ASSERT_EQ(RunCommand(Cli("read " + ShellQuote(catalog) + " " +
                             ShellQuote((dir / "tree").string()) + " >/dev/null 2>&1"))
                  .exitCode,
              0);
    const std::string c = ShellQuote(catalog);
    const Writer writers[] = {
        {"export-db", "NEW"}, {"export-xml", "OUT.xml"}, {"export-ncdu", "OUT.json"}};
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.command);
        // stderr goes to standard output so the message can be compared.
        const CommandResult missing =
            RunCommand(Cli(std::string(w.command) + " " + c + " tree 2>&1"));
        EXPECT_EQ(missing.exitCode, 2);
        EXPECT_NE(missing.out.find(std::string("-o ") + w.outputName + " is required"),
                  std::string::npos)
            << missing.out;
        // No FILE at all: the missing output is still what is named, and nothing is opened.
        const CommandResult bare = RunCommand(Cli(std::string(w.command) + " 2>&1"));
        EXPECT_EQ(bare.exitCode, 2);
        EXPECT_NE(bare.out.find("is required"), std::string::npos) << bare.out;

        const std::string unknownOut = (dir / (std::string(w.command) + ".never")).string();
        EXPECT_EQ(RunCommand(Cli(std::string(w.command) + " " + c + " tree -o " +
                                 ShellQuote(unknownOut) + " --no-such-option 2>/dev/null"))
                      .exitCode,
                  2);
        EXPECT_FALSE(std::filesystem::exists(unknownOut));

        const std::string shortOut = (dir / (std::string(w.command) + ".short")).string();
        const std::string longOut = (dir / (std::string(w.command) + ".long")).string();
        EXPECT_EQ(RunCommand(Cli(std::string(w.command) + " " + c + " tree -o " +
                                 ShellQuote(shortOut) + " 2>&1"))
                      .exitCode,
                  0);
        EXPECT_EQ(RunCommand(Cli(std::string(w.command) + " " + c + " tree --output=" +
                                 ShellQuote(longOut) + " 2>&1"))
                      .exitCode,
                  0);
        EXPECT_TRUE(std::filesystem::exists(shortOut));
        EXPECT_TRUE(std::filesystem::exists(longOut));
    }
    // export-db keeps an existing file unless --force is given with -o.
    const std::string kept = (dir / "export-db.short").string();
    EXPECT_NE(RunCommand(Cli("export-db " + c + " tree -o " + ShellQuote(kept) + " 2>/dev/null"))
                  .exitCode,
              0);
    EXPECT_EQ(RunCommand(Cli("export-db " + c + " tree -o " + ShellQuote(kept) + " --force"))
                  .exitCode,
              0);
}

}  // namespace
}  // namespace shelfmark::testing
