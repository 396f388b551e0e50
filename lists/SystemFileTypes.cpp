#include "lists/SystemFileTypes.h"

#include "catalog/FileTypeNames.h"
#include "platform/mimetypes/MimeTypeNames.h"

namespace shelfmark {

namespace {

class MimeFileTypeNames : public FileTypeNameProvider {
  public:
    std::string typeNameForExtension(std::string_view extension) override {
        return names_.commentForExtension(extension);
    }

  private:
    MimeTypeNames names_;
};

}  // namespace

void UseSystemFileTypeNames() {
    static MimeFileTypeNames provider;
    SetFileTypeNameProvider(&provider);
}

}  // namespace shelfmark
