// Profile text of any shape loads without harm; what it saved loads back to the same sections
// and keys; and the case-insensitive comparison agrees with comparing the folded forms.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "foundation/ProfileFile.h"
#include "foundation/Utf8Text.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

void CheckTextAgreement(std::string_view a, std::string_view b) {
    using namespace shelfmark::text;
    Check(Sign(CompareNoCase(a, b)) == Sign(FoldCase(a).compare(FoldCase(b))));
    Check(EqualsNoCase(a, b) == (FoldCase(a) == FoldCase(b)));
    const size_t found = FindNoCase(a, b);
    if (found != std::string_view::npos) {
        Check(found <= a.size());
        Check(FoldCase(a.substr(found)).compare(0, FoldCase(b).size(), FoldCase(b)) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    shelfmark::ProfileFile first;
    first.loadFromText(text);
    const std::string saved = first.toText();

    shelfmark::ProfileFile second;
    second.loadFromText(saved);
    const auto& a = first.sections();
    const auto& b = second.sections();
    Check(a.size() == b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        Check(a[i].name == b[i].name);
        Check(a[i].entries == b[i].entries);
    }
    Check(second.toText() == saved);

    // Lookups and decoders on whatever was read.
    size_t pairs = 0;
    for (const shelfmark::ProfileSection& section : a) {
        (void)first.sectionContents(section.name);
        for (const auto& [key, value] : section.entries) {
            (void)first.getInt(section.name, key, 0);
            (void)first.getBytes(section.name, key);
            Check(std::as_const(first).findSection(section.name) != nullptr);
            if (pairs++ < 64) {
                CheckTextAgreement(key, value);
                CheckTextAgreement(section.name, key);
            }
        }
    }
    (void)first.sectionNames();
    return 0;
}
