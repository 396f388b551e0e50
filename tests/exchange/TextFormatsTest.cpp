// CdCat catalogs from the shared corpora; Virtual Volumes View exports and Katalog catalogs
// written by hand after their formats' descriptions (no real sample of either exists).
#include <gtest/gtest.h>

#include <cstdlib>

#include "exchange/HcfFormat.h"
#include "exchange/VvvFormat.h"
#include "exchange/XmlReader.h"
#include "tests/exchange/ImportFixture.h"

namespace shelfmark {
namespace {

// The dates in these files are local times; the tests read them in UTC.
class UtcZone {
  public:
    UtcZone() {
        if (const char* zone = std::getenv("TZ"))
            saved_ = zone;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    ~UtcZone() {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

  private:
    std::optional<std::string> saved_;
};

class TextFormats : public testing::ImportFixture {
  protected:
    UtcZone zone;
};

TEST_F(TextFormats, CdCatMediaBecomeDisksWithTagsCommentsAndArchives) {
    SHELFMARK_REQUIRE_CORPUS();
    ASSERT_EQ(import({testing::ImportCorpus("cdcat/odd-tree.hcf"),
                      testing::ImportCorpus("cdcat/two-media.hcf")}),
              EditStatus::Done)
        << failures();
    ASSERT_EQ(report.imported.size(), 3u);
    const CatalogItem* disc = at("Scans\\Disc 1");
    ASSERT_NE(disc, nullptr);
    EXPECT_EQ(disc->mediaType(), MediaType::CdRom);
    EXPECT_EQ(disc->numberAttribute(attr::DiskId), 1u);
    EXPECT_EQ(disc->textAttribute(attr::Description), "media comment");
    EXPECT_EQ(disc->date(), 1796720237);  // 2026-12-08 08:57:17

    const CatalogItem* mp3 = at("Scans\\Disc 1\\music\\silence 44 s.mp3");
    ASSERT_NE(mp3, nullptr);
    EXPECT_EQ(mp3->textAttribute(attr::Artist), "jzig");
    EXPECT_EQ(mp3->textAttribute(attr::Album), "Quod Libet Test Data");
    EXPECT_EQ(mp3->numberAttribute(attr::TrackNumber), 2u);
    EXPECT_EQ(mp3->textAttribute(attr::Comment), "0:3, 32 kbps\n44100Hz, Joint stereo");
    EXPECT_EQ(mp3->size(), 16384u);  // "16.00 Kb"
    EXPECT_EQ(mp3->date(), 1709642096);
    // Sizes are as exact as CdCat kept them.
    EXPECT_EQ(at("Scans\\Disc 1\\sub\\big-3.5GiB.img")->size(), 3758096384u);
    EXPECT_EQ(at("Scans\\Disc 1\\sub\\hardlinked.bin")->size(), 10004u);  // "9.77 Kb"
    EXPECT_EQ(at("Scans\\Disc 1\\sub\\old-1969.txt")->date(), -14182940);
    EXPECT_NE(at("Scans\\Disc 1\\sub\\a<b>&c.txt"), nullptr);
    // An XML parser turns the raw tab and line break of the attribute into spaces.
    EXPECT_NE(at("Scans\\Disc 1\\sub\\tab and newline.txt"), nullptr);

    const CatalogItem* tar = at("Scans\\Disc 1\\dir with spaces\\archive.tar");
    ASSERT_NE(tar, nullptr);
    EXPECT_TRUE(tar->isArchive());
    EXPECT_EQ(at("Scans\\Disc 1\\dir with spaces\\archive.tar\\inner dir\\nested\\tw\xC3\xB6.txt")
                  ->size(),
              4u);
    EXPECT_EQ(tar->size(), 10240u);

    const CatalogItem* second = at("Scans\\\xC3\x9Cn\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9 disk");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->mediaType(), MediaType::HardDisk);
    EXPECT_EQ(second->numberAttribute(attr::DiskId), 8u);
    EXPECT_EQ(second->textAttribute(attr::Description), "second media comment");
    EXPECT_EQ(at("Scans\\ncdu docs")->numberAttribute(attr::DiskId), 7u);
    EXPECT_TRUE(testing::WrongFolderSizes(document.tree()).empty());
}

TEST_F(TextFormats, CdCatFaultsAreNamedAndAddNothing) {
    SHELFMARK_REQUIRE_CORPUS();
    // The authors' own example is not well-formed XML.
    const std::string example = testing::ImportCorpus("cdcat/dbfile.def");
    EXPECT_EQ(import({example}, ForeignFormat::Hcf), EditStatus::Unchanged);
    EXPECT_EQ(failures(), example + ": line 39, column 8: expected a name\n");

    // A gzip stream cut short.
    const std::string whole = testing::ReadFile(testing::ImportCorpus("cdcat/two-media.hcf"));
    const std::string cut = written("cut.hcf", whole.substr(0, whole.size() / 2));
    EXPECT_EQ(import({cut}), EditStatus::Unchanged);
    EXPECT_NE(failures().find(cut + ": "), std::string::npos) << failures();

    const std::string sizes = written(
        "sizes.hcf",
        "<?xml version=\"1.0\"?><catalog><media name=\"m\" type=\"CD\">\n"
        "<file name=\"f\" size=\"12 parsecs\" time=\"\"/></media></catalog>");
    EXPECT_EQ(import({sizes}), EditStatus::Unchanged);
    EXPECT_EQ(failures(), sizes + ": line 2, column 1: the size '12 parsecs' is not a CdCat size\n");
    EXPECT_EQ(folder->firstChild(), nullptr);
}

TEST(HcfSizes, ReadBackToTheNearestByte) {
    EXPECT_EQ(ParseHcfSize("0.00 byte"), 0u);
    EXPECT_EQ(ParseHcfSize("41.00 byte"), 41u);
    EXPECT_EQ(ParseHcfSize("9.77 Kb"), 10004u);
    EXPECT_EQ(ParseHcfSize("1.50 Mb"), 1572864u);
    EXPECT_EQ(ParseHcfSize("2.00 Tb"), 2199023255552u);
    EXPECT_EQ(ParseHcfSize("1.1 Mb"), 1153434u);
    for (const char* bad : {"", "12", "-1.00 Kb", "1.00 kb", "1e3 byte", "1.00  Kb", "nan byte"})
        EXPECT_EQ(ParseHcfSize(bad), std::nullopt) << bad;
}

TEST(XmlReader, WellFormednessWithLineAndColumn) {
    xml::ParseError error;
    std::optional<xml::Element> root = xml::Parse(
        "<?xml version=\"1.0\"?>\n<!DOCTYPE x>\n<!-- c -->\n<a k='1 &amp;&#65;&#x42;\tz'>t<b/>"
        "<![CDATA[<raw>]]>&lt;</a>\n",
        error);
    ASSERT_TRUE(root) << error.message;
    EXPECT_EQ(root->name, "a");
    EXPECT_EQ(root->attribute("k"), "1 &AB z");
    EXPECT_EQ(root->text, "t<raw><");
    ASSERT_EQ(root->children.size(), 1u);
    EXPECT_EQ(root->children[0].name, "b");

    struct Case {
        const char* text;
        size_t line, column;
    };
    const Case cases[] = {
        {"<a><b></a>", 1, 10},       {"<a k=1/>", 1, 6},          {"<a k='1' k='2'/>", 1, 15},
        {"<a>&nope;</a>", 1, 4},     {"<a>", 1, 4},               {"<a/><b/>", 1, 5},
        {"<a k='<'/>", 1, 7},        {"\n\n  x", 3, 3},           {"<a>&#0;</a>", 1, 4},
        {"<!DOCTYPE a [<!ENTITY e 'x'>]><a/>", 1, 1},              {"<a k='1'k='2'/>", 1, 9},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(xml::Parse(c.text, error)) << c.text;
        EXPECT_EQ(error.line, c.line) << c.text << ": " << error.message;
        EXPECT_EQ(error.column, c.column) << c.text << ": " << error.message;
    }
    EXPECT_FALSE(xml::Parse(std::string(10000, '<'), error));
    std::string deep;
    for (int i = 0; i < 1000; ++i)
        deep += "<a>";
    EXPECT_FALSE(xml::Parse(deep, error));
    EXPECT_NE(error.message.find("deeper"), std::string::npos);
}

TEST_F(TextFormats, VirtualVolumesViewRowsBuildDisksAndFolders) {
    const std::string physical = written(
        "export.csv",
        "Volume,Path,Name,Size,Ext,Last modified,Description\r\n"
        "\"Photos 2019\",\"\",\"index.txt\",120,\"txt\",03/05/24 12:34:56,\"\"\r\n"
        "\"Photos 2019\",\"/beach/day 1\",\"a \"\"b\"\".jpg\",2048,\"jpg\",2024-03-05 12:34:56,\"sunset\"\r\n"
        "\"Photos 2019\",\"/beach\",\"c.jpg\",4096,\"jpg\",05.03.2024 12:34:56,\"\"\r\n"
        "\"Backup\",\"\\docs\",\"r.doc\",10,\"doc\",3/5/2024 12:34:56 PM,\"\"\r\n"
        "\"Backup\",\"\",\"odd\",1,\"\",sometime,\"\"\r\n");
    ASSERT_EQ(import({physical}), EditStatus::Done) << failures();
    ASSERT_EQ(report.imported.size(), 2u);
    const CatalogItem* photos = at("Scans\\Photos 2019");
    ASSERT_NE(photos, nullptr);
    EXPECT_EQ(photos->size(), 120u + 2048 + 4096);
    const CatalogItem* ab = at("Scans\\Photos 2019\\beach\\day 1\\a \"b\".jpg");
    ASSERT_NE(ab, nullptr);
    EXPECT_EQ(ab->textAttribute(attr::Description), "sunset");
    for (const char* path : {"Scans\\Photos 2019\\index.txt",
                             "Scans\\Photos 2019\\beach\\day 1\\a \"b\".jpg",
                             "Scans\\Photos 2019\\beach\\c.jpg", "Scans\\Backup\\docs\\r.doc"})
        EXPECT_EQ(at(path)->date(), 1709642096) << path;
    EXPECT_EQ(at("Scans\\Backup\\odd")->date(), 0);  // a date form no locale of ours writes

    // The virtual layout, tab-separated, without a header.
    const std::string virtualExport = written(
        "virtual.tsv", "\"x.mkv\"\t700\t\"mkv\"\t2024-03-05 12:34:56\t\"Films/new\"\t\"\"\n");
    ASSERT_EQ(import({virtualExport}, ForeignFormat::Vvv), EditStatus::Done) << failures();
    EXPECT_EQ(at("Scans\\Films\\new\\x.mkv")->size(), 700u);
}

TEST_F(TextFormats, VirtualVolumesViewFaults) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"\"v\",\"\",\"n\",12x,\"\",,\"\"\n", "line 1: the size '12x' is not a whole number of bytes"},
        {"\"v\",\"\",\"n\",1,\"\",,\"\"\n\"v\",\"\",\"n\",1,\"\"\n", "line 2: expected 7 fields, found 5"},
        {"\"v\",\"\",\"n\",1,\"\",,\"\"\n\"v\",\"\",\"n\n", "line 3: a quoted field is not closed"},
        {"\"v\",\"\",\"n\"x,1,\"\",,\"\"\n", "line 1: text after a closing quote"},
        {"a,b\n", "line 1: not a Virtual Volumes View export (expected 7 or 6 fields)"},
        {"Volume,Path,Name,Size,Ext,Last modified,Description\n", "the export lists no files"},
    };
    for (const Case& c : cases) {
        const std::string path = written("bad.csv", c.text);
        EXPECT_EQ(import({path}, ForeignFormat::Vvv), EditStatus::Unchanged) << c.text;
        EXPECT_EQ(failures(), path + ": " + c.expected + "\n");
    }
    EXPECT_EQ(ParseVvvDate("12/31/69 11:59:59 PM"), -1);
    EXPECT_EQ(ParseVvvDate("1969-12-31 23:59:59"), -1);
    EXPECT_EQ(ParseVvvDate("12/31/69 12:00:00 AM"), -86400);
    EXPECT_EQ(ParseVvvDate("2024-02-30 00:00:00").has_value(), true);  // mktime normalises
    EXPECT_EQ(ParseVvvDate("2024-13-01 00:00:00"), std::nullopt);
    EXPECT_EQ(ParseVvvDate("13:00 2024-01-01"), std::nullopt);
}

TEST_F(TextFormats, KatalogIndexFilesBecomeOneDisk) {
    const std::string index = written(
        "Holiday photos.idx",
        "<catalogSourcePath>/home/ann/Pictures\n<catalogFileCount>4\n<catalogTotalFileSize>4126\n"
        "<catalogIncludeHidden>false\n<catalogFileType>All\n<catalogStorage>Disk A\n"
        "<catalogIncludeSymblinks>false\n<catalogIsFullDevice>false\n"
        "<catalogIncludeMetadata>false\n<catalogAppVersion>2.1\n<catalogID>3\n"
        "/home/ann/Pictures/beach/a.jpg\t4000\t2024/03/05 12:34:56\n"
        "/home/ann/Pictures/b.png\t100\t2024/03/05 12:34:56\n"
        "/home/ann/Pictures/beach/day 2/c.jpg\t26\t\n"
        "/elsewhere/old.txt\n");
    ASSERT_EQ(import({index}), EditStatus::Done) << failures();
    const CatalogItem* disk = at("Scans\\Holiday photos");
    ASSERT_NE(disk, nullptr);
    EXPECT_EQ(disk->size(), 4126u);
    EXPECT_EQ(at("Scans\\Holiday photos\\beach\\a.jpg")->date(), 1709642096);
    EXPECT_EQ(at("Scans\\Holiday photos\\beach\\day 2\\c.jpg")->date(), 0);
    EXPECT_EQ(at("Scans\\Holiday photos\\elsewhere\\old.txt")->size(), 0u);

    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"<catalogSourcePath>/x\n/x/a\tbig\t\n", "line 2: the size 'big' is not a whole number of bytes"},
        {"<catalogSourcePath>/x\n/x/a\t1\t2024-03-05 12:34:56\n",
         "line 2: the date '2024-03-05 12:34:56' is not yyyy/MM/dd hh:mm:ss"},
        {"<catalogSourcePath>/x\n/x/\t1\t\n", "line 2: a line without a file name"},
        {"1\t/home/ann\n", "line 1: not a Katalog catalog (expected the <catalogSourcePath> header)"},
        {"<catalogSourcePath /x\n", "line 1: a header line without '>'"},
    };
    for (const Case& c : cases) {
        const std::string path = written("bad.idx", c.text);
        EXPECT_EQ(import({path}, ForeignFormat::Katalog), EditStatus::Unchanged) << c.text;
        EXPECT_EQ(failures(), path + ": " + c.expected + "\n");
    }
}

}  // namespace
}  // namespace shelfmark
