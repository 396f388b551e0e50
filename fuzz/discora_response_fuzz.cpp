// The query, category-list and site-list answer parsers and single site lines, on arbitrary
// server text. The first byte picks the parser.
#include <cstddef>
#include <cstdint>
#include <string>

#include "discora/Discora.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    CDiscora client("fuzz", "1");
    switch (data[0] % 4) {
        case 0: {
            CDiscoraQueryResult result;
            CDiscora::ParseQueryResponse(text.c_str(), result);
            CDiscoraQueryResult copy;
            copy = result;
            for (int i = 0; i < copy.GetMatchCount(); ++i) {
                if (copy.GetDiscGenre(i) == nullptr)
                    __builtin_trap();
            }
            break;
        }
        case 1:
            client.ParseCategoryList(text.c_str());
            for (int i = 0; i < client.GetCategoryCount(); ++i) {
                if (client.GetCategory(i) == nullptr)
                    __builtin_trap();
            }
            break;
        case 2:
            client.ParseSiteList(text.c_str());
            for (int i = 0; i < client.GetSiteCount(); ++i)
                (void)client.GetSiteDescription(i);
            break;
        default:
            client.AddSite(text.c_str());
            client.AddSite(text.c_str());
            if (client.GetSite(0)->GetHost() != nullptr && client.GetSiteCount() != 1)
                __builtin_trap();
            break;
    }
    return 0;
}
