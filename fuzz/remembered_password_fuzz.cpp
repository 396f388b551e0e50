// Remembered passwords as the settings file holds them: any text in the Passwords section reads
// without harm, whatever a value decodes to is stored again as the same bytes, and a password
// survives its way into the stored form and back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "catalog/RememberedPasswords.h"
#include "foundation/ProfileFile.h"
#include "platform/settings/SettingsStore.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace shelfmark;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    ProfileFile file;
    file.loadFromText("[Passwords]\n" + std::string(input));
    const ProfileFile& read = file;
    if (const ProfileSection* section = read.findSection(kPasswordsSubKey)) {
        for (const auto& entry : section->entries) {
            const auto stored = file.getBytes(kPasswordsSubKey, entry.first);
            if (!stored)
                continue;
            const std::string password = DecodeRememberedPassword(*stored);
            Check(password.size() == stored->size());
            Check(EncodeRememberedPassword(password) == *stored);
        }
    }
    Check(DecodeRememberedPassword(EncodeRememberedPassword(input)) == input);
    return 0;
}
