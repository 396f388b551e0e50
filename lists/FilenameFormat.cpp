#include "lists/FilenameFormat.h"

namespace shelfmark {

namespace {
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
}  // namespace

SplitFormat SplitFilenameFormat(std::string_view format) {
    SplitFormat split;
    std::string literal;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && IsDigit(format[i + 1])) {
            split.separators.push_back(std::move(literal));
            literal.clear();
            split.variables.push_back(format[i + 1]);
            ++i;
        } else {
            literal += format[i];
        }
    }
    split.separators.push_back(std::move(literal));
    return split;
}

bool FilenameFormatValid(std::string_view format) {
    for (size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] == '%' && !IsDigit(format[i + 1]))
            return false;
        if (format[i] == '%')
            ++i;  // the digit is consumed, so "%1%" ends in a literal "%"
    }
    return true;
}

FormatPieces CutFormatPieces(const SplitFormat& format, std::string_view source) {
    FormatPieces pieces{};
    if (!format.hasVariables() || !source.starts_with(format.separators[0]))
        return pieces;
    std::string_view rest = source.substr(format.separators[0].size());
    for (size_t k = 1; k <= format.variables.size(); ++k) {
        const std::string& separator = format.separators[k];
        const size_t digit = size_t(format.variables[k - 1] - '0');
        const size_t at = separator.empty() ? std::string_view::npos : rest.find(separator);
        if (at == std::string_view::npos) {
            pieces[digit] = rest;
            break;
        }
        pieces[digit] = rest.substr(0, at);
        rest.remove_prefix(at + separator.size());
    }
    return pieces;
}

}  // namespace shelfmark
