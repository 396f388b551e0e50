// What a search takes from people and from the settings file: search texts and wildcard
// patterns as typed (any bytes, invalid UTF-8 too) and the saved result-column layout. Nothing
// may read out of bounds; the word list stays within its limit; a layout read back and written
// again is the same layout.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "search/PreparedSearch.h"
#include "search/SearchWindowState.h"
#include "search/TextRoutines.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace shelfmark::search;
    if (size == 0)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 3) {
        case 0: {
            // "text NUL pattern": both routines, twice, with the same answers.
            const size_t split = input.find('\0');
            const std::string_view text = input.substr(0, split);
            const std::string_view pattern = split == std::string_view::npos ? "" : input.substr(split + 1);
            const bool find = WildcardFind(text, pattern);
            const bool full = WildcardFullMatch(text, pattern);
            Check(find == WildcardFind(text, pattern) && full == WildcardFullMatch(text, pattern));
            Check(RunTextRoutine(FindRoutineFor(pattern), text, pattern) ==
                  (HasWildcards(pattern) ? find : text.find(pattern) != std::string_view::npos));
            break;
        }
        case 1: {
            for (const WordMode mode : {WordMode::Normal, WordMode::AllWords, WordMode::AnyWord}) {
                SearchCriteria criteria = InitialCriteria(0);
                criteria.text = std::string(input);
                criteria.wordMode = mode;
                criteria.caseSensitive = data[0] & 4;
                const PreparedSearch search = PrepareSearch(criteria, 0);
                Check(search.words.size() <= kMaxWords);
                TextHolds(search, ComparableText(search, input));
            }
            break;
        }
        default: {
            const std::vector<ResultColumn> columns = DecodeResultColumns(input);
            Check(columns.size() == input.size() / 6);
            const std::string again = EncodeResultColumns(columns);
            Check(again.size() == columns.size() * 6);
            Check(EncodeResultColumns(DecodeResultColumns(again)) == again);
            std::vector<ResultColumn> switched = columns;
            ToggleResultColumn(switched, data[0], 40);
            Check(switched.size() == columns.size() + 1 || switched.size() + 1 == columns.size());
            break;
        }
    }
    return 0;
}
