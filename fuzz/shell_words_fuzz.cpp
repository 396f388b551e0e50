// Batch script lines of any shape split without harm, and the words of a line come back the
// same when each is written again in single quotes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/ShellWords.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// A word in single quotes; a quote inside closes, adds an escaped one and opens again.
std::string SingleQuoted(std::string_view word) {
    std::string quoted = "'";
    for (const char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto words = shelfmark::text::SplitShellWords(line, error);
    if (!words) {
        Check(!error.empty());
        return 0;
    }
    std::string again;
    for (const std::string& word : *words)
        again += SingleQuoted(word) + " ";
    const auto split = shelfmark::text::SplitShellWords(again, error);
    Check(split && *split == *words);
    return 0;
}
