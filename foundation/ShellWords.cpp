#include "foundation/ShellWords.h"

namespace shelfmark::text {

std::optional<std::vector<std::string>> SplitShellWords(std::string_view line,
                                                        std::string& error) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else if (c == '\'') {
            const size_t close = line.find('\'', i + 1);
            if (close == std::string_view::npos) {
                error = "unterminated '";
                return std::nullopt;
            }
            word.append(line.substr(i + 1, close - i - 1));
            i = close;
            inWord = true;
        } else if (c == '"') {
            size_t j = i + 1;
            for (; j < line.size() && line[j] != '"'; ++j) {
                if (line[j] == '\\' && j + 1 < line.size() &&
                    std::string_view("\"\\$`").find(line[j + 1]) != std::string_view::npos)
                    ++j;
                word += line[j];
            }
            if (j >= line.size()) {
                error = "unterminated \"";
                return std::nullopt;
            }
            i = j;
            inWord = true;
        } else if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
            inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

}  // namespace shelfmark::text
