#include "catalog/XmlOutline.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "foundation/ScriptedPrompter.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::ReadFile;
using testing::RunCommand;
using testing::ShellQuote;

// Dates as "2020-09-13 12:26" in UTC, so expected lines can be written out.
class XmlOutline : public ::testing::Test {
  protected:
    XmlOutline() {
        const char* tz = std::getenv("TZ");
        savedTz_ = tz ? std::optional<std::string>(tz) : std::nullopt;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        root = tree.resetToNewCatalog();
    }
    ~XmlOutline() override {
        if (savedTz_)
            ::setenv("TZ", savedTz_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    CatalogItem* add(CatalogItem* parent, std::string_view name, uint16_t flags,
                     uint64_t size = 0) {
        CatalogItem* item = tree.createItem(name, parent, Last, flags);
        tree.setSize(item, size);
        item->setDate(1'600'000'000);
        return item;
    }
    std::string outline(std::initializer_list<const CatalogItem*> items) {
        return XmlOutlineText(tree, std::vector<const CatalogItem*>(items), dates);
    }
    void lock(CatalogItem* item) {
        const uint8_t check[16] = {1};
        tree.setBlockAttribute(item, attr::PasswordCheck, check);
    }

    CatalogTree tree;
    CatalogItem* root = nullptr;
    DateFormat dates{"%Y-%m-%d", "%H:%M"};
    static constexpr const char* kDate = "2020-09-13 12:26";

  private:
    std::optional<std::string> savedTz_;
};

TEST_F(XmlOutline, AChosenFileIsTheHeadAndOneEmptyElement) {
    const CatalogItem* file = add(root, "a.txt", 0, 12);
    EXPECT_EQ(outline({file}),
              "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\r\n"
              "\r\n"
              "<TXT-File Name=\"a.txt\" Size=\"12\" Date=\"2020-09-13 12:26\"/>\r\n");
    EXPECT_EQ(kXmlOutlineHead.substr(0, kXmlOutlineHead.find("\r\n") + 2).size(), 47u);
}

TEST_F(XmlOutline, NestingTabsLockedAndEmptyContainersAndElementNames) {
    CatalogItem* music = add(root, "A & B", itemflag::Folder, 5ull << 32);
    CatalogItem* cd = add(music, "Live", DiskFlags(MediaType::CdRom), 7);
    CatalogItem* docs = add(cd, "Docs", itemflag::Directory);
    add(docs, "x", 0, 1);
    add(music, "Empty", itemflag::Folder);
    CatalogItem* secret = add(music, "Secret", itemflag::Folder);
    add(secret, "hidden.txt", 0);
    lock(secret);
    add(music, "Stick", DiskFlags(MediaType::Removable));
    add(music, "Net", DiskFlags(MediaType::Network));
    add(music, "Tunes", DiskFlags(MediaType::AudioCd));
    add(music, "Film", DiskFlags(MediaType::VideoCd));
    add(music, "Big", DiskFlags(MediaType::HardDisk));
    add(music, "To Live", DiskFlags(MediaType::CdRom) | itemflag::Shortcut);
    add(root, "Sibling", itemflag::Folder);  // not chosen: never written

    const std::string d = std::string(" Date=\"") + kDate + "\"";
    EXPECT_EQ(outline({music}),
              std::string(kXmlOutlineHead) +
                  "<Folder Name=\"A &amp; B\" Size=\"21474836480\"" + d + ">\r\n" +
                  "\t<CD_DVD Name=\"Live\" Size=\"7\"" + d + ">\r\n" +
                  "\t\t<Directory Name=\"Docs\" Size=\"0\"" + d + ">\r\n" +
                  "\t\t\t<File Name=\"x\" Size=\"1\"" + d + "/>\r\n" +
                  "\t\t</Directory>\r\n" +
                  "\t</CD_DVD>\r\n" +
                  "\t<Folder Name=\"Empty\" Size=\"0\"" + d + "/>\r\n" +
                  "\t<Folder Name=\"Secret\" Size=\"0\"" + d + ">\r\n" +
                  "\t</Folder>\r\n" +
                  "\t<CD_DVD Name=\"Stick\" Size=\"0\"" + d + "/>\r\n" +
                  "\t<CD_DVD Name=\"Net\" Size=\"0\"" + d + "/>\r\n" +
                  "\t<Audio_CD Name=\"Tunes\" Size=\"0\"" + d + "/>\r\n" +
                  "\t<_Super__Video_CD Name=\"Film\" Size=\"0\"" + d + "/>\r\n" +
                  "\t<Hard_Disk Name=\"Big\" Size=\"0\"" + d + "/>\r\n" +
                  "\t<CD_DVD Name=\"To Live\" Size=\"0\"" + d + "/>\r\n" +
                  "</Folder>\r\n");

    // Unlocked, the folder's contents are written. Several chosen items follow one another in
    // one root element, as a document must have.
    tree.setNumberAttribute(secret, attr::Unlocked, 1);
    EXPECT_EQ(outline({secret, cd->firstChild()}),
              std::string(kXmlOutlineHead) + "<Items>\r\n" +
                  "\t<Folder Name=\"Secret\" Size=\"0\"" + d + ">\r\n" +
                  "\t\t<TXT-File Name=\"hidden.txt\" Size=\"0\"" + d + "/>\r\n" +
                  "\t</Folder>\r\n" + "\t<Directory Name=\"Docs\" Size=\"0\"" + d + ">\r\n" +
                  "\t\t<File Name=\"x\" Size=\"1\"" + d + "/>\r\n" + "\t</Directory>\r\n" +
                  "</Items>\r\n");
}

TEST_F(XmlOutline, ValuesAreWindows1252WithReferencesForTheRest) {
    EXPECT_EQ(XmlAttributeValue("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");  // é, €
    EXPECT_EQ(XmlAttributeValue("\"<a>\" & 'b'"), "&quot;&lt;a&gt;&quot; &amp; 'b'");
    EXPECT_EQ(XmlAttributeValue("\xE6\x97\xA5\xF0\x9F\x8E\xB5"), "&#26085;&#127925;");  // 日, 🎵
    EXPECT_EQ(XmlAttributeValue("a\tb\nc\rd"), "a&#9;b&#10;c&#13;d");
    // No XML 1.0 document can hold these, not even as references.
    EXPECT_EQ(XmlAttributeValue(std::string("\x01\x1F", 2)), "&#65533;&#65533;");
    EXPECT_EQ(XmlAttributeValue("\xEF\xBF\xBF"), "&#65533;");  // U+FFFF
    EXPECT_EQ(XmlAttributeValue("\xFF"), "&#65533;");          // not UTF-8
    // The C1 controls that Windows-1252 leaves unassigned are written as references.
    EXPECT_EQ(XmlAttributeValue("\xC2\x81\xC2\x9D\x7F"), "&#129;&#157;\x7F");

    EXPECT_EQ(XmlElementName("Audio CD"), "Audio_CD");
    EXPECT_EQ(XmlElementName("(Super) Video CD"), "_Super__Video_CD");
    EXPECT_EQ(XmlElementName("MP3-File"), "MP3-File");
    EXPECT_EQ(XmlElementName("7Z-File"), "_Z-File");
    EXPECT_EQ(XmlElementName("a:b"), "a_b");
    EXPECT_EQ(XmlElementName("Fichier \xC3\xA9t\xC3\xA9"), "Fichier_\xE9t\xE9");
    EXPECT_EQ(XmlElementName("\xE6\x97\xA5"), "_");
    EXPECT_EQ(XmlElementName(""), "_");
}

TEST_F(XmlOutline, ParsersReadBackEveryName) {
    SHELFMARK_REQUIRE_PROGRAM("python3");
    const std::vector<std::string> names = {
        "A & B",         "<tag>",        "say \"hi\" 'x'", "tab\there",      "line\nbreak\r\n",
        "caf\xC3\xA9",   "\xE2\x82\xAC 5", "\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9F\x8E\xB5 song",
        "\xC2\x81\xC2\x90", "]]> &amp;", "  spaced  ",  "bell\x07",       "x.\xE2\x80\xA6"};
    CatalogItem* folder = add(root, "Top", itemflag::Folder);
    CatalogItem* parent = folder;
    for (const std::string& name : names) {
        CatalogItem* item = add(parent, name, itemflag::Directory);
        add(item, name + ".weird ext\xE2\x80\xA6", 0);  // a file type name that is no XML name
        parent = item;
    }
    testing::TempDir dir;
    const std::string path = (dir / "out.xml").string();
    ScriptedPrompter prompter;
    const std::vector<const CatalogItem*> items = {folder};
    ASSERT_TRUE(WriteXmlOutline(path, tree, items, prompter, dates));
    EXPECT_TRUE(prompter.shown().empty());

    // Every Name attribute in document order, one hex-encoded UTF-8 line each.
    const testing::CommandResult parsed = RunCommand(
        "python3 -c " +
        ShellQuote("import sys, xml.etree.ElementTree as E\n"
                   "for e in E.parse(sys.argv[1]).iter(): print(e.get('Name').encode().hex())") +
        " " + ShellQuote(path));
    ASSERT_EQ(parsed.exitCode, 0);
    std::string expected;
    auto hex = [](std::string_view text) {
        static const char* digits = "0123456789abcdef";
        std::string out;
        for (unsigned char c : text) {
            out += digits[c >> 4];
            out += digits[c & 15];
        }
        return out + "\n";
    };
    // Document order: each directory, its file, then the next directory inside it.
    expected += hex("Top");
    for (const std::string& name : names) {
        // XML 1.0 holds no BEL: it comes back as U+FFFD.
        const std::string back = name == "bell\x07" ? "bell\xEF\xBF\xBD" : name;
        expected += hex(back);
        expected += hex(back + ".weird ext\xE2\x80\xA6");
    }
    EXPECT_EQ(parsed.out, expected);

    if (testing::HaveProgram("xmllint")) {
        EXPECT_EQ(RunCommand("xmllint --noout " + ShellQuote(path) + " 2>&1").exitCode, 0);
    }
    // The declaration is true: every byte above 0x7F is a Windows-1252 character, never UTF-8
    // (no lead bytes of multi-byte sequences for these names).
    const std::string bytes = ReadFile(path);
    EXPECT_EQ(bytes.find("\xE6\x97\xA5"), std::string::npos);
    EXPECT_NE(bytes.find("caf\xE9"), std::string::npos);
}

TEST_F(XmlOutline, AnUnwritableTargetIsReportedWithTheReason) {
    const CatalogItem* file = add(root, "a.txt", 0);
    testing::TempDir dir;
    const std::string path = (dir / "missing" / "out.xml").string();
    ScriptedPrompter prompter;
    const std::vector<const CatalogItem*> items = {file};
    EXPECT_FALSE(WriteXmlOutline(path, tree, items, prompter, dates));
    ASSERT_EQ(prompter.shown().size(), 1u);
    const std::string text = prompter.shown()[0].message.text;
    EXPECT_EQ(text.find("Unable to write to " + path +
                        ", it is read-only or opened by someone else."),
              0u)
        << text;
    EXPECT_NE(text.find("No such file or directory"), std::string::npos) << text;
}

TEST_F(XmlOutline, ALargeOutlineGoesOutInPiecesAndAFailedPieceStopsIt) {
    CatalogItem* folder = add(root, "Many", itemflag::Folder);
    for (int i = 0; i < 5000; ++i)
        add(folder, "file" + std::to_string(i) + ".dat", 0, uint64_t(i));
    const std::vector<const CatalogItem*> items = {folder};
    std::vector<std::string> pieces;
    ASSERT_TRUE(WriteXmlOutlineTo(
        tree, items,
        [&pieces](std::string_view piece) {
            pieces.emplace_back(piece);
            return true;
        },
        dates));
    EXPECT_GT(pieces.size(), 2u);
    std::string joined;
    for (const std::string& piece : pieces)
        joined += piece;
    EXPECT_EQ(joined, outline({folder}));
    EXPECT_NE(joined.find("\t<DAT-File Name=\"file4999.dat\" Size=\"4999\""), std::string::npos);

    int calls = 0;
    EXPECT_FALSE(WriteXmlOutlineTo(
        tree, items,
        [&calls](std::string_view) {
            ++calls;
            return false;
        },
        dates));
    EXPECT_EQ(calls, 1);
}

TEST_F(XmlOutline, TheDeepestCatalogIsWrittenWhole) {
    CatalogItem* item = root;
    for (int level = 1; level <= 40; ++level)
        item = add(item, "d" + std::to_string(level), itemflag::Directory);
    const std::string text = outline({root});
    EXPECT_NE(text.find(std::string(40, '\t') + "<Directory Name=\"d40\""), std::string::npos);
    EXPECT_NE(text.find(std::string(39, '\t') + "</Directory>\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 11), "</Folder>\r\n");
}

}  // namespace
}  // namespace shelfmark
