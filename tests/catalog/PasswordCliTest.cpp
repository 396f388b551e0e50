// The password commands as a user runs them, and that no command that opens a catalog shows
// anything of a locked subtree: without the password its contents are simply absent.
#include <gtest/gtest.h>

#include <string>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogFile.h"
#include "foundation/Prompter.h"
#include "tests/catalog/EditTestCatalog.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::ReadFile;
using testing::RunCommand;
using testing::ShellQuote;

// Names that lie only below Music in the test catalog.
const char* const kHidden[] = {"Rock", "Jazz", "Blue", "Album", "track1", "cover", "songs",
                               "a.txt", "b.txt", "Track01", "ROCK_ONE", "Ann"};

class PasswordCli : public ::testing::Test {
  protected:
    PasswordCli() {
        SilentPrompter prompter;
        CatalogDocument document(prompter);
        testing::BuildEditCatalog(document.tree());
        EXPECT_TRUE(document.saveCatalogFile(path()));
        testing::WriteFile(dir / "right", "Sesam\n");
        testing::WriteFile(dir / "wrong", "sesam\n");
    }
    std::string path() const { return (dir / "c.tkd").string(); }
    std::string file(const char* name) const { return (dir / name).string(); }
    // Runs shelfmark-cli COMMAND [ARGS...], stdin from /dev/null.
    testing::CommandResult cli(const std::string& arguments) const {
        return RunCommand(std::string(SHELFMARK_CLI_PATH) + " " + arguments + " </dev/null 2>" +
                          ShellQuote((dir / "stderr").string()));
    }
    std::string errors() const { return ReadFile(dir / "stderr"); }
    std::string withPassword(const char* which) const {
        return " --password-file " + ShellQuote(file(which));
    }

    testing::ScopedConfigHome config;
    testing::TempDir dir;
};

TEST_F(PasswordCli, NothingOfALockedSubtreeShowsInAnyCommand) {
    const std::string catalog = ShellQuote(path());
    ASSERT_EQ(cli("password set " + catalog + " Music --encrypt-names" + withPassword("right"))
                  .exitCode,
              0)
        << errors();
    const std::string bytes = ReadFile(path());
    EXPECT_EQ(bytes.find("track1.mp3"), std::string::npos);

    // Without the password, and with a wrong one, nothing below Music is shown anywhere.
    for (const std::string& password : {std::string(), withPassword("wrong")}) {
        std::string shown;
        for (const std::string& command :
             {"tree " + catalog, "tree " + catalog + " Music", "info " + catalog + " --archives",
              "dump " + catalog}) {
            const testing::CommandResult result = cli(command + password);
            shown += result.out + errors();
        }
        for (const char* name : kHidden)
            EXPECT_EQ(shown.find(name), std::string::npos) << name << " in:\n" << shown;
        EXPECT_NE(shown.find("Music"), std::string::npos);
        EXPECT_NE(shown.find("letter.doc"), std::string::npos);
        // Paths into it name nothing (the message repeats only the path given).
        for (const std::string& command : {"locate " + catalog + " 'Music/Rock/Rock One'",
                                           "open " + catalog + " 'Music/Rock/Rock One/cover.jpg'",
                                           "rename " + catalog + " Music/Jazz Blues"}) {
            EXPECT_EQ(cli(command + password).exitCode, 1) << command;
            EXPECT_NE(errors().find("no item 'Music/"), std::string::npos) << errors();
        }

        // An export of the locked folder carries it still protected.
        const std::string out = ShellQuote(file("out.tkd"));
        ASSERT_EQ(cli("export-db " + catalog + " Music -o " + out + password).exitCode, 0)
            << errors();
        const std::string exported = cli("dump " + out).out;
        for (const char* name : kHidden)
            EXPECT_EQ(exported.find(name), std::string::npos) << name;
        std::filesystem::remove(file("out.tkd"));
    }
    // Cancelled unlocks save the locked contents unchanged: an edit elsewhere keeps them.
    ASSERT_EQ(cli("mkdir " + catalog + " Backup New").exitCode, 0) << errors();
    const std::string opened = cli("tree " + catalog + withPassword("right")).out;
    for (const char* name : {"Rock One", "track1.mp3", "Track01.cda", "New"})
        EXPECT_NE(opened.find(name), std::string::npos) << name << " in:\n" << opened;
}

TEST_F(PasswordCli, UnlockChecksRemoveTakesTheProtectionOff) {
    const std::string catalog = ShellQuote(path());
    ASSERT_EQ(cli("password set " + catalog + " Music Backup/B1" + withPassword("right")).exitCode,
              0)
        << errors();
    // No password at hand: refused, the file unchanged.
    EXPECT_EQ(cli("password set " + catalog + " Loose").exitCode, 1);
    EXPECT_NE(errors().find("no password"), std::string::npos) << errors();
    EXPECT_EQ(cli("password set " + catalog + " 'Backup/B1/Docs/letter.doc'" +
                  withPassword("right"))
                  .exitCode,
              1);
    EXPECT_EQ(cli("password unlock " + catalog + " Music" + withPassword("wrong")).exitCode, 1);
    EXPECT_NE(errors().find("wrong password"), std::string::npos) << errors();
    const testing::CommandResult right =
        cli("password unlock " + catalog + " Music" + withPassword("right"));
    EXPECT_EQ(right.exitCode, 0) << errors();
    EXPECT_EQ(right.out, "The password is right.\n");

    // --remember: later commands open Music without being given the password.
    ASSERT_EQ(cli("password unlock " + catalog + " Music --remember" + withPassword("right"))
                  .exitCode,
              0);
    EXPECT_EQ(ReadFile(config.configDir() / "settings.ini").find("Sesam"), std::string::npos);
    EXPECT_NE(cli("tree " + catalog).out.find("Rock One"), std::string::npos);
    EXPECT_EQ(cli("tree " + catalog).out.find("letter.doc"), std::string::npos);

    ASSERT_EQ(cli("password remove " + catalog + " Backup/B1" + withPassword("right")).exitCode,
              0)
        << errors();
    EXPECT_NE(cli("tree " + catalog).out.find("letter.doc"), std::string::npos);
    EXPECT_EQ(cli("password remove " + catalog + " Backup/B1" + withPassword("right")).exitCode,
              1);
    EXPECT_NE(errors().find("is not password-protected"), std::string::npos) << errors();
}

}  // namespace
}  // namespace shelfmark
