// An installation into a prefix chosen at install time (`cmake --install BUILD --prefix DIR`):
// the installed program must find libdiscora and the images plug-in there by itself.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

namespace fs = std::filesystem;
using testing::RunCommand;
using testing::ShellQuote;

TEST(Install, InstalledProgramFindsItsLibraryAndPlugins) {
    if (!fs::exists(fs::path(SHELFMARK_PLUGIN_BUILD_DIR) / "hvsm_images.so"))
        GTEST_SKIP() << "hvsm_images.so was not built";
    SHELFMARK_REQUIRE_PROGRAM("cmake");
    SHELFMARK_REQUIRE_PROGRAM("convert");
    testing::ScopedConfigHome home;
    testing::TempDir prefix;
    testing::TempDir disk;
    ASSERT_EQ(RunCommand("cmake --install " + ShellQuote(testing::BinaryDir().string()) +
                         " --prefix " + ShellQuote(prefix.path().string()) + " >/dev/null")
                  .exitCode,
              0);
    ASSERT_TRUE(fs::exists(prefix / "lib/shelfmark/plugins/hvsm_images.so"));
    // Nothing points the program at the build tree.
    const std::string cli = "env -u SHELFMARK_PLUGIN_PATH -u LD_LIBRARY_PATH " +
                            ShellQuote((prefix / "bin/shelfmark-cli").string());
    EXPECT_EQ(RunCommand(cli + " --version").out, "3.30.2004\n");

    ASSERT_EQ(RunCommand("convert -size 50x20 xc:red " + ShellQuote((disk / "red.png").string()))
                  .exitCode,
              0);
    testing::TempDir work;
    const std::string catalog = ShellQuote((work / "pictures.tkd").string());
    ASSERT_EQ(RunCommand(cli + " read " + catalog + " " + ShellQuote(disk.path().string()) +
                         " --name Pictures --describe all >/dev/null")
                  .exitCode,
              0);
    const std::string dump = RunCommand(cli + " dump " + catalog).out;
    EXPECT_NE(dump.find("\"0x4B\": 50"), std::string::npos) << dump;
    EXPECT_NE(dump.find("\"0x4C\": 20"), std::string::npos) << dump;
}

}  // namespace
}  // namespace shelfmark
