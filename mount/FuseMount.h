// The thin libfuse3 glue of `shelfmark-cli mount`: every request is answered by a
// CatalogFileSystem; reads go to the real file on its medium.
#pragma once

#include <string>

#include "mount/CatalogFileSystem.h"

namespace shelfmark {

struct FuseMountOptions {
    bool foreground = false;  // stay in the foreground (otherwise the process detaches)
    bool debug = false;       // libfuse's request log on standard error
};

// Mounts `fileSystem` read-only at `mountPoint` and serves it until it is unmounted
// (fusermount3 -u, umount, or a signal). Returns the process's exit status: 0 after a clean
// unmount, nonzero when mounting failed (libfuse has said why on standard error).
int ServeCatalogFileSystem(CatalogFileSystem& fileSystem, const std::string& mountPoint,
                           const std::string& name, const FuseMountOptions& options);

}  // namespace shelfmark
