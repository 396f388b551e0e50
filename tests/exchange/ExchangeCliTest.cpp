// import-other and export-ncdu, run as a user runs them.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::ReadFile;
using testing::RunCommand;
using testing::ShellQuote;

class ExchangeCli : public ::testing::Test {
  protected:
    ExchangeCli() { EXPECT_EQ(run("new " + ShellQuote(catalog())).exitCode, 0); }
    std::string catalog() const { return (dir / "c.tkd").string(); }
    testing::CommandResult run(const std::string& rest) const {
        return RunCommand(std::string(SHELFMARK_CLI_PATH) + " " + rest + " </dev/null 2>" +
                          ShellQuote((dir / "stderr").string()));
    }
    std::string errors() const { return ReadFile(dir / "stderr"); }
    static std::string corpus(const std::string& name) {
        return ShellQuote((testing::CorpusDir() / "imports" / name).string());
    }

    testing::ScopedConfigHome config;
    testing::TempDir dir;
};

TEST_F(ExchangeCli, ImportOtherAddsDisksAndReportsBrokenSources) {
    SHELFMARK_REQUIRE_CORPUS();
    ASSERT_EQ(run("mkdir " + ShellQuote(catalog()) + " / Scans").exitCode, 0);
    const testing::CommandResult done =
        run("import-other " + ShellQuote(catalog()) + " " + corpus("ncdu/odd-basic.json") +
            " " + corpus("ncdu/usr-share-doc-a-to-k.json") + " --into Scans");
    ASSERT_EQ(done.exitCode, 0) << errors();
    EXPECT_EQ(done.out, "2 disk(s) imported\n");
    EXPECT_NE(errors().find("682 entries ncdu had excluded were left out"), std::string::npos);
    const testing::CommandResult tree = run("tree " + ShellQuote(catalog()));
    EXPECT_NE(tree.out.find("root\\ [Hard Disk]"), std::string::npos) << tree.out;
    EXPECT_NE(tree.out.find("doc\\ [Hard Disk]"), std::string::npos);

    // A broken source names the file and the place; the good one still arrives (status 3).
    testing::WriteFile(dir / "broken.json", "[1,2,{\"progname\":\"ncdu\"},\n[{\"name\":\"/x\"},\n{\"name\":}]]");
    const testing::CommandResult partly =
        run("import-other " + ShellQuote(catalog()) + " " +
            ShellQuote((dir / "broken.json").string()) + " " + corpus("ncdu/odd-basic.json") +
            " --into /");
    EXPECT_EQ(partly.exitCode, 3);
    EXPECT_NE(errors().find("cannot import " + (dir / "broken.json").string() +
                            ": line 3, column 9: expected a JSON value"),
              std::string::npos)
        << errors();

    // Nothing readable: exit status 1, the catalog file unchanged.
    const std::string before = ReadFile(catalog());
    EXPECT_EQ(run("import-other " + ShellQuote(catalog()) + " " +
                  ShellQuote((dir / "broken.json").string()) + " --into /")
                  .exitCode,
              1);
    EXPECT_EQ(ReadFile(catalog()), before);
    EXPECT_EQ(run("import-other " + ShellQuote(catalog()) + " x --format nope --into /").exitCode, 2);
    EXPECT_EQ(run("import-other " + ShellQuote(catalog()) + " x").exitCode, 2);
    EXPECT_EQ(run("import-other " + ShellQuote(catalog()) + " " + corpus("ncdu/odd-basic.json") +
                  " --into Nowhere")
                  .exitCode,
              1);
}

TEST_F(ExchangeCli, ExportNcduIsReadByNcdu) {
    SHELFMARK_REQUIRE_CORPUS();
    ASSERT_EQ(run("import-other " + ShellQuote(catalog()) + " " +
                  corpus("ncdu/usr-share-doc-a-to-k.json") + " --into /")
                  .exitCode,
              0)
        << errors();
    const std::string out = (dir / "out.json").string();
    ASSERT_EQ(run("export-ncdu " + ShellQuote(catalog()) + " doc -o " + ShellQuote(out)).exitCode,
              0)
        << errors();
    // To standard output, the same text.
    EXPECT_EQ(run("export-ncdu " + ShellQuote(catalog()) + " doc -o -").out.substr(80),
              ReadFile(out).substr(80));
    if (testing::HaveProgram("ncdu") && testing::HaveProgram("python3")) {
        const std::string again = (dir / "again.json").string();
        ASSERT_EQ(RunCommand("ncdu -f " + ShellQuote(out) + " -o " + ShellQuote(again)).exitCode, 0);
        // Names and sizes, listed by an independent reader, match the original scan's.
        const std::string lister =
            "import json, sys\n"
            "def walk(d, p):\n"
            "    for e in d[1:]:\n"
            "        if isinstance(e, list):\n"
            "            walk(e, p + e[0]['name'] + '/')\n"
            "        elif 'excluded' not in e:\n"
            "            print(p + e['name'], e.get('asize', 0))\n"
            "walk(json.load(open(sys.argv[1], 'rb'))[3], '')\n";
        const auto list = [&](const std::string& file) {
            return RunCommand("python3 -c " + ShellQuote(lister) + " " + file + " | sort").out;
        };
        const std::string original = list(corpus("ncdu/usr-share-doc-a-to-k.json"));
        EXPECT_GT(original.size(), 1000u);
        EXPECT_EQ(list(ShellQuote(again)), original);
    }
    EXPECT_EQ(run("export-ncdu " + ShellQuote(catalog()) + " doc").exitCode, 2);
    EXPECT_EQ(run("export-ncdu " + ShellQuote(catalog()) + " doc\\\\README -o x").exitCode, 1);
    EXPECT_EQ(run("export-ncdu " + ShellQuote(catalog()) + " nothing -o x").exitCode, 1);
}

}  // namespace
}  // namespace shelfmark
