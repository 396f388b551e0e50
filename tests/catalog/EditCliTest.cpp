// The command-line editing commands and batch, run as a user runs them.
#include <gtest/gtest.h>

#include <string>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogFile.h"
#include "catalog/FileLock.h"
#include "foundation/Prompter.h"
#include "tests/catalog/EditTestCatalog.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::ReadFile;
using testing::RunCommand;
using testing::ShellQuote;

class EditCli : public ::testing::Test {
  protected:
    EditCli() {
        SilentPrompter prompter;
        CatalogDocument document(prompter);
        testing::BuildEditCatalog(document.tree());
        EXPECT_TRUE(document.saveCatalogFile(path()));
    }
    std::string path() const { return (dir / "c.tkd").string(); }
    // Runs shelfmark-cli with the catalog as the first argument, stdin from /dev/null.
    testing::CommandResult cli(const std::string& command, const std::string& rest) const {
        return RunCommand(std::string(SHELFMARK_CLI_PATH) + " " + command + " " +
                          ShellQuote(path()) + " " + rest + " </dev/null 2>" +
                          ShellQuote((dir / "stderr").string()));
    }
    std::string errors() const { return ReadFile(dir / "stderr"); }
    std::string tree(const std::string& at = "") const {
        return RunCommand(std::string(SHELFMARK_CLI_PATH) + " tree " + ShellQuote(path()) + " " +
                          ShellQuote(at))
            .out;
    }
    CatalogItem* load(CatalogTree& tree, const char* at) const {
        return testing::LoadAt(path(), tree, at);
    }

    testing::ScopedConfigHome config;
    testing::TempDir dir;
};

TEST_F(EditCli, EachCommandChangesTheFileAsAsked) {
    ASSERT_EQ(cli("mkdir", "Music Pop").exitCode, 0) << errors();
    ASSERT_EQ(cli("add-disk", "Music/Pop 'Greatest Hits' --media audio").exitCode, 0) << errors();
    ASSERT_EQ(cli("rename", "Music/Pop/'Greatest Hits' Hits").exitCode, 0) << errors();
    ASSERT_EQ(cli("mv", "Loose --to Music/Pop").exitCode, 0) << errors();
    ASSERT_EQ(cli("cp", "Music/Jazz --to Backup").exitCode, 0) << errors();
    ASSERT_EQ(cli("ln", "'Music\\Rock\\Rock One\\cover.jpg' --to Backup").exitCode, 0) << errors();
    ASSERT_EQ(cli("rm", "Music/Rock --yes").exitCode, 0) << errors();
    EXPECT_EQ(tree(),
              "c.tkd\\\n"
              "  Backup\\\n"
              "    B1\\ [Hard Disk]\n"
              "      Docs\\\n"
              "        letter.doc\n"
              "      old.zip\\\n"
              "        x.txt\n"
              "        deep\\\n"
              "          y.txt\n"
              "    Jazz\\\n"
              "      Blue\\ [Audio CD]\n"
              "        Track01.cda\n"
              "    Shortcut to cover.jpg -> {Disk0003}:\\cover.jpg\n"
              "  Music\\\n"
              "    Jazz\\\n"
              "      Blue\\ [Audio CD]\n"
              "        Track01.cda\n"
              "    Pop\\\n"
              "      Hits\\ [Audio CD]\n"
              "      Loose\\ [Removable Disk]\n");
    CatalogTree catalog;
    EXPECT_EQ(load(catalog, "Backup")->size(), 5500u);
    EXPECT_EQ(testing::At(catalog, "Music")->size(), 800u);
    EXPECT_EQ(testing::At(catalog, "Music\\Pop\\Hits")->numberAttribute(attr::DiskId), 10u);
    EXPECT_EQ(testing::WrongFolderSizes(catalog), std::vector<std::string>{});

    ASSERT_EQ(cli("lend", "Backup/B1 Music/Pop/Hits --to 'Fred F.' --date 2024-02-29").exitCode, 0)
        << errors();
    CatalogTree lent;
    EXPECT_EQ(load(lent, "Music\\Pop\\Hits")->textAttribute(attr::LentTo), "Fred F.");
    EXPECT_EQ(testing::At(lent, "Backup\\B1")->numberAttribute(attr::LentDate), 1709164800u);
    ASSERT_EQ(cli("lend", "Backup/B1 --return").exitCode, 0) << errors();
    ASSERT_EQ(cli("empty", "/ --archives --yes").exitCode, 0) << errors();
    CatalogTree returned;
    EXPECT_FALSE(load(returned, "Backup\\B1")->isLent());
    EXPECT_FALSE(testing::At(returned, "Backup\\B1\\old.zip")->isArchive());
    EXPECT_TRUE(testing::At(returned, "Music\\Pop\\Hits")->isLent());
    ASSERT_EQ(cli("empty", "Backup --disks --yes").exitCode, 0) << errors();
    EXPECT_EQ(tree("Backup/B1"), "B1\\ [Hard Disk]\n");
}

TEST_F(EditCli, FailuresLeaveTheFileUntouched) {
    const std::string before = ReadFile(path());
    EXPECT_EQ(cli("rename", "Nowhere X").exitCode, 1);
    EXPECT_EQ(errors(), "shelfmark-cli: no item 'Nowhere' in the catalog\n");
    EXPECT_EQ(cli("rm", "Music").exitCode, 2);  // no terminal, no --yes
    EXPECT_EQ(cli("mv", "Music/Rock/'Rock One'/cover.jpg --to Backup").exitCode, 1);
    EXPECT_EQ(errors(),
              "shelfmark-cli: Rock One:\\cover.jpg: This command cannot be used with an item of "
              "this kind.\n");
    EXPECT_EQ(cli("lend", "Music Backup/B1 --to X").exitCode, 1);  // Music is no disk
    EXPECT_EQ(cli("lend", "Backup/B1 --to X --date 2024-02-30").exitCode, 2);
    EXPECT_EQ(cli("lend", "Backup/B1 --to X --return").exitCode, 2);
    EXPECT_EQ(cli("empty", "Backup --yes").exitCode, 2);
    EXPECT_EQ(cli("add-disk", "Music X --media floppy").exitCode, 2);
    EXPECT_EQ(cli("mkdir", "Music Jazz").exitCode, 1);
    EXPECT_EQ(cli("mv", "Music --to Music/Rock").exitCode, 0);  // stays: nothing to save
    EXPECT_EQ(ReadFile(path()), before);
}

TEST_F(EditCli, OnATerminalTheQuestionIsAsked) {
    SHELFMARK_REQUIRE_PROGRAM("script");
    // script(1) gives the command a terminal; the answer comes through it.
    auto onTerminal = [&](const std::string& answer, const std::string& command) {
        return RunCommand("printf '" + answer + "\\n' | script -qec " +
                          ShellQuote(std::string(SHELFMARK_CLI_PATH) + " " + command + " " +
                                     ShellQuote(path()) + " Music/Jazz") +
                          " /dev/null");
    };
    const std::string before = ReadFile(path());
    const testing::CommandResult declined = onTerminal("n", "rm");
    EXPECT_EQ(declined.exitCode, 0);
    EXPECT_NE(declined.out.find("Do you really want to delete 'Jazz'? [y/N]"), std::string::npos)
        << declined.out;
    EXPECT_EQ(ReadFile(path()), before);
    EXPECT_EQ(onTerminal("y", "empty --disks").exitCode, 0);
    EXPECT_EQ(tree("Music/Jazz"), "Jazz\\\n  Blue\\ [Audio CD]\n");
    EXPECT_EQ(onTerminal("y", "rm").exitCode, 0);
    EXPECT_EQ(tree("Music/Jazz"), "");
}

TEST_F(EditCli, ALockHeldElsewhereRefusesEveryCommand) {
    const std::string before = ReadFile(path());
    FileLock other;
    ASSERT_TRUE(other.acquire(path()));
    EXPECT_EQ(cli("mkdir", "Music Pop").exitCode, 1);
    EXPECT_NE(errors().find("Cannot lock the file for changes."), std::string::npos);
    EXPECT_EQ(cli("rm", "Music --yes").exitCode, 1);
    EXPECT_EQ(RunCommand("printf 'rename Music Tunes\\n' | " + std::string(SHELFMARK_CLI_PATH) +
                         " batch " + ShellQuote(path()) + " 2>/dev/null")
                  .exitCode,
              1);
    other.release();
    EXPECT_EQ(ReadFile(path()), before);
}

TEST_F(EditCli, ShortcutNamesFollowTheSetting) {
    testing::WriteFile(config.configDir() / "settings.ini", "[Settings]\r\nbAddShortcutTo=0\r\n");
    ASSERT_EQ(cli("ln", "Music/Jazz/Blue --to Backup").exitCode, 0) << errors();
    CatalogTree catalog;
    const CatalogItem* shortcut = load(catalog, "Backup\\Blue");
    ASSERT_NE(shortcut, nullptr);
    EXPECT_TRUE(shortcut->isShortcut());
    EXPECT_EQ(shortcut->textAttribute(attr::ShortcutTarget), "{Disk0004}:\\");
}

TEST_F(EditCli, BatchRunsManyEditsOnOneLoadAndOneSave) {
    const std::string script = (dir / "script").string();
    testing::WriteFile(script,
                       "# tidy up\n"
                       "mkdir / \"New Things\"\n"
                       "\n"
                       "rename 'Music/Jazz' Cool\\ Jazz\n"
                       "mv Loose --to \"New Things\"\n"
                       "rm \"Music/Cool Jazz\" --yes\n"
                       "undo\n"
                       "lend Backup/B1 --return\n");
    ASSERT_EQ(RunCommand(std::string(SHELFMARK_CLI_PATH) + " batch " + ShellQuote(path()) + " " +
                         ShellQuote(script))
                  .exitCode,
              0);
    EXPECT_EQ(tree(),
              "c.tkd\\\n"
              "  Backup\\\n"
              "    B1\\ [Hard Disk]\n"
              "      Docs\\\n"
              "        letter.doc\n"
              "      old.zip\\\n"
              "        x.txt\n"
              "        deep\\\n"
              "          y.txt\n"
              "  Music\\\n"
              "    Cool Jazz\\\n"
              "      Blue\\ [Audio CD]\n"
              "        Track01.cda\n"
              "    Rock\\\n"
              "      Rock One\\ [CD/ DVD]\n"
              "        Album\\\n"
              "          track1.mp3\n"
              "        cover.jpg\n"
              "        songs.zip\\\n"
              "          a.txt\n"
              "          sub\\\n"
              "            b.txt\n"
              "  New Things\\\n"
              "    Loose\\ [Removable Disk]\n");

    // Undoing every line of a batch gives the file back byte for byte.
    const std::string before = ReadFile(path());
    ASSERT_EQ(RunCommand("printf 'rename Backup Safe\\nmv \"New Things/Loose\" --to Safe\\n"
                         "empty Safe --disks --yes\\nundo\\nundo\\nundo\\n' | " +
                         std::string(SHELFMARK_CLI_PATH) + " batch " + ShellQuote(path()))
                  .exitCode,
              0);
    EXPECT_EQ(ReadFile(path()), before);
}

TEST_F(EditCli, TheFirstFailingLineStopsTheBatch) {
    const std::string before = ReadFile(path());
    auto batch = [&](const std::string& lines) {
        testing::WriteFile(dir / "script", lines);
        return RunCommand(std::string(SHELFMARK_CLI_PATH) + " batch " + ShellQuote(path()) + " " +
                          ShellQuote((dir / "script").string()) + " </dev/null 2>" +
                          ShellQuote((dir / "stderr").string()))
            .exitCode;
    };
    EXPECT_EQ(batch("mkdir / A\nrename Nowhere B\nmkdir / C\n"), 1);
    EXPECT_NE(errors().find("batch stopped at line 2"), std::string::npos) << errors();
    EXPECT_EQ(batch("mkdir / A\n\nfrobnicate\n"), 1);
    EXPECT_NE(errors().find("unknown batch command 'frobnicate'"), std::string::npos);
    EXPECT_NE(errors().find("line 3"), std::string::npos);
    EXPECT_EQ(batch("rm Music\n"), 2);  // no terminal and no --yes
    EXPECT_EQ(batch("mkdir / 'open quote\n"), 1);
    EXPECT_EQ(batch("undo\n"), 1);
    EXPECT_NE(errors().find("nothing to undo"), std::string::npos);
    EXPECT_EQ(ReadFile(path()), before);
}

}  // namespace
}  // namespace shelfmark
