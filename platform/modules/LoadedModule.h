// A shared object loaded at run time (dlopen), closed when the last owner lets go of it.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace shelfmark {

class LoadedModule {
  public:
    // Loads the module with its symbols resolved at once (RTLD_NOW | RTLD_LOCAL), so that a
    // module with missing dependencies fails here rather than in the middle of a call. On
    // failure answers nothing and sets `error` to the loader's message when given.
    static std::optional<LoadedModule> open(const std::string& path, std::string* error = nullptr);

    // The address of an exported symbol, or null.
    void* symbol(const char* name) const;

    const std::string& path() const { return path_; }

  private:
    struct Closer {
        void operator()(void* handle) const;
    };

    LoadedModule(void* handle, std::string path);

    std::unique_ptr<void, Closer> handle_;
    std::string path_;
};

}  // namespace shelfmark
