#include "catalog/FileTypeNames.h"

#include <atomic>

#include "foundation/LanguageTexts.h"

namespace shelfmark {
namespace {

std::atomic<FileTypeNameProvider*> gProvider{nullptr};

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return upper;
}

}  // namespace

void SetFileTypeNameProvider(FileTypeNameProvider* provider) {
    gProvider.store(provider);
}

std::string FileTypeName(std::string_view fileName) {
    const size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos)
        return Str(26);
    const std::string_view extension = fileName.substr(dot);
    if (FileTypeNameProvider* provider = gProvider.load()) {
        std::string name = provider->typeNameForExtension(extension);
        if (!name.empty())
            return name;
    }
    return UpperAscii(extension.substr(1)) + "-" + Str(26);
}

}  // namespace shelfmark
