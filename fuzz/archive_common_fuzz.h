// Shared body of the archive walker fuzz targets: the input becomes a file (the walkers read
// paths), every entry reported is checked for the walkers' promises.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "foundation/Utf8Text.h"
#include "reading/archive/ArchiveEntry.h"

namespace shelfmark::fuzz {

inline std::string WriteInput(const uint8_t* data, size_t size, const char* extension) {
    const std::string path =
        "/tmp/shelfmark-archive-fuzz-" + std::to_string(::getpid()) + "." + extension;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return {};
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    return path;
}

inline void CheckEntry(const ArchiveEntry& entry) {
    if (entry.components.empty())
        __builtin_trap();
    for (const std::string& component : entry.components) {
        if (component.empty() || component.size() > 4 * 1024 || !text::IsValidUtf8(component))
            __builtin_trap();
    }
    if (entry.isDirectory && entry.size != 0)
        __builtin_trap();
}

template <typename Walk>
int RunWalker(const uint8_t* data, size_t size, const char* extension, Walk walk) {
    const std::string path = WriteInput(data, size, extension);
    if (path.empty())
        return 0;
    walk(path, [](const ArchiveEntry& entry) { CheckEntry(entry); });
    ::unlink(path.c_str());
    return 0;
}

}  // namespace shelfmark::fuzz
