// ls-archive: the entries an archive reader would store for one file, without any catalog.
#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "cli/ArgParser.h"
#include "cli/Command.h"
#include "foundation/Utf8Text.h"
#include "reading/archive/ArchiveReaders.h"
#include "reading/archive/ArchiveWalkers.h"

namespace shelfmark::cli {
namespace {

int RunLsArchive(const std::vector<std::string>& args);

const Command kLsArchiveCommand{
    "ls-archive", "list the entries the archive readers would store for a file",
    "Usage: shelfmark-cli ls-archive PATH [--kind zip|rar|cab|ace|arj|jar|auto] [--crc32]\n"
    "\n"
    "Walks the archive's headers as a disk read does and prints one line per entry:\n"
    "  TYPE SIZE DATE [CRC32] PATH   (tab-separated; TYPE d or f; DATE local time or -)\n"
    "--kind auto (the default) takes the kind from the extension; an \".exe\" is searched for a\n"
    "self-extracting archive. --crc32 adds the stored CRC-32 (not for CAB).\n"
    "Exit status 1 when no entry would be stored (the file stays a plain file).\n",
    RunLsArchive};
const CommandRegistration kLsArchive(kLsArchiveCommand);

std::string DateText(int64_t date) {
    if (date == 0)
        return "-";
    const std::time_t value = static_cast<std::time_t>(date);
    std::tm parts{};
    localtime_r(&value, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

int RunLsArchive(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("kind").flag("crc32");
    if (!parser.parse(args))
        return UsageError(kLsArchiveCommand, parser.error());
    if (parser.positionals().size() != 1)
        return UsageError(kLsArchiveCommand, "expected one PATH");
    const std::string path = parser.positionals().front();
    const std::string kindName = parser.valueOr("kind", "auto");
    if (kindName != "auto" && !ArchiveKindForExtension(kindName))
        return UsageError(kLsArchiveCommand, "unknown kind '" + kindName + "'");
    if (const auto reason = CannotReadReason(path))
        return FailCannotOpen(path, *reason);

    std::optional<ArchiveKind> kind;
    uint64_t offset = 0;
    if (kindName == "auto") {
        const std::string extension = text::LowerExtension(path);
        if (extension == "exe") {
            if (const auto found = SfxProbe(path, kArchiveMaskAllKinds | kArchiveMaskCheckExes)) {
                kind = found->first;
                offset = found->second;
            }
        } else {
            kind = ArchiveKindForExtension(extension);
        }
        if (!kind)
            return Fail("'" + path + "' is not an archive the readers know");
    } else {
        kind = ArchiveKindForExtension(kindName);
    }

    const bool withCrc = parser.has("crc32") && *kind != ArchiveKind::Cab;
    std::string line;
    const bool stored = archive::WalkArchive(*kind, path, offset, [&](const ArchiveEntry& entry) {
        line.clear();
        line += entry.isDirectory ? "d\t" : "f\t";
        line += std::to_string(entry.size);
        line += '\t';
        line += DateText(entry.date);
        line += '\t';
        if (withCrc) {
            char crc[16];
            std::snprintf(crc, sizeof crc, "%08" PRIX32 "\t", entry.hasCrc32 ? entry.crc32 : 0);
            line += crc;
        }
        for (size_t i = 0; i < entry.components.size(); ++i) {
            if (i > 0)
                line += '/';
            line += text::ForTerminal(entry.components[i]);
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    });
    if (!stored)
        return Fail("no entries stored for '" + path + "'");
    return kExitSuccess;
}

}  // namespace
}  // namespace shelfmark::cli
