// Every command that walks over a catalog, run against one whose folder Music is protected with
// encrypted names: without the password (or with a wrong one) no name, description or
// attribute from inside Music may appear in anything a command prints or writes. Each command
// is also run with the right password, and must then show something from inside, so that a
// command that prints nothing at all cannot pass for one that hides well.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalog/CatalogDocument.h"
#include "catalog/PasswordProtection.h"
#include "foundation/Prompter.h"
#include "tests/catalog/EditTestCatalog.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::ReadFile;
using testing::RunCommand;
using testing::ShellQuote;

// What lies only inside Music: names, a volume label, a lent-to name, a description and a
// text field.
const char* const kInside[] = {"Rock",     "Jazz",  "Blue",  "Album",  "track1",
                               "cover",    "songs", "a.txt", "b.txt",  "Track01",
                               "ROCK_ONE", "Ann",   "Zebra", "Stripes"};

class LockedSubtreeCli : public ::testing::Test {
  protected:
    LockedSubtreeCli() {
        testing::WriteFile(config.configDir() / "Categories.tkp",
                           "[FileInfo]\nNextCategory=3\n[Categories]\nOne=1\nShown=2\n");
        SilentPrompter prompter;
        CatalogDocument document(prompter);
        CatalogTree& tree = document.tree();
        testing::BuildEditCatalog(tree);
        CatalogItem* track = testing::At(tree, "Music\\Rock\\Rock One\\Album\\track1.mp3");
        tree.setTextAttribute(track, attr::Description, "Zebra crossing");
        tree.setTextAttribute(track, attr::Artist, "Stripes");
        tree.setNumberAttribute(track, attr::Categories, 1);
        tree.setNumberAttribute(testing::At(tree, "Backup\\B1"), attr::Categories, 2);
        // A twin of Backup's letter.doc, so that a duplicate search has a pair to leak.
        CatalogItem* twin = tree.createItem("letter.doc", track->parent(), Last, 0);
        tree.setSize(twin, 4000);
        twin->setDate(1'600'000'000);
        EXPECT_TRUE(Protect(tree, testing::At(tree, "Music"), "Sesam", true));
        EXPECT_TRUE(document.saveCatalogFile(path()));
        testing::WriteFile(dir / "right", "Sesam\n");
        testing::WriteFile(dir / "wrong", "sesam\n");
    }
    std::string path() const { return (dir / "c.tkd").string(); }
    std::string file(const std::string& name) const { return (dir / name).string(); }
    // Runs shelfmark-cli with the arguments (FILE is written as @), stdin from /dev/null; the
    // result's text is what it printed on both streams.
    testing::CommandResult cli(std::string arguments, const std::string& password) const {
        for (size_t at; (at = arguments.find('@')) != std::string::npos;)
            arguments.replace(at, 1, ShellQuote(path()));
        const std::string passwordOption =
            password.empty() ? "" : " --password-file " + ShellQuote(file(password));
        testing::CommandResult result =
            RunCommand(std::string(SHELFMARK_CLI_PATH) + " " + arguments + passwordOption +
                       " </dev/null 2>" + ShellQuote(file("stderr")));
        result.out += ReadFile(dir / "stderr");
        return result;
    }
    static std::vector<std::string> Leaks(const std::string& shown) {
        std::vector<std::string> leaks;
        for (const char* name : kInside) {
            if (shown.find(name) != std::string::npos)
                leaks.emplace_back(name);
        }
        return leaks;
    }

    testing::ScopedConfigHome config;
    testing::TempDir dir;
};

TEST_F(LockedSubtreeCli, NoCommandShowsAnythingFromInside) {
    // Commands that only read; "OUT" files they write are read back as part of their output.
    const std::vector<std::string> commands = {
        "tree @",
        "tree @ Music",
        "info @ --archives",
        "dump @",
        "dump @ --format text",
        "search @ '*' --format paths",
        "search @ '*' --format json",
        "search @ zebra",
        "search @ stripes --extra --format json",
        "search @ '*' --category 1 --format paths",
        "search @ '*' --where 'Artist contains S' --format paths",
        "dupes @ --by name,size",
        "dupes @ --by size --format json",
        "export-xml @ / -o " + ShellQuote(file("out.xml")),
        "export-xml @ Music -o " + ShellQuote(file("out.xml")),
        "categories @",
        "extra @ Backup/B1",
    };
    for (const std::string& command : commands) {
        std::filesystem::remove(file("out.xml"));
        auto run = [&](const std::string& password) {
            std::string shown = cli(command, password).out;
            if (std::filesystem::exists(file("out.xml")))
                shown += ReadFile(file("out.xml"));
            return shown;
        };
        for (const char* password : {"", "wrong"}) {
            const std::string shown = run(password);
            EXPECT_TRUE(Leaks(shown).empty()) << command << " (password: " << password << ") shows "
                                              << ::testing::PrintToString(Leaks(shown)) << " in:\n"
                                              << shown;
        }
        const std::string opened = run("right");
        if (command.starts_with("info")) {
            EXPECT_NE(opened, run("")) << "the counts do not change with the password";
        } else if (command != "categories @" && command != "extra @ Backup/B1") {
            EXPECT_FALSE(Leaks(opened).empty()) << command << " shows nothing from inside";
        }
    }
}

TEST_F(LockedSubtreeCli, PathsIntoItNameNothingAndEditsLeaveItWhole) {
    for (const std::string& command :
         {std::string("extra @ 'Music/Rock/Rock One' --set Comment=x"),
          std::string("categorize @ Music/Jazz --set Shown"),
          std::string("export-db @ Music/Jazz -o ") + ShellQuote(file("x.tkd")),
          std::string("ln @ Music/Jazz/Blue --to Backup"), std::string("rm @ Music/Jazz --yes")}) {
        const testing::CommandResult result = cli(command, "");
        EXPECT_EQ(result.exitCode, 1) << command << ":\n" << result.out;
        // The message repeats the path given, and nothing else of it.
        const size_t quoted = result.out.find("no item 'Music/");
        ASSERT_NE(quoted, std::string::npos) << result.out;
        std::string rest = result.out;
        rest.erase(quoted, rest.find('\'', quoted + 9) - quoted);
        EXPECT_TRUE(Leaks(rest).empty()) << result.out;
    }
    // Edits around the locked folder, and emptying it, keep what it holds.
    ASSERT_EQ(cli("empty @ Music --disks --yes", "").exitCode, 0);
    ASSERT_EQ(cli("batch @ " + ShellQuote(file("script")), "").exitCode, 1);
    testing::WriteFile(dir / "script", "mkdir / New\ncategorize Backup --set Shown\n");
    ASSERT_EQ(cli("batch @ " + ShellQuote(file("script")), "").exitCode, 0);
    const std::string opened = cli("tree @", "right").out;
    for (const char* name : {"track1.mp3", "Track01.cda", "b.txt", "New"})
        EXPECT_NE(opened.find(name), std::string::npos) << name << " in:\n" << opened;
}

TEST_F(LockedSubtreeCli, AnImportedCopyStaysLocked) {
    const std::string target = file("target.tkd");
    ASSERT_EQ(RunCommand(std::string(SHELFMARK_CLI_PATH) + " new " + ShellQuote(target)).exitCode,
              0);
    const std::string importing = "import " + ShellQuote(target) + " @ --into /";
    ASSERT_EQ(cli(importing, "").exitCode, 0);
    std::string shown;
    for (const std::string command : {"tree ", "dump ", "search "})
        shown += cli(command + ShellQuote(target) + (command == "search " ? " '*'" : ""), "").out;
    EXPECT_TRUE(Leaks(shown).empty()) << shown;
    EXPECT_NE(shown.find("letter.doc"), std::string::npos) << shown;
    // The password still opens the copy.
    EXPECT_NE(cli("tree " + ShellQuote(target), "right").out.find("track1.mp3"), std::string::npos);
}

}  // namespace
}  // namespace shelfmark
