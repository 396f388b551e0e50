// hvsm_images.so loaded as the program loads it, on pictures made by ImageMagick; sizes and the
// produced thumbnails are checked with ImageMagick's identify.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "catalog/CatalogTree.h"
#include "reading/imaging/Imaging.h"
#include "reading/providers/DescribeFile.h"
#include "reading/providers/ManualThumbnail.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

namespace fs = std::filesystem;
using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;

// Where the build puts hvsm_images.so.
fs::path PluginFolder() {
    return SHELFMARK_PLUGIN_BUILD_DIR;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// "WIDTHxHEIGHT" of a picture as identify sees it (the first frame).
std::string Identify(const std::string& path, const char* format = "%wx%h") {
    return Trimmed(RunCommand("identify -format '" + std::string(format) + "\\n' " +
                              ShellQuote(path) + " 2>/dev/null | head -n 1")
                       .out);
}

class ImagesPlugin : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(PluginFolder() / "hvsm_images.so"))
            GTEST_SKIP() << "hvsm_images.so was not built";
        SHELFMARK_REQUIRE_PROGRAM("convert");
        SHELFMARK_REQUIRE_PROGRAM("identify");
        ASSERT_EQ(providers_.discoverPlugins({PluginFolder().string()}), 1u);
        providers_.activateExtensions("all");
        StartImaging();
        item_ = tree_.createItem("picture", tree_.resetToNewCatalog(), Last, 0);
    }

    std::string make(const std::string& name, const std::string& convertArguments) {
        const std::string path = (dir_ / name).string();
        EXPECT_EQ(RunCommand("convert " + convertArguments + " " + ShellQuote(path)).exitCode, 0)
            << name;
        return path;
    }

    uint32_t number(uint8_t key) const { return item_->numberAttribute(key).value_or(0); }

    // The stored thumbnail, written to a file for identify.
    std::string thumbnailFile() {
        const auto block = item_->blockAttribute(kThumbnailKey);
        if (!block)
            return {};
        const std::string path = (dir_ / "thumbnail.jpg").string();
        testing::WriteFile(
            path, std::string(reinterpret_cast<const char*>(block->data()), block->size()));
        return path;
    }

    testing::ScopedConfigHome home_;
    TempDir dir_;
    DescriptionProviders providers_;
    CatalogTree tree_;
    CatalogItem* item_ = nullptr;
};

TEST_F(ImagesPlugin, OffersSixExtensionsWithThumbnails) {
    std::vector<std::string> extensions;
    for (const DescriptionProvider& row : providers_.rows()) {
        if (providers_.modules()[row.module].name != "hvsm_images.so")
            continue;
        extensions.push_back(row.extension);
        EXPECT_EQ(providers_.capabilities(row).value_or(0), SHELFMARK_CAN_THUMBNAIL);
    }
    EXPECT_EQ(extensions, (std::vector<std::string>{"jpg", "jpeg", "png", "gif", "bmp", "webp"}));
}

TEST_F(ImagesPlugin, EveryFormatGivesItsSizeAndAThumbnail) {
    for (const char* extension : {"jpg", "jpeg", "png", "gif", "bmp", "webp"}) {
        const std::string path =
            make(std::string("picture.") + extension, "-size 300x200 gradient:red-blue");
        tree_.removeAttribute(item_, kThumbnailKey);
        ASSERT_TRUE(DescribeFile(providers_, path, extension, tree_, item_, ThumbnailOptions{}))
            << extension;
        EXPECT_EQ(std::to_string(number(0x4B)) + "x" + std::to_string(number(0x4C)), Identify(path))
            << extension;
        EXPECT_GT(number(0x4D), 0u) << extension;
        const std::string thumbnail = thumbnailFile();
        ASSERT_FALSE(thumbnail.empty()) << extension;
        EXPECT_EQ(Trimmed(RunCommand("file -b " + ShellQuote(thumbnail) + " | cut -d, -f1").out),
                  "JPEG image data")
            << extension;
        EXPECT_EQ(Identify(thumbnail), "64x43") << extension;
        // The colours survive: red at the top, blue at the bottom.
        const std::string top =
            Identify(thumbnail + "[1x1+32+1]", "%[fx:int(255*r)] %[fx:int(255*b)]");
        const std::string bottom =
            Identify(thumbnail + "[1x1+32+41]", "%[fx:int(255*r)] %[fx:int(255*b)]");
        int topRed = 0, topBlue = 0, bottomRed = 0, bottomBlue = 0;
        ASSERT_EQ(std::sscanf(top.c_str(), "%d %d", &topRed, &topBlue), 2) << extension << top;
        ASSERT_EQ(std::sscanf(bottom.c_str(), "%d %d", &bottomRed, &bottomBlue), 2)
            << extension << bottom;
        EXPECT_GT(topRed, 200) << extension;
        EXPECT_LT(topBlue, 60) << extension;
        EXPECT_LT(bottomRed, 60) << extension;
        EXPECT_GT(bottomBlue, 200) << extension;
    }
}

TEST_F(ImagesPlugin, ThumbnailsKeepOrDropTheAspectRatio) {
    const std::string tall = make("tall.png", "-size 120x480 xc:green");
    ThumbnailOptions options;
    options.ThumbnailSize = 96;
    ASSERT_TRUE(DescribeFile(providers_, tall, "png", tree_, item_, options));
    EXPECT_EQ(Identify(thumbnailFile()), "24x96");
    options.bProportionalThumbnails = false;
    ASSERT_TRUE(DescribeFile(providers_, tall, "png", tree_, item_, options));
    EXPECT_EQ(Identify(thumbnailFile()), "96x96");
}

TEST_F(ImagesPlugin, SmallPicturesAreNotScaled) {
    const std::string small = make("small.gif", "-size 40x30 xc:yellow");
    ASSERT_TRUE(DescribeFile(providers_, small, "gif", tree_, item_, ThumbnailOptions{}));
    EXPECT_EQ(Identify(thumbnailFile()), "40x30");
}

TEST_F(ImagesPlugin, BitDepths) {
    struct Case {
        const char* name;
        const char* arguments;
        uint32_t bits;
    };
    const Case cases[] = {
        {"grey.jpg", "-size 64x64 gradient: -colorspace Gray", 8},
        {"colour.jpg", "-size 64x64 gradient:red-blue", 24},
        {"rgb8.png", "-size 64x64 gradient:red-blue -depth 8 -define png:color-type=2", 24},
        {"rgba8.png", "-size 64x64 gradient:red-blue -alpha on -depth 8 -define png:color-type=6",
         32},
        {"palette.bmp", "-size 64x64 gradient:red-blue -colors 100 -type Palette BMP3:", 8},
        {"mono.bmp", "-size 64x64 pattern:checkerboard -monochrome BMP3:", 1},
        {"true.bmp", "-size 64x64 gradient:red-blue -type TrueColor BMP3:", 24},
        {"alpha.webp",
         "-size 64x64 gradient:red-blue -alpha on -channel A -evaluate set 50% +channel", 32},
    };
    for (const Case& c : cases) {
        std::string arguments = c.arguments;
        std::string prefix;
        if (const size_t colon = arguments.rfind(' '); arguments.ends_with(":")) {
            prefix = arguments.substr(colon + 1);
            arguments.resize(colon);
        }
        const std::string path = (dir_ / c.name).string();
        ASSERT_EQ(RunCommand("convert " + arguments + " " + prefix + ShellQuote(path)).exitCode, 0)
            << c.name;
        const std::string extension = fs::path(c.name).extension().string().substr(1);
        ASSERT_TRUE(DescribeFile(providers_, path, extension, tree_, item_, ThumbnailOptions{}))
            << c.name;
        EXPECT_EQ(number(0x4D), c.bits) << c.name;
        EXPECT_EQ(number(0x4B), 64u) << c.name;
        EXPECT_TRUE(item_->blockAttribute(kThumbnailKey)) << c.name;
    }
}

TEST_F(ImagesPlugin, DamagedFilesAreNotDescribed) {
    const std::string path = (dir_ / "broken.jpg").string();
    testing::WriteFile(path, "\xFF\xD8\xFF\xE0 not really a JPEG");
    EXPECT_FALSE(DescribeFile(providers_, path, "jpg", tree_, item_, ThumbnailOptions{}));
    const std::string png = (dir_ / "broken.png").string();
    testing::WriteFile(png, "plain text");
    EXPECT_FALSE(DescribeFile(providers_, png, "png", tree_, item_, ThumbnailOptions{}));
    EXPECT_FALSE(DescribeFile(providers_, (dir_ / "missing.gif").string(), "gif", tree_, item_,
                              ThumbnailOptions{}));
}

TEST_F(ImagesPlugin, TruncatedPicturesStillGiveTheirSize) {
    const std::string full = make("full.png", "-size 200x100 plasma:");
    const std::string bytes = testing::ReadFile(full);
    const std::string cut = (dir_ / "cut.png").string();
    testing::WriteFile(cut, bytes.substr(0, bytes.size() / 2));
    ASSERT_TRUE(DescribeFile(providers_, cut, "png", tree_, item_, ThumbnailOptions{}));
    EXPECT_EQ(number(0x4B), 200u);
    EXPECT_EQ(number(0x4C), 100u);
}

TEST_F(ImagesPlugin, WithoutThumbnailSupportOnlyTheFactsAreStored) {
    const std::string path = make("plain.jpg", "-size 100x80 xc:blue");
    StopImaging();
    ASSERT_TRUE(DescribeFile(providers_, path, "jpg", tree_, item_, ThumbnailOptions{}));
    EXPECT_EQ(number(0x4B), 100u);
    EXPECT_FALSE(item_->blockAttribute(kThumbnailKey));
    StartImaging();
}

TEST(PluginDiscovery, AFileNameFoundTwiceIsLoadedOnce) {
    if (!fs::exists(PluginFolder() / "hvsm_images.so"))
        GTEST_SKIP() << "hvsm_images.so was not built";
    testing::ScopedConfigHome home;
    TempDir copy;
    fs::copy_file(PluginFolder() / "hvsm_images.so", copy / "hvsm_images.so");
    fs::copy_file(PluginFolder() / "hvsm_images.so", copy / "hvsm_second.so");
    DescriptionProviders providers;
    EXPECT_EQ(providers.discoverPlugins({PluginFolder().string(), copy.path().string()}), 2u);
    ASSERT_EQ(providers.modules().size(), 3u);
    EXPECT_EQ(providers.modules()[1].path, (PluginFolder() / "hvsm_images.so").string());
    EXPECT_EQ(providers.modules()[2].name, "hvsm_second.so");
}

TEST_F(ImagesPlugin, ThumbnailByHandFromTheFirstCapablePlugin) {
    const std::string picture = make("Holiday.PNG", "-size 300x200 xc:orange");
    const auto bitmap = ThumbnailFromPlugins(picture, {"/nonexistent", PluginFolder().string()},
                                             ThumbnailOptions{});
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->width, 64u);
    EXPECT_EQ(bitmap->height, 43u);
    const std::string text = (dir_ / "notes.txt").string();
    testing::WriteFile(text, "no picture");
    EXPECT_FALSE(ThumbnailFromPlugins(text, {PluginFolder().string()}, ThumbnailOptions{}));
    EXPECT_FALSE(ThumbnailFromPlugins((dir_ / "noextension").string(), {PluginFolder().string()},
                                      ThumbnailOptions{}));
}

TEST(PluginHeader, CompilesAsPlainC) {
    SHELFMARK_REQUIRE_PROGRAM("cc");
    TempDir dir;
    const std::string source = (dir / "check.c").string();
    testing::WriteFile(source,
                       "#include \"shelfmark_plugin.h\"\n"
                       "int HVSMPluginCommand(ProviderRequest* r) { return r->command == 1; }\n");
    const std::string include = (testing::SourceDir() / "plugins/include").string();
    EXPECT_EQ(
        RunCommand("cc -std=c11 -Wall -Wextra -Wpedantic -Werror -c -I" + ShellQuote(include) +
                   " " + ShellQuote(source) + " -o " + ShellQuote((dir / "check.o").string()))
            .exitCode,
        0);
}

}  // namespace
}  // namespace shelfmark
