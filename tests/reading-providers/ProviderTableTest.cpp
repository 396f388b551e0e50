// Rows, the profile keys that tick them, and the extension-to-provider map.
#include <gtest/gtest.h>

#include <cstring>

#include "reading/providers/DescriptionProviders.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

ProviderFunction Offering(const char* extensions, int* describedBy = nullptr, int id = 0) {
    return [extensions, describedBy, id](ProviderRequest* request) {
        if (request->command == SHELFMARK_COMMAND_QUERY) {
            std::strcpy(request->u.query.buffer, extensions);
            return 1;
        }
        if (request->command == SHELFMARK_COMMAND_DESCRIBE && describedBy)
            *describedBy = id;
        return request->command == SHELFMARK_COMMAND_DESCRIBE ? 1 : 0;
    };
}

TEST(ProviderTable, BuiltinRowsComeFirst) {
    testing::ScopedConfigHome home;
    DescriptionProviders providers;
    ASSERT_EQ(providers.rows().size(), 5u);
    const char* expected[] = {"cda", "dll", "exe", "zip", "mp3"};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(providers.rows()[i].extension, expected[i]);
        EXPECT_EQ(providers.rows()[i].extensionIndex, i);
        EXPECT_EQ(providers.modules()[providers.rows()[i].module].name, "Shelfmark.exe");
    }
}

TEST(ProviderTable, FreshProfileTicksOnlyCda) {
    testing::ScopedConfigHome home;
    DescriptionProviders providers;
    providers.applySelection(ReadOptions{});
    EXPECT_NE(providers.providerFor("cda"), nullptr);
    for (const char* other : {"dll", "exe", "zip", "mp3"})
        EXPECT_EQ(providers.providerFor(other), nullptr) << other;
}

TEST(ProviderTable, ProfileKeysTickRowsAndComeBack) {
    testing::ScopedConfigHome home;
    DescriptionProviders providers;
    ASSERT_TRUE(providers.addProvider("hvsm_images.so", Offering(".jpg.png"), "/x/hvsm_images.so"));
    ReadOptions options;
    options.setProvider("Shelfmark.exe", "0,4");
    options.setProvider("hvsm_images.so", "1");
    providers.applySelection(options);
    EXPECT_NE(providers.providerFor("cda"), nullptr);
    EXPECT_NE(providers.providerFor("mp3"), nullptr);
    EXPECT_EQ(providers.providerFor("zip"), nullptr);
    EXPECT_EQ(providers.providerFor("jpg"), nullptr);
    ASSERT_NE(providers.providerFor("png"), nullptr);

    ReadOptions stored;
    providers.storeSelection(stored);
    ASSERT_NE(stored.findProvider("Shelfmark.exe"), nullptr);
    EXPECT_EQ(stored.findProvider("Shelfmark.exe")->indexes, "0,4");
    ASSERT_NE(stored.findProvider("hvsm_images.so"), nullptr);
    EXPECT_EQ(stored.findProvider("hvsm_images.so")->indexes, "1");
    EXPECT_EQ(providers.pluginModuleNames(), std::vector<std::string>{"hvsm_images.so"});
}

TEST(ProviderTable, LaterTickedRowWinsTheExtension) {
    testing::ScopedConfigHome home;
    DescriptionProviders providers;
    int describedBy = 0;
    providers.addProvider("hvsm_a.so", Offering(".jpg", &describedBy, 1), "/a");
    providers.addProvider("hvsm_b.so", Offering(".gif.jpg", &describedBy, 2), "/b");
    providers.activateExtensions("jpg");
    const DescriptionProvider* row = providers.providerFor("jpg");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(providers.modules()[row->module].name, "hvsm_b.so");
    EXPECT_EQ(row->extensionIndex, 1);
    providers.describe(*row, "x.jpg", 64);
    EXPECT_EQ(describedBy, 2);

    // Unticking the lower row gives the extension back to the upper one.
    for (size_t i = 0; i < providers.rows().size(); ++i)
        if (providers.modules()[providers.rows()[i].module].name == "hvsm_b.so")
            providers.setActive(i, false);
    providers.rebuildMap();
    ASSERT_NE(providers.providerFor("jpg"), nullptr);
    EXPECT_EQ(providers.modules()[providers.providerFor("jpg")->module].name, "hvsm_a.so");
}

TEST(ProviderTable, LookupsAreExact) {
    testing::ScopedConfigHome home;
    DescriptionProviders providers;
    providers.activateExtensions("all");
    EXPECT_NE(providers.providerFor("mp3"), nullptr);
    EXPECT_EQ(providers.providerFor("MP3"), nullptr);
    EXPECT_EQ(providers.providerFor(""), nullptr);
}

TEST(ProviderTable, QueryTextSplitsAtDotsAndAFailedQueryAddsNothing) {
    testing::ScopedConfigHome home;
    DescriptionProviders providers;
    EXPECT_TRUE(providers.addProvider("hvsm_x.so", Offering("..a..b.c."), "/x"));
    EXPECT_FALSE(providers.addProvider(
        "hvsm_y.so", [](ProviderRequest*) { return 0; }, "/y"));
    ASSERT_EQ(providers.rows().size(), 8u);
    EXPECT_EQ(providers.rows()[5].extension, "a");
    EXPECT_EQ(providers.rows()[7].extension, "c");
    EXPECT_EQ(providers.rows()[7].extensionIndex, 2);
    EXPECT_EQ(providers.modules().size(), 2u);
}

TEST(ProviderTable, AQueryThatFillsTheWholeBufferStaysInside) {
    testing::ScopedConfigHome home;
    DescriptionProviders providers;
    providers.addProvider(
        "hvsm_full.so",
        [](ProviderRequest* request) {
            std::memset(request->u.query.buffer, 'x',
                        request->u.query.bufferSize);  // no terminator
            return 1;
        },
        "/f");
    ASSERT_EQ(providers.rows().size(), 6u);
    EXPECT_EQ(providers.rows()[5].extension.size(), SHELFMARK_QUERY_BUFFER_SIZE - 1u);
}

TEST(ProviderTable, BuiltinCapabilities) {
    testing::ScopedConfigHome home;
    DescriptionProviders providers;
    for (const DescriptionProvider& row : providers.rows()) {
        const auto flags = providers.capabilities(row);
        ASSERT_TRUE(flags);
        const bool configurable = row.extension == "cda" || row.extension == "mp3";
        EXPECT_EQ(*flags, configurable ? SHELFMARK_CAN_CONFIGURE : 0) << row.extension;
    }
    // No dialogs without a desktop program.
    EXPECT_FALSE(providers.configure(providers.rows()[4]));
    EXPECT_FALSE(providers.about(providers.rows()[0]));
    bool configured = false;
    providers.builtin().setConfigureHandler([&](uint16_t index) {
        configured = index == 4;
        return true;
    });
    EXPECT_TRUE(providers.configure(providers.rows()[4]));
    EXPECT_TRUE(configured);
}

TEST(ProviderTable, DiscoverySkipsBrokenAndForeignFiles) {
    testing::ScopedConfigHome home;
    testing::TempDir dir;
    testing::WriteFile(dir / "hvsm_broken.so", "this is no shared object");
    testing::WriteFile(dir / "other.so", "not a plug-in name");
    DescriptionProviders providers;
    EXPECT_EQ(providers.discoverPlugins({dir.path().string(), "/nonexistent/folder"}), 0u);
    EXPECT_EQ(providers.modules().size(), 1u);
}

TEST(ProviderTable, PluginDirectoriesInOrder) {
    testing::ScopedConfigHome home;
    setenv(kPluginPathVariable, "/first:/second", 1);
    const std::vector<std::string> directories = PluginDirectories();
    unsetenv(kPluginPathVariable);
    ASSERT_EQ(directories.size(), 4u);
    EXPECT_EQ(directories[0], "/first");
    EXPECT_EQ(directories[1], "/second");
    EXPECT_TRUE(directories[2].ends_with("/lib/shelfmark/plugins"));
    EXPECT_EQ(directories[3], (home.configDir() / "plugins").string());
}

}  // namespace
}  // namespace shelfmark
