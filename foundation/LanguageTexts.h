// Every text the program shows, looked up by section and key in the active language file, with
// the built-in English text as the fallback.
#pragma once

#include <string>
#include <string_view>

namespace shelfmark {

// The text of key `key` in section "Strings" ("\n" and "\t" escapes resolved): from the active
// language file, else the built-in English text; empty when neither has it.
std::string Str(int key);

}  // namespace shelfmark
