// export-xml and import, run as a user runs them.
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

class ExportImportCli : public ::testing::Test {
  protected:
    ExportImportCli() {
        SilentPrompter prompter;
        CatalogDocument document(prompter);
        testing::BuildEditCatalog(document.tree());
        document.tree().createItem("Caf\xC3\xA9 & \xE6\x97\xA5\xE6\x9C\xAC \"q\"",
                                   document.tree().root(), Sorted, itemflag::Folder);
        EXPECT_TRUE(document.saveCatalogFile(path()));
    }
    std::string path() const { return (dir / "c.tkd").string(); }
    testing::CommandResult cli(const std::string& command, const std::string& rest) const {
        return RunCommand(std::string(SHELFMARK_CLI_PATH) + " " + command + " " +
                          ShellQuote(path()) + " " + rest + " </dev/null 2>" +
                          ShellQuote((dir / "stderr").string()));
    }
    std::string errors() const { return ReadFile(dir / "stderr"); }

    testing::ScopedConfigHome config;
    testing::TempDir dir;
};

TEST_F(ExportImportCli, ExportXmlWritesAnOutlineParsersAccept) {
    const std::string out = (dir / "out.xml").string();
    ASSERT_EQ(cli("export-xml", "Music 'Caf\xC3\xA9 & \xE6\x97\xA5\xE6\x9C\xAC \"q\"' -o " +
                                    ShellQuote(out))
                  .exitCode,
              0)
        << errors();
    const std::string xml = ReadFile(out);
    EXPECT_EQ(xml.find("<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\r\n\r\n<Items>\r\n\t<Folder Name=\"Music\""),
              0u);
    EXPECT_NE(xml.find("\t\t\t<CD_DVD Name=\"Rock One\" Size=\"1000\""), std::string::npos);
    EXPECT_NE(xml.find("Name=\"Caf\xE9 &amp; &#26085;&#26412; &quot;q&quot;\""), std::string::npos);
    if (testing::HaveProgram("xmllint")) {
        EXPECT_EQ(RunCommand("xmllint --noout " + ShellQuote(out) + " 2>&1").exitCode, 0);
    }
    if (testing::HaveProgram("python3")) {
        const testing::CommandResult names = RunCommand(
            "python3 -c " +
            ShellQuote("import sys, xml.etree.ElementTree as E\n"
                       "print([e.get('Name') for e in E.parse(sys.argv[1]).iter()][-1])") +
            " " + ShellQuote(out));
        EXPECT_EQ(names.out, "Caf\xC3\xA9 & \xE6\x97\xA5\xE6\x9C\xAC \"q\"\n");
    }

    const std::string unwritable = (dir / "no" / "out.xml").string();
    EXPECT_EQ(cli("export-xml", "Music -o " + ShellQuote(unwritable)).exitCode, 1);
    EXPECT_NE(errors().find("Unable to write to " + unwritable +
                            ", it is read-only or opened by someone else."),
              std::string::npos)
        << errors();
    EXPECT_EQ(cli("export-xml", "Nowhere -o " + ShellQuote(out)).exitCode, 1);
    EXPECT_EQ(cli("export-xml", "Music").exitCode, 2);
}

TEST_F(ExportImportCli, ImportAddsCopiesAndSkipsWhatItCannotRead) {
    const std::string other = (dir / "other.tkd").string();
    ASSERT_EQ(RunCommand(std::string(SHELFMARK_CLI_PATH) + " new " + ShellQuote(other)).exitCode,
              0);
    ASSERT_EQ(RunCommand(std::string(SHELFMARK_CLI_PATH) + " mkdir " + ShellQuote(other) +
                         " / Extra")
                  .exitCode,
              0);
    const testing::CommandResult done =
        cli("import", ShellQuote(other) + " " + ShellQuote(path()) + " --into Backup");
    ASSERT_EQ(done.exitCode, 0) << errors();
    EXPECT_EQ(done.out, "5 item(s) imported\n");

    SilentPrompter prompter;
    CatalogDocument document(prompter);
    document.setShowConvertHint(kConvertHintSuppressed);
    ASSERT_TRUE(document.openCatalogFile(path()));
    const CatalogTree& tree = document.tree();
    ASSERT_NE(testing::At(tree, "Backup\\Extra"), nullptr);
    ASSERT_NE(testing::At(tree, "Backup\\Music\\Rock\\Rock One"), nullptr);
    EXPECT_NE(testing::At(tree, "Backup\\Music\\Rock\\Rock One")->numberAttribute(attr::DiskNumber),
              testing::At(tree, "Music\\Rock\\Rock One")->numberAttribute(attr::DiskNumber));
    EXPECT_TRUE(testing::WrongFolderSizes(tree).empty());

    const std::string missing = (dir / "missing.tkd").string();
    EXPECT_EQ(cli("import", ShellQuote(missing) + " " + ShellQuote(other) + " --into /").exitCode,
              3);
    EXPECT_NE(errors().find("cannot open '" + missing + "': No such file or directory"),
              std::string::npos)
        << errors();
    EXPECT_EQ(cli("import", ShellQuote(missing) + " --into /").exitCode, 1);
    EXPECT_EQ(cli("import", ShellQuote(other) + " --into Loose").exitCode, 1);
    EXPECT_EQ(cli("import", ShellQuote(other)).exitCode, 2);
}

}  // namespace
}  // namespace shelfmark
