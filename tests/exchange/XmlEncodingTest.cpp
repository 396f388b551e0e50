// CdCat catalogs saved in 8-bit encodings, bytes written by hand: the names, notes and tags come
// out as UTF-8, and an encoding that cannot be read is named in the error.
#include "exchange/XmlEncoding.h"

#include <gtest/gtest.h>

#include "tests/exchange/ImportFixture.h"

namespace shelfmark {
namespace {

std::string Catalog(std::string_view encoding, std::string_view media, std::string_view comment,
                    std::string_view file) {
    return "<?xml version=\"1.0\" encoding=\"" + std::string(encoding) +
           "\"?>\n<!DOCTYPE HyperCDCatalogFile>\n<catalog name=\"c\">\n"
           "<media name=\"" +
           std::string(media) +
           "\" number=\"1\" type=\"CD\">\n"
           "<comment>" +
           std::string(comment) +
           "</comment>\n"
           "<file name=\"" +
           std::string(file) +
           "\" size=\"1.00 byte\" time=\"\">"
           "<mp3tag artist=\"" +
           std::string(file) +
           "\" title=\"t\" album=\"a\" tnum=\"1\"/>"
           "</file>\n</media>\n</catalog>\n";
}

using HcfEncodings = testing::ImportFixture;

TEST_F(HcfEncodings, EightBitCatalogsComeOutAsUtf8) {
    struct Case {
        std::string_view encoding;
        std::string_view media, comment, file;  // bytes in that encoding
        std::string_view mediaUtf8, commentUtf8, fileUtf8;
    };
    const Case cases[] = {
        // é, and the euro sign where windows-1252 has it (ISO-8859-1 is read as that code page).
        {"ISO-8859-1", "Caf\xE9", "\x80 5", "na\xEFve.mp3", "Caf\xC3\xA9", "\xE2\x82\xAC 5",
         "na\xC3\xAFve.mp3"},
        {"windows-1252", "\x93quoted\x94", "\x9Cuvre", "\xDF.txt", "\xE2\x80\x9Cquoted\xE2\x80\x9D",
         "\xC5\x93uvre", "\xC3\x9F.txt"},
        {"latin1", "\xC5ngstr\xF6m", "-", "x", "\xC3\x85ngstr\xC3\xB6m", "-", "x"},
        // š, ć, Ł: bytes that mean other letters in ISO-8859-1.
        {"ISO-8859-2", "\xB9kola", "\xE6wiczenia",
         "\xA3\xF3"
         "d\xBC.mp3",
         "\xC5\xA1kola", "\xC4\x87wiczenia",
         "\xC5\x81\xC3\xB3"
         "d\xC5\xBA.mp3"},
        // Cyrillic in KOI8-R: "мир".
        {"KOI8-R", "\xCD\xC9\xD2", "-", "f", "\xD0\xBC\xD0\xB8\xD1\x80", "-", "f"},
        // UTF-8 stays as it is.
        {"UTF-8", "Caf\xC3\xA9", "-", "f", "Caf\xC3\xA9", "-", "f"},
    };
    for (const Case& c : cases) {
        const std::string path =
            written("encoded.hcf", Catalog(c.encoding, c.media, c.comment, c.file));
        ASSERT_EQ(import({path}), EditStatus::Done) << c.encoding << ": " << failures();
        ASSERT_EQ(report.imported.size(), 1u);
        const CatalogItem* disk = report.imported[0];
        EXPECT_EQ(disk->name(), c.mediaUtf8) << c.encoding;
        EXPECT_EQ(disk->textAttribute(attr::Description), c.commentUtf8) << c.encoding;
        const CatalogItem* file = disk->firstChild();
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->name(), c.fileUtf8) << c.encoding;
        EXPECT_EQ(file->textAttribute(attr::Artist), c.fileUtf8) << c.encoding;
    }
}

TEST_F(HcfEncodings, EncodingsThatCannotBeReadAreNamed) {
    struct Case {
        std::string text;
        std::string_view expected;
    };
    const Case cases[] = {
        {Catalog("x-klingon", "m", "-", "f"),
         "line 1, column 31: the encoding 'x-klingon' is not known"},
        {Catalog("ISO-8859-1//IGNORE", "m", "-", "f"),
         "line 1, column 31: the encoding 'ISO-8859-1//IGNORE' is not known"},
        // 0xA1 is not a character of ISO-8859-6.
        {Catalog("ISO-8859-6", "a\xA1", "-", "f"),
         "line 4, column 15: bytes that are not valid 'ISO-8859-6' text"},
        // An ASCII declaration cannot honestly name a 16-bit encoding.
        {Catalog("UTF-16", "m", "-", "f"),
         "line 1, column 31: the encoding 'UTF-16' is not one a catalog file can be written in"},
    };
    for (const Case& c : cases) {
        const std::string path = written("bad.hcf", c.text);
        EXPECT_EQ(import({path}, ForeignFormat::Hcf), EditStatus::Unchanged);
        EXPECT_EQ(failures(), path + ": " + std::string(c.expected) + "\n");
    }
    EXPECT_EQ(folder->firstChild(), nullptr);
}

TEST(XmlEncoding, TheDeclarationNamesTheEncoding) {
    EXPECT_EQ(DeclaredXmlEncoding("<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?><a/>"),
              "ISO-8859-2");
    EXPECT_EQ(DeclaredXmlEncoding("\xEF\xBB\xBF<?xml version='1.0' encoding = 'cp1250' ?>"),
              "cp1250");
    EXPECT_EQ(DeclaredXmlEncoding("<?xml version=\"1.0\"?><a encoding=\"x\"/>"), "");
    EXPECT_EQ(DeclaredXmlEncoding("<a/>"), "");
    EXPECT_EQ(DeclaredXmlEncoding("<?xml version=\"1.0\" encoding=\"unterminated"), "");
    EXPECT_EQ(DeclaredXmlEncoding("<?xml version=\"1.0\" encoding?>"), "");

    // Without a declaration the bytes are taken as they are, UTF-8 or not.
    std::string utf8;
    ForeignReadError error;
    ASSERT_TRUE(XmlTextAsUtf8("<a>\xE9</a>", utf8, error));
    EXPECT_EQ(utf8, "<a>\xE9</a>");
}

}  // namespace
}  // namespace shelfmark
