// A whole disk read of a folder with pictures and MP3 files, described by the built-in provider
// and hvsm_images.so through the read's services.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "reading/engine/ReadJob.h"
#include "reading/imaging/Imaging.h"
#include "reading/providers/DescribeFile.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

namespace fs = std::filesystem;
using testing::RunCommand;
using testing::ShellQuote;

const CatalogItem* Child(const CatalogItem* parent, std::string_view name) {
    for (const CatalogItem* item = parent->firstChild(); item; item = item->next())
        if (item->name() == name)
            return item;
    return nullptr;
}

TEST(ReadWithProviders, PicturesAndMp3FilesAreDescribed) {
    const fs::path plugins = SHELFMARK_PLUGIN_BUILD_DIR;
    if (!fs::exists(plugins / "hvsm_images.so"))
        GTEST_SKIP() << "hvsm_images.so was not built";
    SHELFMARK_REQUIRE_PROGRAM("convert");
    SHELFMARK_REQUIRE_PROGRAM("identify");
    SHELFMARK_REQUIRE_PROGRAM("id3v2");
    testing::ScopedConfigHome home;
    testing::TempDir disk;
    fs::create_directories(disk / "photos");
    fs::create_directories(disk / "music");
    ASSERT_EQ(RunCommand("convert -size 640x480 plasma:fractal " +
                         ShellQuote((disk / "photos/big.jpg").string()))
                  .exitCode,
              0);
    ASSERT_EQ(
        RunCommand("convert -size 50x20 xc:red " + ShellQuote((disk / "photos/small.PNG").string()))
            .exitCode,
        0);
    testing::WriteFile(disk / "music/song.mp3", std::string(2000, '\0'));
    ASSERT_EQ(
        RunCommand("id3v2 -a Band -t Song -T 4 " + ShellQuote((disk / "music/song.mp3").string()))
            .exitCode,
        0);

    DescriptionProviders providers;
    providers.discoverPlugins({plugins.string()});
    providers.activateExtensions("all");
    StartImaging();

    CatalogTree tree;
    ReadJob job;
    job.catalog = &tree;
    job.fields.folder = tree.resetToNewCatalog();
    job.fields.name = "Disk";
    const auto facts = CollectDriveFacts(disk.path().string());
    ASSERT_TRUE(facts);
    job.drive = *facts;
    UseDescriptionProviders(job.services, providers, ThumbnailOptions{});
    ASSERT_TRUE(PrepareDisk(job));
    ASSERT_EQ(ReadThread(job), ReadOutcome::Completed);

    const CatalogItem* photos = Child(job.disk, "photos");
    const CatalogItem* music = Child(job.disk, "music");
    ASSERT_TRUE(photos && music);
    const CatalogItem* big = Child(photos, "big.jpg");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->numberAttribute(0x4B).value_or(0), 640u);
    EXPECT_EQ(big->numberAttribute(0x4C).value_or(0), 480u);
    EXPECT_EQ(big->numberAttribute(0x4D).value_or(0), 24u);
    const auto thumbnail = big->blockAttribute(kThumbnailKey);
    ASSERT_TRUE(thumbnail);
    const std::string path = (disk / "thumbnail.jpg").string();
    testing::WriteFile(
        path, std::string(reinterpret_cast<const char*>(thumbnail->data()), thumbnail->size()));
    EXPECT_EQ(RunCommand("identify -format '%m %wx%h' " + ShellQuote(path)).out, "JPEG 64x48");

    // The upper-case extension is looked up lower-cased.
    const CatalogItem* small = Child(photos, "small.PNG");
    ASSERT_TRUE(small);
    EXPECT_EQ(small->numberAttribute(0x4B).value_or(0), 50u);
    EXPECT_TRUE(small->blockAttribute(kThumbnailKey));

    const CatalogItem* song = Child(music, "song.mp3");
    ASSERT_TRUE(song);
    EXPECT_EQ(song->textAttribute(0x80).value_or(""), "Band - Song");
    EXPECT_EQ(song->textAttribute(0x86).value_or(""), "Song");
    EXPECT_EQ(song->numberAttribute(0x4A).value_or(0), 4u);
}

}  // namespace
}  // namespace shelfmark
