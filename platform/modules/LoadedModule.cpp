#include "platform/modules/LoadedModule.h"

#include <dlfcn.h>

namespace shelfmark {

void LoadedModule::Closer::operator()(void* handle) const {
    if (handle)
        dlclose(handle);
}

LoadedModule::LoadedModule(void* handle, std::string path)
    : handle_(handle), path_(std::move(path)) {}

std::optional<LoadedModule> LoadedModule::open(const std::string& path, std::string* error) {
    dlerror();  // clear a stale message
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (error) {
            const char* message = dlerror();
            *error = message ? message : "cannot load " + path;
        }
        return std::nullopt;
    }
    return LoadedModule(handle, path);
}

void* LoadedModule::symbol(const char* name) const {
    return handle_ ? dlsym(handle_.get(), name) : nullptr;
}

}  // namespace shelfmark
