// The tag reader on byte layouts written out by hand, one per rule of the tag formats.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "reading/tags/Id3Reader.h"

namespace shelfmark {
namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}

void AppendSize(Bytes& out, uint32_t size, bool syncsafe) {
    for (int shift : {21, 14, 7, 0})
        out.push_back(syncsafe ? static_cast<uint8_t>((size >> shift) & 0x7F) : 0);
    if (!syncsafe) {
        out.resize(out.size() - 4);
        for (int shift : {24, 16, 8, 0})
            out.push_back(static_cast<uint8_t>(size >> shift));
    }
}

Bytes Frame(std::string_view id, uint8_t encoding, std::string_view text, uint8_t version = 3,
            uint8_t formatFlags = 0) {
    Bytes out;
    Append(out, id);
    AppendSize(out, static_cast<uint32_t>(text.size() + 1), version == 4);
    out.push_back(0);
    out.push_back(formatFlags);
    out.push_back(encoding);
    Append(out, text);
    return out;
}

Bytes Tag(uint8_t version, uint8_t flags, const std::vector<Bytes>& parts, size_t padding = 0) {
    Bytes body;
    for (const Bytes& part : parts)
        body.insert(body.end(), part.begin(), part.end());
    body.resize(body.size() + padding, 0);
    Bytes out;
    Append(out, "ID3");
    out.push_back(version);
    out.push_back(0);
    out.push_back(flags);
    AppendSize(out, static_cast<uint32_t>(body.size()), true);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// An ID3v1 tag: each field padded with zero bytes to its width.
Bytes V1(std::string_view title, std::string_view artist, std::string_view album,
         std::string_view comment30) {
    Bytes out;
    Append(out, "TAG");
    for (auto [text, width] :
         {std::pair{title, 30}, {artist, 30}, {album, 30}, {"1999", 4}, {comment30, 30}}) {
        Bytes field(static_cast<size_t>(width), 0);
        std::copy(text.begin(), text.end(), field.begin());
        out.insert(out.end(), field.begin(), field.end());
    }
    out.push_back(12);  // genre
    return out;
}

Bytes WithAudio(Bytes tag, size_t audioBytes = 400) {
    Bytes file(audioBytes, 0x55);
    file.insert(file.end(), tag.begin(), tag.end());
    return file;
}

TEST(Id3Layout, Version1_1TrackFollowsAZeroByte) {
    std::string comment(28, 'c');
    comment += '\0';
    comment += '\x07';
    const auto record = ReadTagsFromMemory(WithAudio(V1("Song", "Band", "Album", comment)));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->comment, std::string(28, 'c'));
    EXPECT_EQ(record->trackNumber, 7);
    EXPECT_EQ(record->title, "Song");
    EXPECT_EQ(record->artist, "Band");
    EXPECT_EQ(record->album, "Album");
}

TEST(Id3Layout, Version1_0FullCommentHasNoTrack) {
    const std::string comment = "123456789012345678901234567890";
    const auto record = ReadTagsFromMemory(WithAudio(V1("T", "A", "", comment)));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->comment, comment);
    EXPECT_EQ(record->trackNumber, 0);
}

TEST(Id3Layout, Version1TrailingBlanksGoAndLatin1BecomesUtf8) {
    const auto record = ReadTagsFromMemory(WithAudio(V1("Caf\xE9   ", "A  \t", "", "")));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->title, "Caf\xC3\xA9");
    EXPECT_EQ(record->artist, "A");
}

TEST(Id3Layout, FilesOf128BytesOrLessHaveNoVersion1Tag) {
    Bytes exact = V1("Song", "Band", "", "");
    EXPECT_FALSE(ReadTagsFromMemory(exact));
    EXPECT_TRUE(ReadTagsFromMemory(WithAudio(exact, 1)));
    EXPECT_FALSE(ReadTagsFromMemory(Bytes(400, 0)));
}

TEST(Id3Layout, Version2FramesAndTrackNumber) {
    const Bytes tag = Tag(3, 0,
                          {Frame("TIT2", 0, "Song"), Frame("TPE1", 0, "Band"),
                           Frame("TALB", 0, "Album"), Frame("TRCK", 0, "3/12")},
                          100);
    const auto record = ReadTagsFromMemory(tag);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->title, "Song");
    EXPECT_EQ(record->artist, "Band");
    EXPECT_EQ(record->album, "Album");
    EXPECT_EQ(record->trackNumber, 3);
}

TEST(Id3Layout, CommentSkipsLanguageAndShortDescription) {
    const Bytes tag = Tag(4, 0, {Frame("COMM", 0, std::string("engshort\0The comment", 20), 4)});
    const auto record = ReadTagsFromMemory(tag);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->comment, "The comment");
}

TEST(Id3Layout, Utf16TitleIsSkippedByDefaultAndVersion1IsNotConsulted) {
    const std::string utf16("\xFF\xFES\0o\0n\0g\0", 10);
    Bytes file = Tag(3, 0, {Frame("TIT2", 1, utf16), Frame("TPE1", 0, "Band")});
    const Bytes v1 = V1("V1 title", "V1 artist", "", "");
    file.resize(600, 0);
    file.insert(file.end(), v1.begin(), v1.end());

    const auto plain = ReadTagsFromMemory(file);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->title, "");
    EXPECT_EQ(plain->artist, "Band");

    const auto unicode = ReadTagsFromMemory(file, TagReadOptions{true});
    ASSERT_TRUE(unicode);
    EXPECT_EQ(unicode->title, "Song");
}

TEST(Id3Layout, UnicodeEncodingsDecodeToUtf8) {
    const std::string bigEndian("\0S\0\xF6", 4);                  // encoding 2, no mark
    const std::string utf8("\xE5\x90\x8D\xE5\x89\x8D");           // encoding 3
    const std::string surrogates("\xFF\xFE\x3D\xD8\x00\xDE", 6);  // U+1F600, little-endian
    const std::string comment(
        "deu\xFF\xFE"
        "d\0\0\0\xFF\xFEx\0",
        13);
    const Bytes tag = Tag(4, 0,
                          {Frame("TIT2", 2, bigEndian, 4), Frame("TPE1", 3, utf8, 4),
                           Frame("TALB", 1, surrogates, 4), Frame("COMM", 1, comment, 4)});
    const auto record = ReadTagsFromMemory(tag, TagReadOptions{true});
    ASSERT_TRUE(record);
    EXPECT_EQ(record->title, "S\xC3\xB6");
    EXPECT_EQ(record->artist, utf8);
    EXPECT_EQ(record->album, "\xF0\x9F\x98\x80");
    EXPECT_EQ(record->comment, "x");
}

TEST(Id3Layout, PaddingAndFooterEndTheWalk) {
    Bytes afterPadding = Frame("TIT2", 0, "Song");
    afterPadding.resize(afterPadding.size() + 20, 0);
    const Bytes late = Frame("TPE1", 0, "Late");
    afterPadding.insert(afterPadding.end(), late.begin(), late.end());
    auto record = ReadTagsFromMemory(Tag(3, 0, {afterPadding}));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->title, "Song");
    EXPECT_EQ(record->artist, "");

    Bytes footer = {'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 0};
    record =
        ReadTagsFromMemory(Tag(4, 0, {Frame("TIT2", 0, "A", 4), footer, Frame("TPE1", 0, "B", 4)}));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->title, "A");
    EXPECT_EQ(record->artist, "");
}

TEST(Id3Layout, Version3ExtendedHeaderWithCrc) {
    const Bytes ext = {0, 0, 0, 10, 0x80, 0, 0, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD};
    const auto record = ReadTagsFromMemory(Tag(3, 0x40, {ext, Frame("TIT2", 0, "Song")}));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->title, "Song");
}

TEST(Id3Layout, Version4SyncsafeFrameSizes) {
    // 200 bytes of text: the size 201 is 0x01 0x49 when syncsafe, 0x00 0xC9 when not.
    const std::string longTitle(200, 't');
    const auto record = ReadTagsFromMemory(
        Tag(4, 0, {Frame("TIT2", 0, longTitle, 4), Frame("TPE1", 0, "Band", 4)}));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->title, longTitle);
    EXPECT_EQ(record->artist, "Band");
}

TEST(Id3Layout, AFrameSizePastTheTagKeepsEarlierResults) {
    Bytes broken = Frame("TPE1", 0, "Band");
    broken[7] = 0x7F;  // size far beyond the tag
    const auto record = ReadTagsFromMemory(Tag(3, 0, {Frame("TIT2", 0, "Song"), broken}));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->title, "Song");
    EXPECT_EQ(record->artist, "");
}

TEST(Id3Layout, TruncatedTagKeepsTheFramesInTheFile) {
    Bytes tag = Tag(3, 0, {Frame("TIT2", 0, "Song"), Frame("TPE1", 0, "Band")}, 1000);
    tag.resize(40);  // cut inside the padding: the tag claims more than the file has
    const auto record = ReadTagsFromMemory(tag);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->title, "Song");
    EXPECT_EQ(record->artist, "Band");
}

TEST(Id3Layout, UnsynchronisedVersion3Tag) {
    // "\xFF\xFE" (a byte-order mark) is written as FF 00 FE in an unsynchronised tag.
    const std::string text("\xFF\x00\xFEH\0i\0", 7);
    Bytes frame = Frame("TIT2", 1, text);
    frame[7] = 7;  // the frame size counts the bytes after resynchronisation: 1 + 6
    const auto record = ReadTagsFromMemory(Tag(3, 0x80, {frame}), TagReadOptions{true});
    ASSERT_TRUE(record);
    EXPECT_EQ(record->title, "Hi");
}

TEST(Id3Layout, Version2_2TagsAreNotRead) {
    Bytes tag = Tag(2, 0, {Frame("TT2", 0, "Song")});
    EXPECT_FALSE(ReadTagsFromMemory(tag));
}

TEST(Id3Layout, TrackNumbersOutOfRangeGiveNone) {
    auto record = ReadTagsFromMemory(Tag(3, 0, {Frame("TRCK", 0, "300")}));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->trackNumber, 0);
    record = ReadTagsFromMemory(Tag(3, 0, {Frame("TRCK", 0, "/5")}));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->trackNumber, 0);
}

TEST(Id3Layout, MissingFileGivesNothing) {
    EXPECT_FALSE(ReadTags("/nonexistent/file.mp3"));
}

}  // namespace
}  // namespace shelfmark
