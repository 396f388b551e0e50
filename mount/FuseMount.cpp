#define FUSE_USE_VERSION 31
#include "mount/FuseMount.h"

#include <fcntl.h>
#include <fuse.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace shelfmark {

namespace {

CatalogFileSystem& FileSystem() {
    return *static_cast<CatalogFileSystem*>(fuse_get_context()->private_data);
}

int GetAttr(const char* path, struct stat* st, fuse_file_info*) {
    const CatalogItem* item = FileSystem().lookup(path);
    if (!item)
        return -ENOENT;
    *st = FileSystem().attributes(*item);
    return 0;
}

int ReadDir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
            fuse_readdir_flags) {
    const CatalogItem* item = FileSystem().lookup(path);
    if (!item)
        return -ENOENT;
    if (!CatalogFileSystem::IsDirectory(*item))
        return -ENOTDIR;
    fill(buffer, ".", nullptr, 0, fuse_fill_dir_flags(0));
    fill(buffer, "..", nullptr, 0, fuse_fill_dir_flags(0));
    for (const auto& [name, child] : FileSystem().entries(*item)) {
        const struct stat st = FileSystem().attributes(*child);
        if (fill(buffer, name.c_str(), &st, 0, fuse_fill_dir_flags(0)))
            break;
    }
    return 0;
}

int Open(const char* path, fuse_file_info* info) {
    if ((info->flags & O_ACCMODE) != O_RDONLY)
        return -EROFS;
    const CatalogItem* item = FileSystem().lookup(path);
    if (!item)
        return -ENOENT;
    if (CatalogFileSystem::IsDirectory(*item) && !item->isArchive())
        return -EISDIR;
    // The catalog describes the file; its bytes are on the medium, which must be mounted.
    const std::optional<std::string> real = FileSystem().realPath(*item);
    if (!real)
        return -EIO;
    const int fd = ::open(real->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -EIO;
    info->fh = uint64_t(fd);
    return 0;
}

int Read(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* info) {
    const ssize_t got = ::pread(int(info->fh), buffer, size, offset);
    return got < 0 ? -EIO : int(got);
}

int Release(const char*, fuse_file_info* info) {
    ::close(int(info->fh));
    return 0;
}

int ListXattr(const char* path, char* list, size_t size) {
    const CatalogItem* item = FileSystem().lookup(path);
    if (!item)
        return -ENOENT;
    std::string names;
    for (const auto& [name, value] : CatalogFileSystem::ExtendedAttributes(*item)) {
        names += name;
        names += '\0';
    }
    if (size == 0)
        return int(names.size());
    if (names.size() > size)
        return -ERANGE;
    std::memcpy(list, names.data(), names.size());
    return int(names.size());
}

int GetXattr(const char* path, const char* key, char* value, size_t size) {
    const CatalogItem* item = FileSystem().lookup(path);
    if (!item)
        return -ENOENT;
    for (const auto& [name, text] : CatalogFileSystem::ExtendedAttributes(*item)) {
        if (name != key)
            continue;
        if (size == 0)
            return int(text.size());
        if (text.size() > size)
            return -ERANGE;
        std::memcpy(value, text.data(), text.size());
        return int(text.size());
    }
    return -ENODATA;
}

}  // namespace

int ServeCatalogFileSystem(CatalogFileSystem& fileSystem, const std::string& mountPoint,
                           const std::string& name, const FuseMountOptions& options) {
    fuse_operations operations{};
    operations.getattr = GetAttr;
    operations.readdir = ReadDir;
    operations.open = Open;
    operations.read = Read;
    operations.release = Release;
    operations.listxattr = ListXattr;
    operations.getxattr = GetXattr;

    std::string mountOptions = "ro,default_permissions,subtype=shelfmark,fsname=";
    for (const char c : name)  // the option list is comma-separated
        mountOptions += (c == ',' || c == '\\') ? '_' : c;
    std::vector<std::string> args = {"shelfmark-cli", mountPoint, "-s", "-o", mountOptions};
    if (options.foreground)
        args.push_back("-f");
    if (options.debug)
        args.push_back("-d");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    return fuse_main(int(argv.size()), argv.data(), &operations, &fileSystem);
}

}  // namespace shelfmark
