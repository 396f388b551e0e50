// mount: a catalog, folder or disk as a read-only file system. The file-system logic lives in
// the mount library; this file only parses arguments.
#include <iostream>
#include <string>
#include <vector>

#include "catalog/CatalogPath.h"
#include "catalog/LocateDisk.h"
#include "catalog/MediumPath.h"
#include "cli/ArgParser.h"
#include "cli/CatalogLoad.h"
#include "cli/Command.h"
#include "mount/FuseMount.h"

namespace shelfmark::cli {
namespace {

int RunMount(const std::vector<std::string>& args);
const Command kMountCommand{
    "mount", "show a catalog, folder or disk as a read-only file system (FUSE)",
    "Usage: shelfmark-cli mount FILE MOUNTPOINT [PATH] [--foreground] [--debug]\n"
    "\n"
    "Mounts the item at the catalog PATH (the root when omitted) read-only at the\n"
    "directory MOUNTPOINT, so that file managers, find and du work on the catalog.\n"
    "Folders, disks, directories and archives are directories; files have their\n"
    "sizes and dates. Reading a file reads it from its medium when that volume is\n"
    "mounted, and fails with an I/O error otherwise. Descriptions, tags and\n"
    "checksums are extended attributes user.shelfmark.* (getfattr -d). Locked\n"
    "(password-protected) contents are not shown; shortcuts are left out. A \"/\" in\n"
    "a name shows as \"\xE2\x88\x95\"; a name taken twice in a folder gets \" (2)\". The\n"
    "command returns once mounted (--foreground: it stays until unmounted); unmount\n"
    "with fusermount3 -u MOUNTPOINT.\n",
    RunMount};
const CommandRegistration kMount(kMountCommand);

int RunMount(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.flag("foreground").flag("debug");
    if (!parser.parse(args))
        return UsageError(kMountCommand, parser.error());
    const std::vector<std::string>& operands = parser.positionals();
    if (operands.size() < 2 || operands.size() > 3)
        return UsageError(kMountCommand, "expected FILE, MOUNTPOINT and at most one PATH");
    CatalogTree tree;
    CatalogReadResult result;
    if (!LoadCatalog(operands[0], tree, result))
        return kExitFailure;
    const CatalogItem* top = operands.size() == 3 ? ResolveCatalogPath(tree, operands[2]) : tree.root();
    if (!top)
        return Fail("no item '" + operands[2] + "' in the catalog");
    if (!top->isContainer() || top->isShortcut())
        return Fail("'" + operands[2] + "' is not a folder, disk, directory or archive");

    CatalogFileSystem fileSystem(*top, [](const CatalogItem& file) -> std::optional<std::string> {
        const std::optional<Volume> volume = FindMountedMedium(*file.disk(), ListDrives());
        if (!volume)
            return std::nullopt;
        return RealPathOnMedium(file, *volume);
    });
    FuseMountOptions options;
    options.foreground = parser.has("foreground");
    options.debug = parser.has("debug");
    return ServeCatalogFileSystem(fileSystem, operands[1], std::string(tree.root()->name()),
                                  options) == 0
               ? kExitSuccess
               : kExitFailure;
}

}  // namespace
}  // namespace shelfmark::cli
