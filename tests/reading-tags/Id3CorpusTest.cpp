// The tag reader against the truth dumps of the shared MP3 corpus. The expected record is built
// from mutagen's frame list (frame, text encoding, value) and the raw ID3v1 bytes of each dump,
// under the reader's rules: an ID3v2.3/2.4 tag at offset 0 is the only source when present,
// later frames replace earlier ones, and only ISO-8859-1 frames count unless bMP3Unicode is on.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "reading/tags/Id3Reader.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

namespace fs = std::filesystem;
using testing::CorpusDir;
using testing::ReadFile;

struct Truth {
    bool v2AtStart = false;  // an ID3v2.3/2.4 header at offset 0
    int version = 0;
    bool v2FramesListed = false;  // mutagen could parse the tag
    struct Frame {
        std::string id, label, encoding, value;
    };
    std::vector<Frame> frames;
    bool hasV1 = false;
    std::map<std::string, std::string> v1Raw;  // field -> bytes
    int v1Track = 0;
};

// Decodes a Python bytes literal body (the text between b' and ').
std::string PythonBytes(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else if (c == 'n') {
            out += '\n';
        } else if (c == 't') {
            out += '\t';
        } else if (c == 'r') {
            out += '\r';
        } else {
            out += c;
        }
    }
    return out;
}

Truth ParseTruth(const std::string& text) {
    Truth truth;
    std::istringstream in(text);
    std::string line;
    bool inDump = false;
    while (std::getline(in, line)) {
        if (line.starts_with("===== $ ")) {
            inDump = line.find("mp3dump.py") != std::string::npos;
            continue;
        }
        if (!inDump)
            continue;
        if (line.starts_with("raw ID3v2 header at offset 0: version=2.3") ||
            line.starts_with("raw ID3v2 header at offset 0: version=2.4")) {
            truth.v2AtStart = true;
            truth.version = line[line.find("version=2.") + 10] - '0';
        }
        if (line.starts_with("  frame ")) {
            // "  frame COMM:desc:eng   enc=ISO-8859-1 'COMM=desc=eng=text'"
            const size_t encAt = line.find(" enc=");
            const size_t quote = line.find('\'', encAt);
            Truth::Frame frame;
            std::istringstream label(line.substr(8, encAt - 8));
            label >> frame.label;
            frame.id = frame.label.substr(0, 4);
            frame.encoding = line.substr(encAt + 5, line.find(' ', encAt + 5) - encAt - 5);
            std::string value = line.substr(quote + 1, line.rfind('\'') - quote - 1);
            value = value.substr(value.find('=') + 1);
            if (frame.id == "COMM") {
                // label COMM:<desc>:<lang>, value <desc>=<lang>=<text>; the language may be
                // blanks or escaped zero bytes, so the text starts after the next "=".
                const size_t colon = frame.label.find(':', 5);
                const std::string desc = frame.label.substr(5, colon - 5);
                value = value.substr(value.find('=', desc.size() + 1) + 1);
            }
            frame.value = value;
            truth.frames.push_back(frame);
            truth.v2FramesListed = true;
        }
        if (line.starts_with("ID3v1: present")) {
            truth.hasV1 = true;
            const size_t at = line.find("track=");
            if (line.find("v1.1 track: yes") != std::string::npos && at != std::string::npos)
                truth.v1Track = std::stoi(line.substr(at + 6));
        }
        for (const char* field : {"title", "artist", "album", "comment"}) {
            const std::string prefix = std::string("  raw ") + field + "=b'";
            if (line.starts_with(prefix))
                truth.v1Raw[field] =
                    PythonBytes(line.substr(prefix.size(), line.size() - prefix.size() - 1));
        }
    }
    return truth;
}

std::string Latin1(std::string_view bytes) {
    std::string out;
    for (const unsigned char c : bytes) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string V1Field(std::string raw, size_t width) {
    raw = raw.substr(0, width);
    raw = raw.substr(0, raw.find('\0'));
    while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t'))
        raw.pop_back();
    return Latin1(raw);
}

int LeadingNumber(const std::string& text) {
    int n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            break;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::optional<TagRecord> Expected(const Truth& truth, bool unicode) {
    if (truth.v2AtStart) {
        TagRecord record;
        for (const Truth::Frame& frame : truth.frames) {
            if (frame.encoding != "ISO-8859-1" && !unicode)
                continue;
            // mutagen joins the values of one text frame (version 4: zero-separated) and of
            // repeated frames (version 3) with " / ". The reader keeps the text up to its
            // terminator, and a repeated frame replaces the earlier one.
            const size_t join =
                truth.version == 4 ? frame.value.find(" / ") : frame.value.rfind(" / ");
            const std::string first = join == std::string::npos ? frame.value
                                      : truth.version == 4      ? frame.value.substr(0, join)
                                                                : frame.value.substr(join + 3);
            if (frame.id == "TIT2")
                record.title = first;
            else if (frame.id == "TPE1")
                record.artist = first;
            else if (frame.id == "TALB")
                record.album = first;
            else if (frame.id == "TRCK")
                record.trackNumber = LeadingNumber(first);
            else if (frame.id == "COMM")
                record.comment = frame.value;
        }
        return record;
    }
    if (!truth.hasV1)
        return std::nullopt;
    TagRecord record;
    record.title = V1Field(truth.v1Raw.at("title"), 30);
    record.artist = V1Field(truth.v1Raw.at("artist"), 30);
    record.album = V1Field(truth.v1Raw.at("album"), 30);
    record.comment = V1Field(truth.v1Raw.at("comment"), 30);
    record.trackNumber = truth.v1Track;
    return record;
}

std::string Describe(const std::optional<TagRecord>& record) {
    if (!record)
        return "(no tag)";
    return "title='" + record->title + "' artist='" + record->artist + "' album='" + record->album +
           "' comment='" + record->comment + "' track=" + std::to_string(record->trackNumber);
}

std::vector<fs::path> CorpusFiles() {
    std::vector<fs::path> files;
    for (const char* dir : {"mp3", "generated/mp3"}) {
        const fs::path folder = CorpusDir() / dir;
        if (!fs::is_directory(folder))
            continue;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().extension() != ".txt" &&
                fs::exists(entry.path().string() + ".truth.txt"))
                files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

void CheckCorpus(bool unicode, int& compared) {
    for (const fs::path& file : CorpusFiles()) {
        const Truth truth = ParseTruth(ReadFile(file.string() + ".truth.txt"));
        if (truth.v2AtStart && !truth.v2FramesListed)
            continue;  // mutagen refused the tag: checked by hand in Id3CorpusRefusedTest
        const std::optional<TagRecord> expected = Expected(truth, unicode);
        const std::optional<TagRecord> actual = ReadTags(file.string(), TagReadOptions{unicode});
        EXPECT_EQ(Describe(expected), Describe(actual)) << file.filename();
        ++compared;
    }
}

TEST(Id3Corpus, MatchesTruthUnderLatin1Rule) {
    SHELFMARK_REQUIRE_CORPUS();
    int compared = 0;
    CheckCorpus(false, compared);
    EXPECT_GT(compared, 20);
}

TEST(Id3Corpus, MatchesTruthWithUnicodeFrames) {
    SHELFMARK_REQUIRE_CORPUS();
    int compared = 0;
    CheckCorpus(true, compared);
    EXPECT_GT(compared, 20);
}

// Tags mutagen refuses; the values come from the eyeD3 part of their truth dumps.
TEST(Id3CorpusRefused, Version4ExtendedHeadersAreSkippedByTheirOwnSize) {
    SHELFMARK_REQUIRE_CORPUS();
    const auto record = ReadTags((CorpusDir() / "mp3/mutagen_id3v24_extended_header.id3").string());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->title, "One Second of Silence");
    EXPECT_EQ(record->artist, "Snild Dolkow");
    EXPECT_EQ(record->album, "Mutagen Bug Reports");
    EXPECT_EQ(record->comment, "This is a comment!");
    EXPECT_EQ(record->trackNumber, 1);

    const auto other = ReadTags((CorpusDir() / "mp3/taglib_extended-header.mp3").string());
    ASSERT_TRUE(other);
    EXPECT_EQ(other->title, "Druids");
    EXPECT_EQ(other->artist, "Excelsis");
    EXPECT_EQ(other->album, "Vo Chrieger U Drache");
    EXPECT_EQ(other->trackNumber, 3);
}

TEST(Id3CorpusRefused, TagsLongerThanTheFileKeepTheFramesThatFit) {
    SHELFMARK_REQUIRE_CORPUS();
    for (const char* name : {"mp3/taglib_w000.mp3", "mp3/taglib_compressed_id3_frame.mp3"}) {
        const std::string truth = ReadFile(CorpusDir() / (std::string(name) + ".truth.txt"));
        const auto record = ReadTags((CorpusDir() / name).string(), TagReadOptions{true});
        ASSERT_TRUE(record) << name;
        if (!record->title.empty()) {
            EXPECT_NE(truth.find("title: " + record->title), std::string::npos) << name;
        }
        if (!record->artist.empty()) {
            EXPECT_NE(truth.find("artist: " + record->artist), std::string::npos) << name;
        }
    }
}

}  // namespace
}  // namespace shelfmark
