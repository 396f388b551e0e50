// Batch lines split as bash splits them: random lines of words, blanks, quotes and backslashes
// are handed to bash's own parser (eval with globbing off) and the words compared.
#include "foundation/ShellWords.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace shelfmark::testing {
namespace {

using Words = std::vector<std::string>;

Words Split(const std::string& line) {
    std::string error;
    return text::SplitShellWords(line, error).value_or(Words{"<error>"});
}

// The words bash makes of the line, or "<error>" when it refuses it.
Words BashWords(const std::string& line) {
    ::setenv("SHELFMARK_LINE", line.c_str(), 1);
    const CommandResult result = RunCommand(
        "bash -c 'set -f; eval \"printf \\\"%s\\\\x1f\\\" start $SHELFMARK_LINE\"' 2>/dev/null");
    if (result.exitCode != 0)
        return {"<error>"};
    // "start" comes first so that printf has an argument even for a line without words.
    Words words;
    size_t start = 0;
    for (size_t end; (end = result.out.find('\x1f', start)) != std::string::npos; start = end + 1)
        words.push_back(result.out.substr(start, end - start));
    words.erase(words.begin());
    return words;
}

TEST(ShellWords, HandWrittenLines) {
    EXPECT_EQ(Split("mv \"Inbox/Holiday CD\" Inbox/Backup --to 'New Arrivals'"),
              (Words{"mv", "Inbox/Holiday CD", "Inbox/Backup", "--to", "New Arrivals"}));
    EXPECT_EQ(Split("  a\\ b\t'c'\"d\"e  "), (Words{"a b", "cde"}));
    EXPECT_EQ(Split("'It'\\''s' \"say \\\"hi\\\" \\n\""), (Words{"It's", "say \"hi\" \\n"}));
    EXPECT_EQ(Split("'' \"\""), (Words{"", ""}));
    EXPECT_EQ(Split(""), Words{});
    std::string error;
    EXPECT_FALSE(text::SplitShellWords("rename 'open", error));
    EXPECT_EQ(error, "unterminated '");
    EXPECT_FALSE(text::SplitShellWords("rename \"open\\\"", error));
    EXPECT_EQ(error, "unterminated \"");
}

TEST(ShellWords, RandomLinesSplitAsBashSplitsThem) {
    if (!HaveProgram("bash"))
        GTEST_SKIP() << "bash is not installed";
    // Characters bash would expand or treat as operators are left out; what remains is the
    // quoting both must agree on.
    const std::string alphabet = "ab\\'\"  \tü";
    std::mt19937 random(20261208);
    int compared = 0;
    for (int round = 0; round < 300; ++round) {
        std::string line;
        const size_t length = random() % 14;
        for (size_t i = 0; i < length; ++i)
            line += alphabet[random() % alphabet.size()];
        if (line.ends_with('\\'))
            continue;  // a trailing backslash continues the line in bash; a batch line ends
        const Words ours = Split(line);
        EXPECT_EQ(ours, BashWords(line)) << "line: [" << line << "]";
        ++compared;
    }
    EXPECT_GT(compared, 200);
}

}  // namespace
}  // namespace shelfmark::testing
