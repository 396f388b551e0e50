// The texts of the CDDB library's records, where a null pointer means "not set", as views.
#pragma once

#include <string_view>

namespace shelfmark {

inline std::string_view DiscText(const char* text) {
    return text != nullptr ? std::string_view(text) : std::string_view();
}

}  // namespace shelfmark
