// Type names of files (the Type column of a file): the system's registered name for the file's
// extension, supplied at run time by whoever knows them (the list profiles register a provider).
// Without a provider, or when it has no name, the generic form is used: "XYZ-File" for a name
// ending in ".xyz", and "File" for a name without ".".
#pragma once

#include <string>
#include <string_view>

namespace shelfmark {

class FileTypeNameProvider {
  public:
    virtual ~FileTypeNameProvider() = default;
    // The registered type name for `extension` (the text from the last "." on, dot included,
    // e.g. ".txt"); empty when the system has none.
    virtual std::string typeNameForExtension(std::string_view extension) = 0;
};

// Sets the provider used by FileTypeName (nullptr: none). The provider must outlive its use.
void SetFileTypeNameProvider(FileTypeNameProvider* provider);

// The type name of a file called `fileName`.
std::string FileTypeName(std::string_view fileName);

}  // namespace shelfmark
