// Every archive of the shared corpus, walked as the disk read walks it, against the listings the
// real archivers made of it. Where the readers' rules give another answer than the archiver, the
// table below says what we expect and why.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "foundation/Utf8Text.h"
#include "reading/archive/ArchiveReaders.h"
#include "reading/archive/ArchiveWalkers.h"
#include "reading/archive/NameText.h"
#include "tests/reading-archive/TruthListing.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::testing {
namespace {

namespace fs = std::filesystem;

struct Deviation {
    // Entries expected: all of the archiver's (-1), none (0: the file stays a plain file), or
    // the first n in archive order (the reader stops at entry n + 1); -2: checked by its own test.
    int keep = -1;
    const char* why = "";
    bool skipCrc = false;
    std::map<std::string, std::string> renamed;  // archiver's path -> ours
};

Deviation Keep(int keep, const char* why) {
    return Deviation{keep, why, false, {}};
}
Deviation WithoutCrc(const char* why) {
    return Deviation{-1, why, true, {}};
}
Deviation Renamed(const char* why, const char* theirs, const char* ours) {
    return Deviation{-1, why, false, {{theirs, ours}}};
}

const std::map<std::string, Deviation>& Deviations() {
    static const std::map<std::string, Deviation> table = {
        // ZIP: the reader stops at a method above 10, at an MS-DOS date that does not convert
        // (all zeros mean no date), and at anything but a "PK" header.
        {"zip/Zip.none.encrypted.zip", Keep(0, "WinZip AES entries have method 99")},
        {"zip/Zip.deflate.WinzipAES.zip", Keep(2, "third entry has method 99 (AES)")},
        {"zip/Zip.bzip2.zip", Keep(2, "first file entry has method 12 (bzip2)")},
        {"zip/Zip.lzma.zip", Keep(2, "first file entry has method 14 (LZMA)")},
        {"zip/Zip.lzma.empty.zip", Keep(0, "method 14 (LZMA)")},
        {"generated/zip/7z_tzip_aes256.zip", Keep(1, "file entries have method 99 (AES)")},
        {"zip/test_compat_zip_2.zip", Keep(1, "junk bytes between the entries end the walk")},
        {"zip/test_read_format_zip.zip",
         WithoutCrc("data descriptor and central directory disagree on file2's CRC")},
        {"zip/test_read_format_zip_7075_utf8_paths.zip",
         Renamed("File 4's Unicode Path field does not match its stored name's CRC",
                 "File 4 - \xC3\xA5.txt", "File 4 - xx.txt")},
        {"rar/test_read_format_rar_symlink_huge.rar", Keep(-2, "7-Zip cannot open it")},
        // RAR 5 has another marker; 7-Zip payloads are not among the kinds probed.
        {"rar/Rar5.rar", Keep(0, "RAR 5")},
        {"rar/Rar5.solid.rar", Keep(0, "RAR 5")},
        {"rar/Rar5.comment.rar", Keep(0, "RAR 5")},
        {"rar/Large.rar", Keep(0, "RAR 5")},
        {"rar/patool_p.rar", Keep(0, "RAR 5")},
        {"rar/test_read_format_rar5_unicode.rar", Keep(0, "RAR 5")},
        {"rar/test_read_format_rar5_stored.rar", Keep(0, "RAR 5")},
        {"rar/Rar.multi.solid.part01.rar", Keep(0, "RAR 5")},
        {"rar/Rar.multi.solid.part02.rar", Keep(0, "RAR 5")},
        {"rar/Rar.multi.solid.part03.rar", Keep(0, "RAR 5")},
        {"rar/Rar.multi.solid.part04.rar", Keep(0, "RAR 5")},
        {"rar/Rar.multi.solid.part05.rar", Keep(0, "RAR 5")},
        {"rar/Rar.multi.solid.part06.rar", Keep(0, "RAR 5")},
        {"sfx/test_read_format_rar5_sfx.exe", Keep(0, "RAR 5 payload")},
        {"sfx/test_read_format_7zip_sfx_pe.exe", Keep(0, "7-Zip payload")},
        {"sfx/test_read_format_7zip_sfx_modified_pe.exe", Keep(0, "7-Zip payload")},
        {"sfx/7Zip.LZMA2.exe", Keep(0, "7-Zip payload")},
        {"generated/sfx/7zCon_sfx.exe", Keep(0, "7-Zip payload")},
        {"generated/sfx/zip_after_175KB_stub_elf.exe",
         Keep(0, "the ZIP starts after the first 131056 bytes the probe searches")},
    };
    return table;
}

struct Listed {
    std::string path;
    bool directory = false;
    uint64_t size = 0;
    std::string modified;
    std::string crc;
};

std::string LocalTime(int64_t date) {
    if (date == 0)
        return {};
    const std::time_t value = static_cast<std::time_t>(date);
    std::tm parts{};
    localtime_r(&value, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

std::vector<Listed> ListOurs(ArchiveKind kind, const fs::path& path, uint64_t offset) {
    std::vector<Listed> listed;
    archive::WalkArchive(kind, path.string(), offset, [&](const ArchiveEntry& entry) {
        Listed item;
        for (const std::string& component : entry.components)
            item.path += (item.path.empty() ? "" : "/") + component;
        item.directory = entry.isDirectory;
        item.size = entry.size;
        item.modified = LocalTime(entry.date);
        if (entry.hasCrc32)
            item.crc = Hex(entry.crc32);
        listed.push_back(item);
    });
    return listed;
}

// Further volumes of a set, found by listing the folder (independent of the readers' naming).
std::vector<fs::path> LaterVolumes(const fs::path& first, char letter) {
    std::vector<fs::path> volumes;
    const std::string stem = first.stem().string();
    for (int i = 0; i < 100; ++i) {
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, ".%c%02d", letter, i);
        const fs::path candidate = first.parent_path() / (stem + suffix);
        if (fs::exists(candidate))
            volumes.push_back(candidate);
    }
    return volumes;
}

std::string ReadTruth(const fs::path& archive) {
    return ReadFile(archive.string() + ".truth.txt");
}

// The archiver's view of an ARJ set: each volume's "arj v", the parts of one file joined; the
// directory marks and CRCs of whole files come from the same volume's 7z listing.
std::vector<TruthEntry> ArjSet(const fs::path& first) {
    std::vector<fs::path> volumes{first};
    for (const fs::path& later : LaterVolumes(first, 'a'))
        volumes.push_back(later);
    std::vector<TruthEntry> entries;
    bool joining = false;
    for (const fs::path& volume : volumes) {
        const std::string truth = ReadTruth(volume);
        const auto section = TruthSection(truth, "arj v");
        const auto sevenZip = TruthSection(truth, "7z l -slt");
        if (!section)
            break;
        const std::vector<TruthEntry> listed =
            sevenZip ? Parse7zListing(*sevenZip) : std::vector<TruthEntry>{};
        for (const TruthEntry& part : ParseArjListing(*section, true)) {
            if (part.volumeMark == '*' || part.volumeMark == '<') {
                if (joining)
                    entries.back().size += part.size;
                joining = joining && part.volumeMark == '*';
                continue;
            }
            TruthEntry entry = part;
            for (const TruthEntry& other : listed) {
                if (other.path != part.path)
                    continue;
                entry.directory = other.directory;
                if (part.volumeMark == ' ')
                    entry.crc = other.crc;
            }
            joining = part.volumeMark == '>';
            entries.push_back(entry);
        }
    }
    return entries;
}

// The ACE header dump follows a set's further volumes by itself.
std::vector<TruthEntry> AceSet(const fs::path& first) {
    std::vector<TruthEntry> entries;
    const auto section =
        TruthSection(ReadTruth(first), "/usr/bin/python3 tools/acefile.py --headers");
    if (section) {
        for (const AceHeader& header : ParseAceHeaders(*section)) {
            if (header.flags & 0x1000)  // continued from the previous volume
                continue;
            TruthEntry entry;
            std::string name;
            archive::AppendCp437AsUtf8(name, header.name);
            for (char& c : name)
                if (c == '\\')
                    c = '/';
            entry.path = name;
            entry.directory = (header.attributes & 0x10) != 0;
            entry.size = entry.directory ? 0 : header.size;
            entry.modified = header.modified;
            entry.crc = entry.directory ? "" : header.crc;
            entries.push_back(entry);
        }
    }
    return entries;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// 7-Zip prints names it cannot decode as the stored bytes; those are matched by size and CRC.
bool Undecoded(const std::string& text) {
    return !text::IsValidUtf8(text);
}

struct CorpusFile {
    std::string kind;
    std::string relative;
};

std::vector<CorpusFile> ArchiveRows() {
    std::vector<CorpusFile> rows;
    std::istringstream manifest(ReadFile(CorpusDir() / "MANIFEST.tsv"));
    std::string line;
    std::getline(manifest, line);
    static const std::set<std::string> kKinds = {"zip", "jar", "rar", "cab", "ace", "arj", "sfx"};
    while (std::getline(manifest, line)) {
        const std::string kind = line.substr(0, line.find('\t'));
        const std::string rest = line.substr(kind.size() + 1);
        const std::string file = rest.substr(0, rest.find('\t'));
        const std::string bare = kind.rfind("generated/", 0) == 0 ? kind.substr(10) : kind;
        if (kKinds.count(bare))
            rows.push_back({bare, file});
    }
    return rows;
}

class CorpusTruth : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

// Compares one archive; returns the number of entries checked.
size_t CheckArchive(const CorpusFile& row) {
    const fs::path path = CorpusDir() / row.relative;
    const std::string extension = [&] {
        std::string text = path.extension().string();
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text.empty() ? text : text.substr(1);
    }();
    std::optional<ArchiveKind> kind;
    uint64_t offset = 0;
    if (extension == "exe") {
        if (const auto found = SfxProbe(path.string(), kArchiveMaskAllKinds)) {
            kind = found->first;
            offset = found->second;
        }
    } else {
        kind = ArchiveKindForExtension(extension);
    }
    const auto deviation = Deviations().find(row.relative);
    const Deviation rule = deviation == Deviations().end() ? Deviation{} : deviation->second;
    SCOPED_TRACE(row.relative + (rule.why[0] ? std::string(" (") + rule.why + ")" : ""));

    // Further volumes (.z01, .r00, .a01, .c00) are read only through their first volume.
    if ((!kind && extension != "exe") || rule.keep == -2)
        return 0;

    const std::string truth = ReadTruth(path);
    std::vector<TruthEntry> expected;
    bool dosTimesExact = true;
    const auto sevenZip = TruthSection(truth, "7z l -slt");
    std::vector<TruthEntry> listed7z =
        sevenZip ? Parse7zListing(*sevenZip) : std::vector<TruthEntry>{};
    if (kind == ArchiveKind::Zip || kind == ArchiveKind::Jar) {
        expected = listed7z;
        // 7-Zip refuses a ZIP behind a stub whose offsets were not moved; bsdtar lists it.
        const auto bsdtar = TruthSection(truth, "bsdtar -tvf");
        if (expected.empty() && bsdtar)
            expected = ParseBsdtarListing(*bsdtar);
        // 7-Zip shows extended timestamps; the reader stores the MS-DOS time zipinfo shows.
        const auto zipinfo = TruthSection(truth, "zipinfo -v");
        const std::vector<std::string> dos =
            zipinfo ? ParseZipinfoDosTimes(*zipinfo) : std::vector<std::string>{};
        for (size_t i = 0; i < expected.size(); ++i)
            expected[i].modified = i < dos.size() && dos.size() == expected.size() ? dos[i] : "";
    } else if (kind == ArchiveKind::Rar) {
        // 7-Zip lists a file continued from an earlier volume; the reader does not.
        for (const TruthEntry& entry : listed7z)
            if (!entry.splitBefore)
                expected.push_back(entry);
        dosTimesExact = false;  // 7-Zip adds the extended time's seconds
    } else if (kind == ArchiveKind::Cab) {
        // Cabinet folders are not represented: every file sits directly under the archive.
        for (TruthEntry entry : listed7z) {
            entry.path = BaseName(entry.path);
            entry.crc.clear();
            expected.push_back(entry);
        }
    } else if (kind == ArchiveKind::Ace) {
        expected = AceSet(path);
    } else if (kind == ArchiveKind::Arj) {
        if (extension == "exe") {
            // The self-extractor's truth has only "arj l", with base names.
            const auto section = TruthSection(truth, "arj l");
            expected = section ? ParseArjListing(*section, false) : std::vector<TruthEntry>{};
        } else {
            expected = ArjSet(path);
        }
    }
    if (!kind)
        expected = listed7z;
    if (rule.keep >= 0 && static_cast<size_t>(rule.keep) < expected.size())
        expected.resize(static_cast<size_t>(rule.keep));

    const std::vector<Listed> ours = kind ? ListOurs(*kind, path, offset) : std::vector<Listed>{};
    EXPECT_EQ(ours.size(), expected.size());

    std::vector<bool> used(ours.size(), false);
    const bool baseNamesOnly = kind == ArchiveKind::Arj && extension == "exe";
    for (const TruthEntry& want : expected) {
        std::string wantPath = want.path;
        if (const auto renamed = rule.renamed.find(wantPath); renamed != rule.renamed.end())
            wantPath = renamed->second;
        const bool byContent = Undecoded(wantPath);
        size_t match = ours.size();
        for (size_t i = 0; i < ours.size() && match == ours.size(); ++i) {
            if (used[i])
                continue;
            const std::string ourPath = baseNamesOnly ? BaseName(ours[i].path) : ours[i].path;
            if (byContent ? (ours[i].size == want.size &&
                             (want.crc.empty() || ours[i].crc.empty() || ours[i].crc == want.crc))
                          : ourPath == wantPath)
                match = i;
        }
        if (match == ours.size()) {
            ADD_FAILURE() << "entry missing: " << wantPath;
            continue;
        }
        used[match] = true;
        const Listed& got = ours[match];
        SCOPED_TRACE(wantPath);
        EXPECT_EQ(got.directory, want.directory);
        if (!want.directory) {
            EXPECT_EQ(got.size, want.size);
        }
        if (!rule.skipCrc && !want.crc.empty() && !got.crc.empty()) {
            EXPECT_EQ(got.crc, want.crc);
        }
        if (!want.modified.empty() && dosTimesExact) {
            EXPECT_EQ(got.modified, want.modified);
        }
        if (!want.modified.empty() && !dosTimesExact && !got.modified.empty()) {
            std::tm a{}, b{};
            strptime(got.modified.c_str(), "%Y-%m-%d %H:%M:%S", &a);
            strptime(want.modified.c_str(), "%Y-%m-%d %H:%M:%S", &b);
            const double later = std::difftime(timegm(&b), timegm(&a));
            EXPECT_TRUE(later >= 0 && later < 2) << got.modified << " vs " << want.modified;
        }
    }
    return expected.size();
}

TEST_F(CorpusTruth, EveryArchiveMatchesItsArchiverListing) {
    SHELFMARK_REQUIRE_CORPUS();
    size_t archives = 0;
    size_t entries = 0;
    for (const CorpusFile& row : ArchiveRows()) {
        entries += CheckArchive(row);
        ++archives;
    }
    EXPECT_GT(archives, 200u);
    EXPECT_GT(entries, 600u);
}

// ZIP files as the common writers (Info-ZIP, 7-Zip, WinZip, WinRAR, Windows, macOS, Go) store
// names and times, and real odd ones (a stub in front, descriptors with signature, trailing
// junk): every entry of every one is listed as its archiver lists it, without exceptions.
TEST_F(CorpusTruth, EveryZipOfTheWritersListsCompletely) {
    SHELFMARK_REQUIRE_CORPUS();
    size_t archives = 0;
    for (const auto& file : fs::directory_iterator(CorpusDir() / "zip" / "go")) {
        if (file.path().extension() != ".zip")
            continue;
        const std::string relative = "zip/go/" + file.path().filename().string();
        EXPECT_EQ(Deviations().count(relative), 0u) << relative;
        const auto sevenZip = TruthSection(ReadTruth(file.path()), "7z l -slt");
        const auto bsdtar = TruthSection(ReadTruth(file.path()), "bsdtar -tvf");
        ASSERT_TRUE(sevenZip && bsdtar) << relative;
        const size_t listed = CheckArchive({"zip", relative});
        EXPECT_GT(listed, 0u) << relative;
        EXPECT_GE(listed, ParseBsdtarListing(*bsdtar).size()) << relative;
        ++archives;
    }
    EXPECT_EQ(archives, 28u);
}

}  // namespace
}  // namespace shelfmark::testing
