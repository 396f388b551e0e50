// shelfmark-cli read / update where things go wrong: a root or a catalog that cannot be used,
// parts of a volume that cannot be read, an update from another volume.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "catalog/CatalogFile.h"
#include "foundation/Prompter.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

namespace fs = std::filesystem;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;

std::string Cli() {
    return ShellQuote(SHELFMARK_CLI_PATH);
}

std::string Q(const fs::path& path) {
    return ShellQuote(path.string());
}

fs::path MakeVolume(const TempDir& dir) {
    const fs::path root = dir / "volume";
    fs::create_directories(root / "Docs");
    testing::WriteFile(root / "Docs" / "a.txt", "alpha");
    testing::WriteFile(root / "b.txt", "beta");
    return root;
}

class ReadCliErrors : public ::testing::Test {
  protected:
    testing::ScopedConfigHome config;
    TempDir dir;
};

TEST_F(ReadCliErrors, AMissingRootNamesTheSystemsReason) {
    const auto result =
        RunCommand(Cli() + " read " + Q(dir / "x.tkd") + " " + Q(dir / "nonexistent") + " 2>&1");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("Error changing to " + (dir / "nonexistent").string() +
                              ": No such file or directory."),
              std::string::npos)
        << result.out;
    EXPECT_FALSE(fs::exists(dir / "x.tkd"));
}

TEST_F(ReadCliErrors, ACatalogThatCannotBeWrittenStopsTheReadBeforeItStarts) {
    const fs::path root = MakeVolume(dir);
    // An unreadable directory in the volume would be reported if the walk ran.
    fs::create_directories(root / "Closed");
    ::chmod((root / "Closed").c_str(), 0);
    for (const fs::path& target : {dir / "missing" / "x.tkd", dir.path()}) {
        const auto result =
            RunCommand(Cli() + " read " + Q(target) + " " + Q(root) + " --crc32 2>&1");
        EXPECT_EQ(result.exitCode, 1) << result.out;
        EXPECT_NE(result.out.find("'" + target.string() + "'"), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find("Closed"), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find("Read '"), std::string::npos) << result.out;
    }
    const std::string missing = (dir / "missing" / "x.tkd").string();
    EXPECT_NE(RunCommand(Cli() + " read " + ShellQuote(missing) + " " + Q(root) + " 2>&1")
                  .out.find("cannot create a temporary file in '" + (dir / "missing").string() +
                            "' for '" + missing + "': No such file or directory"),
              std::string::npos);
    ::chmod((root / "Closed").c_str(), 0755);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

// Root reads files of mode 000 by its capabilities: then the tool runs without them.
std::string WithoutAccessOverride() {
    if (::geteuid() != 0)
        return {};
    return "setpriv --bounding-set=-dac_override,-dac_read_search ";
}

TEST_F(ReadCliErrors, UnreadablePartsAreReportedTheReadGoesOnAndTheStatusSaysSo) {
    const fs::path root = MakeVolume(dir);
    testing::WriteFile(root / "Docs" / "secret.bin", "hidden");
    fs::create_directories(root / "Closed");
    testing::WriteFile(root / "Closed" / "inside.txt", "in");
    ::chmod((root / "Docs" / "secret.bin").c_str(), 0);
    ::chmod((root / "Closed").c_str(), 0);
    const std::string prefix = WithoutAccessOverride();
    if (RunCommand(prefix + "cat " + Q(root / "Docs" / "secret.bin") + " 2>/dev/null").exitCode ==
        0) {
        ::chmod((root / "Closed").c_str(), 0755);
        GTEST_SKIP() << "files of mode 000 stay readable here";
    }
    ::chmod(dir.path().c_str(), 0777);  // the catalog's folder, for a tool without overrides
    const fs::path file = dir / "cat.tkd";
    const auto result = RunCommand(prefix + Cli() + " read " + Q(file) + " " + Q(root) +
                                   " --crc32 --name Partial 2>&1");
    ::chmod((root / "Closed").c_str(), 0755);

    EXPECT_EQ(result.exitCode, 3) << result.out;
    EXPECT_NE(result.out.find("Cannot read '" + (root / "Docs" / "secret.bin").string() +
                              "' for its checksum: Permission denied"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("Error changing to directory '" + (root / "Closed").string() +
                              "': Permission denied."),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("shelfmark-cli: 1 file and 1 directory could not be read\n"),
              std::string::npos)
        << result.out;
    // The catalog was saved with everything that could be read.
    CatalogTree tree;
    SilentPrompter prompter;
    ASSERT_TRUE(ReadCatalogFile(file.string(), tree, prompter).ok());
    const CatalogItem* a = tree.resolvePath("Partial\\Docs\\a.txt", nullptr);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->numberAttribute(attr::Crc32), 0xD0E0396Au);  // Python's zlib.crc32(b"alpha")
    const CatalogItem* secret = tree.resolvePath("Partial\\Docs\\secret.bin", nullptr);
    ASSERT_NE(secret, nullptr);
    EXPECT_FALSE(secret->hasAttribute(attr::Crc32));
    EXPECT_EQ(tree.resolvePath("Partial\\Closed", nullptr), nullptr);  // skipped
}

TEST_F(ReadCliErrors, AnUpdateFromAnotherVolumeNeedsForce) {
    const fs::path root = MakeVolume(dir);
    const fs::path file = dir / "cat.tkd";
    ASSERT_EQ(RunCommand(Cli() + " read " + Q(file) + " " + Q(root) + " --name Work").exitCode, 0);
    // The disk as if it had been read from another volume.
    {
        CatalogTree tree;
        SilentPrompter prompter;
        ASSERT_TRUE(ReadCatalogFile(file.string(), tree, prompter).ok());
        CatalogItem* disk = tree.resolvePath("Work", nullptr);
        ASSERT_NE(disk, nullptr);
        tree.setNumberAttribute(disk, attr::VolumeSerial,
                                disk->numberAttribute(attr::VolumeSerial).value_or(0) ^ 0x1234u);
        std::string error;
        ASSERT_TRUE(SaveCatalogTo(file.string(), tree, &error)) << error;
    }
    const std::string before = testing::ReadFile(file);
    fs::remove(root / "b.txt");
    const auto refused = RunCommand(Cli() + " update " + Q(file) + " Work " + Q(root) + " 2>&1");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.out.find("was read from the volume"), std::string::npos) << refused.out;
    EXPECT_NE(refused.out.find("--force"), std::string::npos) << refused.out;
    EXPECT_EQ(testing::ReadFile(file), before);

    EXPECT_EQ(RunCommand(Cli() + " update " + Q(file) + " Work " + Q(root) + " --force").exitCode,
              0);
    CatalogTree tree;
    SilentPrompter prompter;
    ASSERT_TRUE(ReadCatalogFile(file.string(), tree, prompter).ok());
    EXPECT_EQ(tree.resolvePath("Work\\b.txt", nullptr), nullptr);
    // From the same volume, no --force is needed.
    EXPECT_EQ(RunCommand(Cli() + " update " + Q(file) + " Work " + Q(root)).exitCode, 0);
}

}  // namespace
}  // namespace shelfmark
