// The built-in English texts: every Strings message, every dialog, page and menu label, and the
// prompt texts with the table that maps them to Strings keys. Language files translate these.
#pragma once

#include <span>
#include <string_view>

#include "foundation/LanguageTexts.h"

namespace shelfmark {

struct BuiltinText {
    std::string_view section;
    int key;
    std::string_view text;
};

struct BuiltinPrompt {
    PromptId id;
    std::string_view text;
};

// Every built-in (section, key, text) entry, Strings first, then the sections in name order.
std::span<const BuiltinText> BuiltinTexts();
// The built-in text of (section, key); for a Strings key of the prompt table the prompt text of
// its first identifier. Empty when there is none.
std::string_view FindBuiltinText(std::string_view section, int key);

std::span<const BuiltinPrompt> BuiltinPrompts();
std::string_view BuiltinPromptText(PromptId id);
// The 72-pair table the program installs at start-up.
std::span<const PromptKey> DefaultPromptKeys();

// The second built-in text of Strings key 174.
inline constexpr std::string_view kListItemCountText = "%d item(s)";

}  // namespace shelfmark
