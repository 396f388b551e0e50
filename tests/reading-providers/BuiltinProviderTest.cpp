// The built-in provider's descriptions of MP3 files, ZIP archives, CD tracks and executables.
#include <gtest/gtest.h>

#include <string>

#include "catalog/CatalogTree.h"
#include "reading/audio/DiscInformation.h"
#include "reading/profiles/Mp3Options.h"
#include "reading/providers/DescribeFile.h"
#include "reading/tags/TagOptions.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::RunCommand;
using testing::ShellQuote;
using testing::TempDir;

// 400 bytes of "audio" and an ID3v1.1 tag, every field padded with zero bytes.
std::string Mp3WithV1(std::string_view title, std::string_view artist, std::string_view album,
                      std::string_view comment, int track) {
    std::string file(400, 'U');
    auto field = [](std::string_view text, size_t width) {
        std::string out(text.substr(0, width));
        out.resize(width, '\0');
        return out;
    };
    file += "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + "2001" +
            field(comment, 28) + '\0' + static_cast<char>(track) + '\x0C';
    return file;
}

struct Fixture {
    testing::ScopedConfigHome home;
    TempDir dir;
    CatalogTree tree;
    CatalogItem* item = nullptr;

    Fixture() { item = tree.createItem("file", tree.resetToNewCatalog(), Last, 0); }

    std::string text(uint8_t key) const {
        const auto value = item->textAttribute(key);
        return value ? std::string(*value) : "(none)";
    }
    bool describe(DescriptionProviders& providers, const std::string& path, const char* extension) {
        providers.activateExtensions("all");
        return DescribeFile(providers, path, extension, tree, item, ThumbnailOptions{});
    }
};

TEST(BuiltinProvider, Mp3WithDefaultOptions) {
    Fixture f;
    const std::string path = (f.dir / "song.mp3").string();
    testing::WriteFile(path, Mp3WithV1("Song", "Band", "", "", 0));
    f.tree.setTextAttribute(f.item, 0x8B, "Old album");
    DescriptionProviders providers;
    ASSERT_TRUE(f.describe(providers, path, "mp3"));
    EXPECT_EQ(f.text(0x80), "Band - Song");
    EXPECT_EQ(f.text(0x86), "Song");
    EXPECT_EQ(f.text(0x85), "Band");
    EXPECT_EQ(f.text(0x8B), "(none)");  // the empty album removed the old one
    EXPECT_EQ(f.text(0x89), "(none)");
    EXPECT_FALSE(f.item->numberAttribute(0x4A));
}

TEST(BuiltinProvider, Mp3WithUserFormatAndSomeFieldsOff) {
    Fixture f;
    Mp3Options options;
    options.bUserMP3ID3Format = true;
    options.UserMP3ID3Format = "%5. %1 (%3)";
    options.bMP3EIArtist = false;
    ASSERT_TRUE(SaveMp3Options(options));
    const std::string path = (f.dir / "song.mp3").string();
    testing::WriteFile(path, Mp3WithV1("Song", "Band", "Album", "Nice", 3));
    DescriptionProviders providers;
    ASSERT_TRUE(f.describe(providers, path, "mp3"));
    EXPECT_EQ(f.text(0x80), "03. Song (Album)");
    EXPECT_EQ(f.text(0x85), "(none)");
    EXPECT_EQ(f.text(0x89), "Nice");
    EXPECT_EQ(f.item->numberAttribute(0x4A).value_or(0), 3u);
}

TEST(BuiltinProvider, Mp3WithoutTagAnswersWithoutResults) {
    Fixture f;
    const std::string path = (f.dir / "plain.mp3").string();
    testing::WriteFile(path, std::string(1000, 'x'));
    DescriptionProviders providers;
    EXPECT_TRUE(f.describe(providers, path, "mp3"));
    EXPECT_TRUE(f.item->attributes().empty());
}

TEST(BuiltinProvider, Mp3UnicodeOptionComesFromTheProfile) {
    SHELFMARK_REQUIRE_PROGRAM("eyeD3");
    Fixture f;
    const std::string path = (f.dir / "utf8.mp3").string();
    std::string frame(417, '\0');  // silent MPEG-1 layer III frames, so eyeD3 sees an MP3
    frame.replace(0, 4, "\xFF\xFB\x90\x64");
    std::string audio;
    for (int i = 0; i < 10; ++i)
        audio += frame;
    testing::WriteFile(path, audio);
    ASSERT_EQ(RunCommand("eyeD3 --no-config --to-v2.4 --encoding utf8 -a 'B\xC3\xA4nd' -t Song " +
                         ShellQuote(path) + " >/dev/null 2>&1")
                  .exitCode,
              0);
    {
        // No profile yet, as on first run: Unicode frames count.
        DescriptionProviders providers;
        ASSERT_TRUE(f.describe(providers, path, "mp3"));
        EXPECT_EQ(f.text(0x80), "B\xC3\xA4nd - Song");
    }
    ASSERT_TRUE(SaveTagReadOptions(TagReadOptions{false}));
    DescriptionProviders providers;
    ASSERT_TRUE(f.describe(providers, path, "mp3"));
    EXPECT_EQ(f.text(0x80), " - ");
}

TEST(BuiltinProvider, ZipCommentBecomesTheDescription) {
    SHELFMARK_REQUIRE_PROGRAM("python3");
    Fixture f;
    const std::string plain = (f.dir / "plain.zip").string();
    const std::string streamed = (f.dir / "streamed.zip").string();
    const std::string none = (f.dir / "none.zip").string();
    // A seekable file gets sizes in its local headers; a pipe gets data descriptors.
    const std::string script =
        "import sys, zipfile\n"
        "def make(out, comment):\n"
        "    with zipfile.ZipFile(out, 'w', zipfile.ZIP_DEFLATED) as z:\n"
        "        z.writestr('a.txt', 'hello ' * 100)\n"
        "        z.writestr('dir/b.txt', 'world')\n"
        "        z.comment = comment\n"
        "make(sys.argv[1], b'Archive comment \\xe9')\n"
        "make(sys.argv[2], b'')\n"
        "make(sys.stdout.buffer, b'Streamed comment')\n";
    testing::WriteFile(f.dir / "make.py", script);
    ASSERT_EQ(
        RunCommand("python3 " + ShellQuote((f.dir / "make.py").string()) + " " + ShellQuote(plain) +
                   " " + ShellQuote(none) + " | cat > " + ShellQuote(streamed))
            .exitCode,
        0);
    DescriptionProviders providers;
    ASSERT_TRUE(f.describe(providers, plain, "zip"));
    EXPECT_EQ(f.text(0x80), "Archive comment \xC3\xA9");  // not UTF-8: taken as Windows-1252
    ASSERT_TRUE(f.describe(providers, streamed, "zip"));
    EXPECT_EQ(f.text(0x80), "Streamed comment");
    f.tree.removeAttribute(f.item, 0x80);
    ASSERT_TRUE(f.describe(providers, none, "zip"));
    EXPECT_EQ(f.text(0x80), "(none)");
}

TEST(BuiltinProvider, ZipCommentIsCutToTheTextLimit) {
    SHELFMARK_REQUIRE_PROGRAM("zip");
    Fixture f;
    const std::string archive = (f.dir / "long.zip").string();
    testing::WriteFile(f.dir / "member.txt", "data");
    testing::WriteFile(f.dir / "comment.txt", std::string(3000, 'c'));
    ASSERT_EQ(RunCommand("cd " + ShellQuote(f.dir.path().string()) +
                         " && zip -q -z long.zip member.txt < comment.txt")
                  .exitCode,
              0);
    DescriptionProviders providers;
    providers.setTextSizeMax(1);
    ASSERT_TRUE(f.describe(providers, archive, "zip"));
    // zip breaks the comment into lines; what counts is the cut at the limit less one byte.
    EXPECT_EQ(f.text(0x80).size(), 1023u);
    EXPECT_EQ(f.text(0x80).substr(0, 200), std::string(200, 'c'));
}

TEST(BuiltinProvider, CdTrackFromTheDiscInformation) {
    Fixture f;
    DiscInformation disc;
    disc.titles = {"The Album", "Intro", "Second"};
    disc.artists = {"Band", "", "Guest"};
    DescriptionProviders providers;
    providers.builtin().setDiscInformation(&disc);
    ASSERT_TRUE(f.describe(providers, "/media/cdrom/Track01.cda", "cda"));
    EXPECT_EQ(f.text(0x80), "Intro");
    providers.builtin().setTrackFormat("%1 %2 - %3");
    ASSERT_TRUE(f.describe(providers, "/media/cdrom/Track02.cda", "cda"));
    EXPECT_EQ(f.text(0x80), "02 Guest - Second");
    ASSERT_TRUE(f.describe(providers, "/media/cdrom/Track01.cda", "cda"));
    EXPECT_EQ(f.text(0x80), "01 Band - Intro");
    // Beyond the list: the disc's artist and no title.
    ASSERT_TRUE(f.describe(providers, "/media/cdrom/Track09.cda", "cda"));
    EXPECT_EQ(f.text(0x80), "09 Band - ");
}

// Each read names its tracks from its own disc: two sets of providers side by side do not see
// each other's names, and providers without names give a bare track description.
TEST(BuiltinProvider, EachReadNamesTracksFromItsOwnDisc) {
    Fixture f;
    DiscInformation first;
    first.key = 42;
    first.titles = {"Disc", "Track 1"};
    DiscInformation second;
    second.titles = {"Other", "Opening"};
    DescriptionProviders a;
    DescriptionProviders b;
    DescriptionProviders none;
    a.builtin().setDiscInformation(&first);
    b.builtin().setDiscInformation(&second);
    ASSERT_TRUE(f.describe(a, "/media/cdrom/Track01.cda", "cda"));
    EXPECT_EQ(f.text(0x80), "Track 1");
    ASSERT_TRUE(f.describe(b, "/media/cdrom/Track01.cda", "cda"));
    EXPECT_EQ(f.text(0x80), "Opening");
    first.titles[1] = "changed";  // the provider reads the job's names as they are now
    ASSERT_TRUE(f.describe(a, "/media/cdrom/Track01.cda", "cda"));
    EXPECT_EQ(f.text(0x80), "changed");
    f.tree.removeAttribute(f.item, 0x80);
    ASSERT_TRUE(f.describe(none, "/media/cdrom/Track01.cda", "cda"));
    EXPECT_FALSE(f.item->hasAttribute(0x80));
}

TEST(BuiltinProvider, ExecutableWithoutVersionRemovesTheDescription) {
    Fixture f;
    const std::string path = (f.dir / "tool.exe").string();
    testing::WriteFile(path, "MZ but nothing else");
    f.tree.setTextAttribute(f.item, 0x80, "old description");
    DescriptionProviders providers;
    ASSERT_TRUE(f.describe(providers, path, "exe"));
    EXPECT_EQ(f.text(0x80), "(none)");
}

TEST(BuiltinProvider, QueryAndUnknownCommands) {
    testing::ScopedConfigHome home;
    BuiltinProvider provider;
    char buffer[64] = {};
    ProviderRequest request{};
    request.command = SHELFMARK_COMMAND_QUERY;
    request.u.query.buffer = buffer;
    request.u.query.bufferSize = sizeof buffer;
    EXPECT_EQ(provider.command(&request), 1);
    EXPECT_STREQ(buffer, ".cda.dll.exe.zip.mp3");
    request.u.query.bufferSize = 5;
    EXPECT_EQ(provider.command(&request), 0);  // too small for the text

    ProviderRequest other{};
    other.command = 6;
    EXPECT_EQ(provider.command(&other), 1);
    other.command = 7;
    EXPECT_EQ(provider.command(&other), 0);
    other.command = SHELFMARK_COMMAND_DESCRIBE;
    other.extensionIndex = 5;
    other.u.describe.path = "x";
    EXPECT_EQ(provider.command(&other), 0);
    EXPECT_EQ(provider.command(nullptr), 0);
}

}  // namespace
}  // namespace shelfmark
