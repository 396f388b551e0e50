// The shipped German file translates every built-in text, and every translation keeps the
// placeholders of its English text in the same order (a lost or swapped "%s" would make the
// formatted message read the wrong argument).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "foundation/BuiltinTexts.h"
#include "foundation/LanguageTexts.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

std::string GermanPath() {
    return (testing::SourceDir() / "foundation/lang/Deutsch.lng").string();
}

bool OneOf(char c, const char* set) {
    return c != '\0' && std::strchr(set, c) != nullptr;
}

// The printf conversions ("%s", "%04X", "%%") and numbered placeholders ("%1") in order.
std::vector<std::string> Placeholders(std::string_view text) {
    std::vector<std::string> found;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        size_t end = i + 1;
        while (end < text.size() && OneOf(text[end], "-+#0123456789."))
            ++end;
        while (end < text.size() && OneOf(text[end], "lh"))
            ++end;
        if (end < text.size() && OneOf(text[end], "diouxXcsfeg%")) {
            found.emplace_back(text.substr(i, end + 1 - i));
            i = end;
        } else if (text[i + 1] >= '1' && text[i + 1] <= '9') {
            found.emplace_back(text.substr(i, 2));
            i += 1;
        }
    }
    return found;
}

TEST(GermanLanguageFile, IsAcceptedAndTranslatesEveryBuiltInText) {
    ProfileFile file(GermanPath());
    file.clearPath();
    ASSERT_FALSE(file.sections().empty()) << GermanPath();
    size_t checked = 0;
    for (const BuiltinText& entry : BuiltinTexts()) {
        const std::string* german = file.find(entry.section, std::to_string(entry.key));
        ASSERT_NE(german, nullptr) << entry.section << " " << entry.key;
        EXPECT_FALSE(german->empty()) << entry.section << " " << entry.key;
        EXPECT_EQ(Placeholders(ResolveEscapes(*german)), Placeholders(entry.text))
            << entry.section << " " << entry.key << ": " << *german;
        ++checked;
    }
    for (const PromptKey& row : DefaultPromptKeys()) {
        const std::string* german = file.find("Strings", std::to_string(row.key));
        ASSERT_NE(german, nullptr) << "prompt key " << row.key;
        EXPECT_FALSE(german->empty());
        EXPECT_EQ(std::count(german->begin(), german->end(), '\n'), 0)
            << "line breaks are written as \\n";
    }
    EXPECT_GT(checked, 250u);

    LanguageTexts texts;
    ASSERT_TRUE(texts.loadLanguage(GermanPath()));
    EXPECT_EQ(texts.fileInfo("Language"), "Deutsch");
    EXPECT_EQ(texts.fileInfo("Version"), kProgramVersion);
    EXPECT_EQ(texts.text("Strings", 74), "Größe");
    EXPECT_EQ(texts.promptText(PromptId::Search),
              "Sucht in der aktiven Datenbank nach einem Text.\nSuchen (Strg+F)");
    EXPECT_EQ(texts.text("Menu_Mainframe", 10), "In den Infobereich &minimieren\tAlt+T");
}

TEST(GermanLanguageFile, NoKeysBeyondTheBuiltInTable) {
    ProfileFile file(GermanPath());
    file.clearPath();
    for (const ProfileSection& section : file.sections()) {
        if (section.name == "FileInfo")
            continue;
        for (const auto& [key, value] : section.entries)
            EXPECT_FALSE(FindBuiltinText(section.name, std::stoi(key)).empty())
                << section.name << " " << key;
    }
}

TEST(PlaceholderCheck, FindsPrintfAndNumberedPlaceholders) {
    EXPECT_EQ(Placeholders("Disk '%s' (serial number %04X-%04X) %1 100%%"),
              (std::vector<std::string>{"%s", "%04X", "%04X", "%1", "%%"}));
    EXPECT_EQ(Placeholders("v%d.%d %d.%02d"), (std::vector<std::string>{"%d", "%d", "%d", "%02d"}));
}

}  // namespace
}  // namespace shelfmark
