// Version descriptions of real PE files (tests/data/pe, made with the mingw-w64 binutils; see
// the README there) and of damaged ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "reading/details/VersionDescription.h"
#include "reading/details/VersionResource.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

std::string SamplePath(const char* name) {
    return (testing::SourceDir() / "tests/data/pe" / name).string();
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    const std::string text = testing::ReadFile(path);
    return {text.begin(), text.end()};
}

TEST(VersionDescriptionTest, ExecutableWithTrailingBlankInTheDescription) {
    EXPECT_EQ(VersionDescription(SamplePath("sample-tool-x64.exe")), "Sample Tool, v2.1.0.15");
}

TEST(VersionDescriptionTest, TheFirstTranslationChoosesTheStringTable) {
    EXPECT_EQ(VersionDescription(SamplePath("german-lib-x86.dll")),
              "Pr\xc3\xbc"
              "fwerkzeug f\xc3\xbcr Gr\xc3\xb6\xc3\x9f"
              "en, v10.20.30.40");
}

TEST(VersionDescriptionTest, FixedInformationOnlyGivesTheVersionAlone) {
    EXPECT_EQ(VersionDescription(SamplePath("bare-version-x64.exe")), "v1.2.3.4");
}

// The sample with its string table's language changed by hand from 0409 to 0809, so that it no
// longer matches the declared translation (0409): the description is still found.
TEST(VersionDescriptionTest, AStringTableInAnotherLanguageStillGivesTheDescription) {
    auto image = ReadBytes(SamplePath("sample-tool-x64.exe"));
    std::vector<uint8_t> key;
    for (const char c : std::string("040904"))
        key.insert(key.end(), {static_cast<uint8_t>(c), 0});
    const auto found = std::search(image.begin(), image.end(), key.begin(), key.end());
    ASSERT_NE(found, image.end());
    *(found + 2) = '8';
    const auto info = ParseVersionInfo(*FindVersionResource(MemoryByteSource(image)));
    ASSERT_TRUE(info.has_value());
    ASSERT_EQ(info->stringTables.size(), 1u);
    ASSERT_EQ(info->stringTables[0].key.substr(0, 4), "0809");
    ASSERT_EQ(info->translations.at(0).first, 0x409);
    EXPECT_EQ(VersionDescriptionFromBytes(image), "Sample Tool, v2.1.0.15");
}

// pip's Windows launcher declares en-US and stores its strings as en-GB.
TEST(VersionDescriptionTest, PipLauncherKeepsItsDescription) {
    const std::string found =
        testing::RunCommand(
            "find /usr/lib/python3 /usr/share/python-wheels /root/.pyenv -name w64.exe "
            "-path '*distlib*' 2>/dev/null | head -n 1")
            .out;
    if (found.empty())
        GTEST_SKIP() << "no pip launcher w64.exe on this system";
    const std::string path = found.substr(0, found.find('\n'));
    const std::string strings = testing::RunCommand("strings -el " + testing::ShellQuote(path)).out;
    ASSERT_NE(strings.find("Simple Launcher Executable"), std::string::npos);
    const std::string text = VersionDescription(path);
    EXPECT_EQ(text.rfind("Simple Launcher Executable, v", 0), 0u) << text;
}

TEST(VersionDescriptionTest, NoVersionResourceGivesEmptyText) {
    EXPECT_EQ(VersionDescription(SamplePath("no-version-x64.exe")), "");
}

TEST(VersionDescriptionTest, OtherFilesGiveEmptyText) {
    testing::TempDir dir;
    testing::WriteFile(dir / "empty.exe", "");
    testing::WriteFile(dir / "text.exe", "MZ this is not really an executable");
    EXPECT_EQ(VersionDescription((dir / "empty.exe").string()), "");
    EXPECT_EQ(VersionDescription((dir / "text.exe").string()), "");
    EXPECT_EQ(VersionDescription((dir / "missing.exe").string()), "");
    EXPECT_EQ(VersionDescription(dir.path().string()), "");
}

TEST(VersionDescriptionTest, MemoryImageGivesTheSameText) {
    const auto image = ReadBytes(SamplePath("sample-tool-x64.exe"));
    EXPECT_EQ(VersionDescriptionFromBytes(image), "Sample Tool, v2.1.0.15");
}

TEST(VersionResourceTest, ParsedParts) {
    const auto image = ReadBytes(SamplePath("german-lib-x86.dll"));
    const MemoryByteSource source(image);
    const auto resource = FindVersionResource(source);
    ASSERT_TRUE(resource.has_value());
    const auto info = ParseVersionInfo(*resource);
    ASSERT_TRUE(info.has_value());
    ASSERT_TRUE(info->fileVersion.has_value());
    EXPECT_EQ(info->fileVersion->first, (10u << 16) | 20u);
    EXPECT_EQ(info->fileVersion->second, (30u << 16) | 40u);
    ASSERT_EQ(info->translations.size(), 2u);
    EXPECT_EQ(info->translations[0], std::make_pair(uint16_t{0x407}, uint16_t{1252}));
    EXPECT_EQ(info->translations[1], std::make_pair(uint16_t{0x409}, uint16_t{1200}));
    ASSERT_EQ(info->stringTables.size(), 2u);
    EXPECT_EQ(info->stringTables[0].key, "040904B0");
    const std::string* english = info->findString("040904b0", "filedescription");
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(*english, "English description");
}

// A block written out by hand, with the string value's length counted in bytes (as some
// resource compilers do) and a surrogate pair in the text.
TEST(VersionResourceTest, HandWrittenBlock) {
    std::vector<uint8_t> block;
    auto u16 = [&](uint16_t value) {
        block.push_back(static_cast<uint8_t>(value));
        block.push_back(static_cast<uint8_t>(value >> 8));
    };
    auto u32 = [&](uint32_t value) {
        u16(static_cast<uint16_t>(value));
        u16(static_cast<uint16_t>(value >> 16));
    };
    auto key = [&](const char* text) {
        for (const char* c = text; *c != 0; ++c)
            u16(static_cast<uint8_t>(*c));
        u16(0);
        while (block.size() % 4 != 0)
            block.push_back(0);
    };
    auto patchLength = [&](size_t at) {
        const size_t length = block.size() - at;
        block[at] = static_cast<uint8_t>(length);
        block[at + 1] = static_cast<uint8_t>(length >> 8);
    };

    u16(0), u16(52), u16(0);  // VS_VERSION_INFO, value: 52 bytes of fixed info
    key("VS_VERSION_INFO");
    u32(0xFEEF04BD), u32(0x00010000), u32(0x00030004), u32(0x00050006);
    for (int n = 0; n < 9; ++n)
        u32(0);
    const size_t stringFileInfo = block.size();
    u16(0), u16(0), u16(1);
    key("StringFileInfo");
    const size_t table = block.size();
    u16(0), u16(0), u16(1);
    key("00000000");
    const size_t entry = block.size();
    u16(0), u16(12), u16(1);  // length in bytes: 5 characters and the NUL
    key("FileDescription");
    u16('A'), u16(0xD83D), u16(0xDE00), u16('b'), u16(' '), u16(0);
    patchLength(entry);
    while (block.size() % 4 != 0)
        block.push_back(0);
    patchLength(table);
    patchLength(stringFileInfo);
    patchLength(0);

    const auto info = ParseVersionInfo(block);
    ASSERT_TRUE(info.has_value());
    ASSERT_TRUE(info->fileVersion.has_value());
    EXPECT_EQ(info->fileVersion->first, 0x00030004u);
    EXPECT_TRUE(info->translations.empty());
    const std::string* text = info->findString("00000000", "FileDescription");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(*text,
              "A\xf0\x9f\x98\x80"
              "b ");
}

TEST(VersionResourceTest, NotAVersionBlock) {
    const std::vector<uint8_t> junk = {0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 'X', 0};
    EXPECT_FALSE(ParseVersionInfo(junk).has_value());
    EXPECT_FALSE(ParseVersionInfo({}).has_value());
}

// Every truncation and many single-byte changes of a real file must end in some text, never
// in a crash or a hang (the fuzz target goes much further).
TEST(VersionDescriptionTest, DamagedCopiesNeverCrash) {
    const auto image = ReadBytes(SamplePath("sample-tool-x64.exe"));
    for (size_t size = 0; size < image.size(); ++size)
        VersionDescriptionFromBytes(std::span(image.data(), size));
    for (size_t at = 0; at < image.size(); ++at) {
        for (const uint8_t value : {uint8_t{0x00}, uint8_t{0x7F}, uint8_t{0xFF}}) {
            auto damaged = image;
            damaged[at] = value;
            VersionDescriptionFromBytes(damaged);
        }
    }
}

// A real self-extractor from the shared corpus: its description is "7z SFX" (as strings(1)
// shows), its version the one stored after the fixed-information signature.
TEST(VersionDescriptionTest, CorpusSelfExtractor) {
    SHELFMARK_REQUIRE_CORPUS();
    const std::string path = (testing::CorpusDir() / "sfx/7Zip.LZMA2.exe").string();
    const auto image = ReadBytes(path);
    const uint8_t signature[] = {0xBD, 0x04, 0xEF, 0xFE};
    const auto found =
        std::search(image.begin(), image.end(), std::begin(signature), std::end(signature));
    ASSERT_NE(found, image.end());
    const size_t at = static_cast<size_t>(found - image.begin());
    auto word = [&](size_t offset) { return image[at + offset] | (image[at + offset + 1] << 8); };
    const std::string expected = "7z SFX, v" + std::to_string(word(10)) + "." +
                                 std::to_string(word(8)) + "." + std::to_string(word(14)) + "." +
                                 std::to_string(word(12));
    EXPECT_EQ(VersionDescription(path), expected);
}

}  // namespace
}  // namespace shelfmark
