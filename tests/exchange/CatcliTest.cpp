// catcli catalogs from the shared corpora and gocatcli catalogs written by hand after its
// format's description.
#include <gtest/gtest.h>

#include "tests/exchange/ImportFixture.h"

namespace shelfmark {
namespace {

using CatcliImport = testing::ImportFixture;

TEST_F(CatcliImport, StoragesBecomeDisksWithArchivesChecksumsAndNotes) {
    SHELFMARK_REQUIRE_CORPUS();
    ASSERT_EQ(import({testing::ImportCorpus("catcli/generated-v1.0_odd.catalog.json")}),
              EditStatus::Done)
        << failures();
    ASSERT_EQ(report.imported.size(), 2u);
    const CatalogItem* odd = at("Scans\\odd");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->textAttribute(attr::Description), "shelf 3, box \"B\"");
    EXPECT_EQ(odd->date(), 1796719970);
    // catcli's own total of the storage's files.
    EXPECT_EQ(odd->size(), 1072441u);
    EXPECT_EQ(at("Scans\\second")->size(), 14u);

    const CatalogItem* zip = at("Scans\\odd\\sub\\archive.zip");
    ASSERT_NE(zip, nullptr);
    EXPECT_TRUE(zip->isArchive());
    EXPECT_EQ(zip->size(), 566u);
    EXPECT_NE(at("Scans\\odd\\sub\\archive.zip\\inner dir\\one.txt"), nullptr);
    // tar's "./" member adds no level.
    EXPECT_NE(at("Scans\\odd\\dir with spaces\\archive.tar.gz\\inner dir\\nested\\tw\xC3\xB6.txt"),
              nullptr);
    EXPECT_EQ(at("Scans\\odd\\dir with spaces\\archive.tar.gz\\."), nullptr);

    const CatalogItem* old = at("Scans\\odd\\sub\\old-1969.txt");
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->date(), -14182940);
    EXPECT_EQ(old->textAttribute(attr::Md5), "814fa5ca98406a903e22b43d9b610105");
    // Python's escaped byte enters as a name read from a disk does.
    EXPECT_NE(at("Scans\\odd\\sub\\latin1-\xC3\xA9t\xC3\xA9.txt"), nullptr);
    // Indexed without checksums: no MD5 at all.
    EXPECT_FALSE(at("Scans\\second\\na\xC3\xAFve caf\xC3\xA9.txt")->hasAttribute(attr::Md5));
    EXPECT_TRUE(testing::WrongFolderSizes(document.tree()).empty());
}

TEST_F(CatcliImport, OlderAndUpstreamCatalogsToo) {
    SHELFMARK_REQUIRE_CORPUS();
    ASSERT_EQ(import({testing::ImportCorpus("catcli/upstream-v0.9.6_github.catalog.json")},
                     ForeignFormat::Catcli),
              EditStatus::Done)
        << failures();
    EXPECT_EQ(at("Scans\\github\\workflows\\testing.yml")->size(), 802u);
    EXPECT_EQ(at("Scans\\github")->size(), 1510u);  // the storage's own total
    ASSERT_EQ(import({testing::ImportCorpus("catcli/generated-v0.9.6_odd.catalog.json"),
                      testing::ImportCorpus("catcli/upstream-v1.0_github.catalog.json")}),
              EditStatus::Done)
        << failures();
    EXPECT_EQ(report.imported.size(), 2u);
    EXPECT_EQ(report.imported[1]->size(), 1662u);
    // A catcli file is no gocatcli file, and the reverse.
    EXPECT_EQ(import({testing::ImportCorpus("catcli/upstream-v1.0_github.catalog.json")},
                     ForeignFormat::Gocatcli),
              EditStatus::Unchanged);
    EXPECT_NE(failures().find("line 1, column 1: not a gocatcli catalog"), std::string::npos)
        << failures();
}

constexpr std::string_view kGocatcli = R"({
  "storages": [
    {
      "id": 1838016391,
      "name": "usb stick",
      "path": "/media/usb",
      "size": 32,
      "free": 0,
      "total": 0,
      "ts": 1700000000,
      "type": "storage",
      "tags": ["blue"],
      "meta": "drawer 2",
      "nb_files": 3,
      "children": [
        {
          "id": "",
          "name": "docs",
          "relpath": "docs",
          "md5": "",
          "filetype": "dir",
          "size": 10,
          "maccess": 1600000000,
          "children": [
            {
              "id": "",
              "name": "a \u003cb\u003e.txt",
              "relpath": "docs/a \u003cb\u003e.txt",
              "md5": "0123456789ABCDEF0123456789abcdef",
              "filetype": "file",
              "size": 10,
              "maccess": 1600000001,
              "children": null,
              "mode": "-rw-r--r--",
              "mime": "",
              "extra": ""
            }
          ]
        },
        {
          "id": "",
          "name": "pack.zip",
          "relpath": "pack.zip",
          "md5": "",
          "filetype": "archive",
          "size": 22,
          "maccess": 1600000002,
          "children": [
            {"id": "", "name": "inner/deep/b.txt", "relpath": "pack.zip", "md5": "",
             "filetype": "archived", "size": 5, "maccess": 0, "children": null},
            {"id": "", "name": "inner/", "relpath": "pack.zip", "md5": "",
             "filetype": "archived", "size": 0, "maccess": 0, "children": null,
             "mode": "drwxr-xr-x"},
            {"id": "", "name": "c.txt", "relpath": "pack.zip", "md5": "",
             "filetype": "archived", "size": 7, "maccess": 0, "children": null}
          ]
        }
      ]
    }
  ],
  "tool": "gocatcli - https://github.com/deadc0de6/gocatcli",
  "version": "1.1.3",
  "created": 1700000000,
  "updated": 1700000000,
  "note": ""
})";

TEST_F(CatcliImport, GocatcliStoragesAndFlatArchiveMembers) {
    ASSERT_EQ(import({written("gocatcli.catalog", kGocatcli)}), EditStatus::Done) << failures();
    const CatalogItem* disk = at("Scans\\usb stick");
    ASSERT_NE(disk, nullptr);
    EXPECT_EQ(disk->textAttribute(attr::Description), "drawer 2");
    EXPECT_EQ(disk->date(), 1700000000);
    EXPECT_EQ(disk->size(), 32u);
    const CatalogItem* a = at("Scans\\usb stick\\docs\\a <b>.txt");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->textAttribute(attr::Md5), "0123456789abcdef0123456789abcdef");
    EXPECT_EQ(a->date(), 1600000001);
    EXPECT_TRUE(at("Scans\\usb stick\\pack.zip")->isArchive());
    EXPECT_EQ(at("Scans\\usb stick\\pack.zip\\inner\\deep\\b.txt")->size(), 5u);
    EXPECT_EQ(at("Scans\\usb stick\\pack.zip\\c.txt")->size(), 7u);
    // The directory member and the path of b.txt name the same "inner".
    EXPECT_EQ(testing::FileSizes(at("Scans\\usb stick\\pack.zip")).size(), 2u);
}

// The same catalog as gocatcli writes it with its TOML backend (BurntSushi's encoder: plain
// keys first, then arrays of tables indented by level; nil lists left out, empty ones as []).
constexpr std::string_view kGocatcliToml =
    R"(tool = "gocatcli - https://github.com/deadc0de6/gocatcli"
version = "1.1.3"
created = 1700000000
updated = 1700000000
note = ""

[[storages]]
  id = 1838016391
  name = "usb stick"
  path = "/media/usb"
  size = 32
  free = 0
  total = 0
  ts = 1700000000
  type = "storage"
  tags = ["blue"]
  meta = "drawer 2"
  nb_files = 3

  [[storages.children]]
    id = ""
    name = "docs"
    relpath = "docs"
    md5 = ""
    filetype = "dir"
    size = 10
    maccess = 1600000000

    [[storages.children.children]]
      id = ""
      name = "a <b>.txt"
      relpath = "docs/a <b>.txt"
      md5 = "0123456789ABCDEF0123456789abcdef"
      filetype = "file"
      size = 10
      maccess = 1600000001
      mode = "-rw-r--r--"
      mime = ""
      extra = ""

  [[storages.children]]
    id = ""
    name = "pack.zip"
    relpath = "pack.zip"
    md5 = ""
    filetype = "archive"
    size = 22
    maccess = 1600000002

    [[storages.children.children]]
      id = ""
      name = "inner/deep/b.txt"
      relpath = "pack.zip"
      md5 = ""
      filetype = "archived"
      size = 5
      maccess = 0
      children = []

    [[storages.children.children]]
      id = ""
      name = "inner/"
      relpath = "pack.zip"
      md5 = ""
      filetype = "archived"
      size = 0
      maccess = 0
      mode = "drwxr-xr-x"

    [[storages.children.children]]
      id = ""
      name = "c.txt"
      relpath = "pack.zip"
      md5 = ""
      filetype = "archived"
      size = 7
      maccess = 0
)";

// Everything an import keeps of the disks of the last import, one line per item.
std::string Dump(const std::vector<CatalogItem*>& disks) {
    std::string out;
    auto line = [&](const CatalogItem& item, const std::string& path) {
        out += path + " size=" + std::to_string(item.size()) +
               " date=" + std::to_string(item.date()) +
               " archive=" + std::to_string(item.isArchive()) +
               " md5=" + std::string(item.textAttribute(attr::Md5).value_or("")) +
               " note=" + std::string(item.textAttribute(attr::Description).value_or("")) + "\n";
    };
    for (const CatalogItem* disk : disks) {
        line(*disk, std::string(disk->name()));
        WalkBelow(disk, EnterAll, [&](CatalogItem& item) {
            std::string path(item.name());
            for (const CatalogItem* up = item.parent(); up; up = up->parent()) {
                path = std::string(up->name()) + "/" + path;
                if (up == disk)
                    break;
            }
            line(item, path);
            return true;
        });
    }
    return out;
}

TEST_F(CatcliImport, GocatcliTomlCatalogImportsAsItsJsonForm) {
    ASSERT_EQ(import({written("gocatcli.catalog", kGocatcli)}), EditStatus::Done) << failures();
    const std::string fromJson = Dump(report.imported);
    ASSERT_NE(fromJson.find("usb stick/pack.zip/inner/deep/b.txt size=5"), std::string::npos)
        << fromJson;

    // Known by its name, by its content, and as an explicit gocatcli file; gzip as well.
    const std::string named = written("catalog.toml", kGocatcliToml);
    const std::string unnamed = written("gocatcli.catalog", kGocatcliToml);
    ASSERT_EQ(testing::RunCommand("gzip -k " + testing::ShellQuote(named)).exitCode, 0);
    // Without the top keys the first line is the storages' header, which starts with '[' as
    // JSON may.
    const std::string headerFirst =
        written("headerfirst", kGocatcliToml.substr(kGocatcliToml.find("[[")));
    const std::pair<std::string, ForeignFormat> sources[] = {
        {named, ForeignFormat::Auto},       {named + ".gz", ForeignFormat::Auto},
        {unnamed, ForeignFormat::Auto},     {unnamed, ForeignFormat::Gocatcli},
        {headerFirst, ForeignFormat::Auto},
    };
    for (const auto& [path, format] : sources) {
        ASSERT_EQ(import({path}, format), EditStatus::Done) << failures();
        EXPECT_EQ(Dump(report.imported), fromJson) << path;
    }
}

// Python's own readers agree that the TOML text holds the JSON catalog (nulls and empty lists,
// which the TOML encoder leaves out, aside).
TEST_F(CatcliImport, PythonReadsTheTomlCatalogAsTheJsonOne) {
    if (testing::RunCommand("python3 -c 'import tomllib' 2>/dev/null").exitCode != 0)
        GTEST_SKIP() << "python3 with tomllib is not installed";
    const std::string script = written("same.py", R"(
import json, sys, tomllib
def bare(v):
    if isinstance(v, dict):
        return {k: bare(x) for k, x in v.items() if x is not None and x != []}
    if isinstance(v, list):
        return [bare(x) for x in v]
    return v
with open(sys.argv[1], "rb") as f:
    from_toml = tomllib.load(f)
with open(sys.argv[2]) as f:
    from_json = json.load(f)
print("same" if bare(from_toml) == bare(from_json) else "different")
)");
    const std::string toml = written("catalog.toml", kGocatcliToml);
    const std::string json = written("catalog.json", kGocatcli);
    EXPECT_EQ(testing::RunCommand("python3 " + testing::ShellQuote(script) + " " +
                                  testing::ShellQuote(toml) + " " + testing::ShellQuote(json))
                  .out,
              "same\n");
}

TEST_F(CatcliImport, TomlFaultsAreNamedByTheTomlLine) {
    const std::string bad = written("bad.toml", "[[storages]]\n  name = \"s\"\n  ts = \"now\"\n");
    EXPECT_EQ(import({bad}), EditStatus::Unchanged);
    EXPECT_EQ(failures(), bad + ": line 3, column 8: \"ts\" is not a time in seconds\n");
    const std::string broken = written("broken.toml", "[[storages]]\nname = \"s\"\nname = \"t\"\n");
    EXPECT_EQ(import({broken}), EditStatus::Unchanged);
    EXPECT_EQ(failures(), broken + ": line 3, column 1: the key 'name' is defined twice\n");
    // Headers that put entries below a file make it an archive holding them.
    const std::string below =
        written("below.toml",
                "[[storages]]\nname = \"s\"\n"
                "[[storages.children]]\nname = \"f\"\nfiletype = \"file\"\nsize = 9\n"
                "[[storages.children.children]]\nname = \"d/m\"\nfiletype = \"file\"\nsize = 4\n");
    EXPECT_EQ(import({below}), EditStatus::Done) << failures();
    EXPECT_TRUE(at("Scans\\s\\f")->isArchive());
    EXPECT_EQ(at("Scans\\s\\f\\d\\m")->size(), 4u);
    EXPECT_TRUE(testing::WrongFolderSizes(document.tree()).empty());
    // A catalog without storages has no "storages" key in TOML: nothing to import, no fault.
    const std::string empty =
        written("empty.toml",
                "tool = \"gocatcli - https://github.com/deadc0de6/gocatcli\"\n"
                "version = \"1.1.3\"\ncreated = 1\nupdated = 1\nnote = \"\"\n");
    EXPECT_EQ(import({empty}), EditStatus::Unchanged);
    EXPECT_EQ(failures(), "");
    // A TOML file of another program is no catalog.
    const std::string other = written("other.toml", "[package]\nname = \"x\"\n");
    EXPECT_EQ(import({other}), EditStatus::Unchanged);
    EXPECT_NE(failures().find("not a catalog format"), std::string::npos) << failures();
}

TEST_F(CatcliImport, WrongValuesAreNamedByLineAndColumn) {
    struct Case {
        std::string_view text;
        const char* expected;
    };
    const Case cases[] = {
        {R"({"type": "top", "name": "top", "children": [
  {"type": "storage", "name": "s", "children": [
    {"type": "file", "name": "f", "size": "big"}]}]})",
         "line 3, column 43: \"size\" is not a whole number of 0 or more"},
        {R"({"type": "top", "name": "top", "children": [
  {"type": "storage", "name": "s", "children": [
    {"type": "link", "name": "f"}]}]})",
         "line 3, column 5: unknown node type 'link'"},
        {R"({"type": "top", "name": "top", "children": [{"type": "dir", "name": "d"}]})",
         "line 1, column 45: expected a storage node below the top"},
        {R"({"storages": [{"name": "s", "children": [{"name": 5}]}]})",
         "line 1, column 42: node without a \"name\" text"},
        {R"({"storages": [{"name": "s", "ts": "now"}]})",
         "line 1, column 35: \"ts\" is not a time in seconds"},
        {R"({"storages": {}})", "line 1, column 14: \"storages\" is not a list"},
    };
    for (const Case& c : cases) {
        const std::string path = written("bad.json", c.text);
        EXPECT_EQ(import({path}), EditStatus::Unchanged);
        EXPECT_EQ(failures(), path + ": " + c.expected + "\n");
    }
    EXPECT_EQ(folder->firstChild(), nullptr);
}

}  // namespace
}  // namespace shelfmark
