// File type names from the desktop's shared MIME database ("PNG image", "ZIP archive"), by
// extension only: the files are on media that are not there. Registered with
// SetFileTypeNameProvider by the desktop program; names are cached per extension.
#pragma once

#include <mutex>
#include <string>
#include <unordered_map>

#include "catalog/FileTypeNames.h"

namespace shelfmark {

class MimeTypeNames : public FileTypeNameProvider {
  public:
    std::string typeNameForExtension(std::string_view extension) override;

  private:
    std::mutex mutex_;
    std::unordered_map<std::string, std::string> cache_;
};

}  // namespace shelfmark
