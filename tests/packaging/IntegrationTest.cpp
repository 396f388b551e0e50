// Manual pages render cleanly, bash completes commands, options and catalog paths through the
// installed script, and the AppStream metadata validates: each checked with the real tool.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogFile.h"
#include "catalog/PasswordProtection.h"
#include "foundation/Prompter.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::ReadFile;
using testing::RunCommand;
using testing::ShellQuote;

const std::string kManDir = SHELFMARK_MAN_DIR;
const std::string kPackaging = SHELFMARK_PACKAGING_DIR;

TEST(ManPages, RenderWithoutWarningsAndHoldEveryCommand) {
    SHELFMARK_REQUIRE_PROGRAM("groff");
    for (const char* page : {"shelfmark-cli.1", "shelfmark.1"}) {
        const std::string path = ShellQuote(kManDir + "/" + page);
        const auto warnings = RunCommand("groff -ww -man -Tutf8 " + path + " 2>&1 >/dev/null");
        EXPECT_EQ(warnings.exitCode, 0) << page;
        EXPECT_EQ(warnings.out, "") << page;
    }
    const std::string text =
        RunCommand("groff -man -Tutf8 -P-cbou " + ShellQuote(kManDir + "/shelfmark-cli.1")).out;
    // Every command of the help appears as a heading, with its own help's first line.
    const std::string help = RunCommand(std::string(SHELFMARK_CLI_PATH) + " --help").out;
    size_t commands = 0;
    const size_t list = help.find("Commands:");
    const std::string commandList = help.substr(list, help.find("\n\n", list) - list);
    for (size_t at = commandList.find("\n  "); at != std::string::npos;
         at = commandList.find("\n  ", at + 1)) {
        const std::string name = commandList.substr(at + 3, commandList.find(' ', at + 3) - at - 3);
        ++commands;
        EXPECT_NE(text.find("\n   " + name + "\n"), std::string::npos) << name;
        const std::string usage = RunCommand(std::string(SHELFMARK_CLI_PATH) + " help " + name).out;
        EXPECT_NE(text.find(usage.substr(0, usage.find('\n'))), std::string::npos) << name;
    }
    EXPECT_GT(commands, 30u);
    EXPECT_EQ(text.find("__complete"), std::string::npos);
    // A backslash in a help text must come through as one, not as a roff escape.
    EXPECT_NE(text.find("separated by \\ or /"), std::string::npos);
}

class BashCompletion : public ::testing::Test {
  protected:
    BashCompletion() {
        SilentPrompter prompter;
        CatalogDocument document(prompter);
        CatalogTree& tree = document.tree();
        tree.resetToNewCatalog();
        CatalogItem* music = tree.createItem("Music", tree.root(), Last, itemflag::Folder);
        CatalogItem* holiday = tree.createItem("Holiday CD", music, Last, itemflag::Folder);
        tree.createItem("a.txt", holiday, Last, 0);
        tree.createItem("Hold", music, Last, itemflag::Folder);
        tree.createItem("Rock", music, Last, itemflag::Folder);
        CatalogItem* secret = tree.createItem("Secret", tree.root(), Last, itemflag::Folder);
        tree.createItem("Hidden", secret, Last, itemflag::Folder);
        EXPECT_TRUE(Protect(tree, secret, "pw", true));
        EXPECT_TRUE(document.saveCatalogFile((dir / "Discs.tkd").string()));
        testing::WriteFile(dir / "other.tkd", "");
        testing::WriteFile(dir / "notes.txt", "");
    }
    // The completions bash offers for the words as typed (quotes and backslashes included), the
    // cursor at the end of the last: one a line.
    std::string complete(const std::vector<std::string>& typed) const {
        std::string words = "COMP_WORDS=(shelfmark-cli";
        for (const std::string& word : typed)
            words += " " + ShellQuote(word);
        words += ")";
        const std::string script =
            "cd " + ShellQuote(dir.path().string()) + " && PATH=" + ShellQuote(SHELFMARK_CLI_DIR) +
            ":$PATH && source " + ShellQuote(kPackaging + "/completions/shelfmark-cli.bash") +
            " && " + words + " && COMP_CWORD=" + std::to_string(typed.size()) +
            " && _shelfmark_cli && printf '%s\\n' \"${COMPREPLY[@]}\" | sort";
        const std::string out = RunCommand("bash -c " + ShellQuote(script) + " 2>&1").out;
        return out == "\n" ? "" : out;
    }
    testing::TempDir dir;
    testing::ScopedConfigHome config;
};

TEST_F(BashCompletion, CommandsOptionsFilesAndCatalogPaths) {
    SHELFMARK_REQUIRE_PROGRAM("bash");
    EXPECT_EQ(complete({"tr"}), "tree\n");
    EXPECT_EQ(complete({"extr"}), "extra\n");
    EXPECT_EQ(complete({"export-"}), "export-db\nexport-list\nexport-ncdu\nexport-xml\n");
    EXPECT_EQ(complete({"help", "cat"}), "categories\ncategorize\n");
    EXPECT_EQ(complete({"tree", "Discs.tkd", "--d"}), "--depth\n");
    EXPECT_EQ(complete({"extra", "Discs.tkd", "--define-"}), "--define-number\n--define-text\n");
    // Catalog files: the .tkd files (and folders), not other files.
    EXPECT_EQ(complete({"tree", ""}), "Discs.tkd\nother.tkd\n");
    // Paths inside the catalog named earlier, with either separator, case-insensitive; a
    // container that holds something ends in its separator, and names are quoted for the shell.
    EXPECT_EQ(complete({"tree", "Discs.tkd", "Music/Hol"}), "Music/Hold\nMusic/Holiday\\ CD/\n");
    EXPECT_EQ(complete({"tree", "Discs.tkd", "music\\\\ho"}),
              "music\\\\Hold\nmusic\\\\Holiday\\ CD\\\\\n");
    EXPECT_EQ(complete({"tree", "Discs.tkd", "'Music/Holiday CD/"}), "Music/Holiday\\ CD/a.txt\n");
    EXPECT_EQ(complete({"mv", "Discs.tkd", "Music/Rock", "--to", "Mu"}), "Music/\n");
    EXPECT_EQ(complete({"export-xml", "Discs.tkd", "/", "-o", "not"}), "notes.txt\n");
    // Nothing inside a locked folder is offered, and nobody is asked for its password.
    EXPECT_EQ(complete({"tree", "Discs.tkd", "Secret/"}), "");
    EXPECT_EQ(complete({"tree", "Discs.tkd", "Se"}), "Secret\n");
}

// zsh's completion system stands in for itself: compadd and _files print what they are given.
TEST_F(BashCompletion, ZshAddsTheSameCandidates) {
    SHELFMARK_REQUIRE_PROGRAM("zsh");
    auto complete = [&](const std::string& words) {
        const std::string script =
            "cd " + ShellQuote(dir.path().string()) + " && PATH=" + ShellQuote(SHELFMARK_CLI_DIR) +
            ":$PATH && compadd() { print -r -- \"compadd $*\" } && _files() { print -r -- "
            "\"_files $*\" } && words=(shelfmark-cli " +
            words + ") && CURRENT=${#words} && source " +
            ShellQuote(kPackaging + "/completions/_shelfmark-cli");
        return RunCommand("zsh -f -c " + ShellQuote(script) + " 2>&1").out;
    };
    EXPECT_EQ(complete("tr"), "compadd -- tree\n");
    EXPECT_EQ(complete("tree Discs.tkd Music/Hol"),
              "compadd -- Music/Hold\ncompadd -S  -- Music/Holiday CD/\n");
    EXPECT_EQ(complete("tree ''"), "_files -g *.(tkd|TKD)(-.)\n");
}

TEST(AppStream, MetainfoValidates) {
    SHELFMARK_REQUIRE_PROGRAM("appstreamcli");
    const auto result = RunCommand(
        "appstreamcli validate --no-net " +
        ShellQuote(kPackaging + "/io.github.shelfmark.Shelfmark.metainfo.xml") + " 2>&1");
    EXPECT_EQ(result.exitCode, 0) << result.out;
}

}  // namespace
}  // namespace shelfmark
