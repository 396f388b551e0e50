// Exchange with other programs: import-other (catalogs other cataloguers and ncdu wrote, into a
// folder) and export-ncdu (a disk or folder as an ncdu export). The readers, the writer and the
// import rules live in the exchange library.
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogFile.h"
#include "catalog/CatalogPath.h"
#include "cli/ArgParser.h"
#include "cli/CatalogLoad.h"
#include "cli/Command.h"
#include "cli/OutputArgs.h"
#include "cli/TerminalPrompter.h"
#include "exchange/ForeignImport.h"
#include "exchange/NcduFormat.h"
#include "foundation/AtomicFile.h"
#include "foundation/Utf8Text.h"

namespace shelfmark::cli {
namespace {

int RunImportOther(const std::vector<std::string>& args);
const Command kImportOtherCommand{
    "import-other", "add disks from catalogs other programs wrote (ncdu, CdCat, catcli, ...)",
    "Usage: shelfmark-cli import-other FILE SOURCE... --into FOLDER [--format FORMAT]\n"
    "\n"
    "Reads each SOURCE, a catalog written by another program, and adds the disks it\n"
    "describes to the catalog folder FOLDER of FILE (\"\" or / for the root), in sorted\n"
    "position, then saves FILE. FORMAT is one of:\n"
    "  ncdu      an ncdu JSON export (ncdu -o): one hard disk named after the\n"
    "            scanned directory; entries ncdu excluded are left out\n"
    "  catcli    a catcli catalog (JSON): each storage a hard disk\n"
    "  gocatcli  a gocatcli catalog (JSON): each storage a hard disk\n"
    "  hcf       a CdCat catalog (.hcf): each media a disk, with tags and comments\n"
    "  vvv       a Virtual Volumes View CSV export: each volume a hard disk\n"
    "  katalog   a Katalog .idx catalog: one hard disk named after the file\n"
    "  auto      recognise the format by the file's content (the default)\n"
    "Gzip-compressed sources are read as well. A SOURCE that cannot be read adds\n"
    "nothing; its error names the line and column or the offset (exit status 3 when\n"
    "others were imported). Undo takes the whole import back at once.\n",
    RunImportOther};
const CommandRegistration kImportOther(kImportOtherCommand);

int RunImportOther(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("into").option("format");
    if (!parser.parse(args))
        return UsageError(kImportOtherCommand, parser.error());
    const std::optional<std::string> into = parser.value("into");
    if (!into)
        return UsageError(kImportOtherCommand, "--into FOLDER is required");
    const std::optional<ForeignFormat> format =
        ForeignFormatNamed(parser.value("format").value_or("auto"));
    if (!format)
        return UsageError(kImportOtherCommand,
                          "unknown --format '" + text::ForTerminal(*parser.value("format")) + "'");
    const std::vector<std::string>& operands = parser.positionals();
    if (operands.size() < 2)
        return UsageError(kImportOtherCommand, "expected FILE and at least one SOURCE");
    const std::string& path = operands[0];
    CountingPrompter prompter;
    prompter.reloadChangedCatalogs();
    CatalogDocument document(prompter);
    document.setShowConvertHint(kConvertHintSuppressed);
    if (!document.openCatalogFile(path) || !document.lockForEditing())
        return kExitFailure;
    CatalogItem* folder = ResolveCatalogPath(document.tree(), *into);
    if (!folder)
        return Fail("no item '" + *into + "' in the catalog");

    const std::vector<std::string> sources(operands.begin() + 1, operands.end());
    ForeignImportReport report;
    const int errorsBefore = prompter.errors;
    const EditStatus status = ImportForeignCatalogs(document, sources, *format, folder, &report);
    for (const std::string& failure : report.failed)
        Fail("cannot import " + failure);
    for (const std::string& note : report.notes)
        std::cerr << "shelfmark-cli: " << text::ForTerminal(note) << '\n';
    if (status == EditStatus::Refused)
        return kExitFailure;
    if (report.imported.empty())
        return prompter.errors > errorsBefore || !report.failed.empty()
                   ? kExitFailure
                   : Fail("nothing was imported into '" + path + "'");
    if (!document.saveCatalogFile(path))
        return kExitFailure;
    std::cout << report.imported.size() << " disk(s) imported\n";
    return report.failed.empty() ? kExitSuccess : kExitIncomplete;
}

// ---------------------------------------------------------------------------------------------

int RunExportNcdu(const std::vector<std::string>& args);
const Command kExportNcduCommand{
    "export-ncdu", "write a disk or folder as an ncdu export, to browse it with ncdu -f",
    "Usage: shelfmark-cli export-ncdu FILE PATH -o OUT.json\n"
    "\n"
    "Writes the item at the catalog PATH (a folder, disk, directory or archive; \"\" or /\n"
    "for the root) with everything below it as an ncdu JSON export to OUT.json,\n"
    "replacing it (- writes to standard output). `ncdu -f OUT.json` then browses the\n"
    "disk without the disk. Folders, disks and directories become directories, files\n"
    "keep their sizes and dates; archives are files. The catalog knows apparent sizes\n"
    "only: disk usage is given as the size rounded up to 4 KiB blocks. Locked\n"
    "(password-protected) contents and shortcuts are left out.\n",
    RunExportNcdu};
const CommandRegistration kExportNcdu(kExportNcduCommand);

int RunExportNcdu(const std::vector<std::string>& args) {
    ArgParser parser;
    std::string output;
    if (const int status = ParseWithOutput(kExportNcduCommand, args, "OUT.json", parser, output))
        return status;
    if (parser.positionals().size() != 2)
        return UsageError(kExportNcduCommand, "expected FILE and PATH");
    CatalogTree tree;
    CatalogReadResult result;
    if (!LoadCatalog(parser.positionals()[0], tree, result))
        return kExitFailure;
    const CatalogItem* item = ResolveCatalogPath(tree, parser.positionals()[1]);
    if (!item)
        return Fail("no item '" + parser.positionals()[1] + "' in the catalog");
    if (!item->isContainer() || item->isShortcut())
        return Fail("'" + parser.positionals()[1] +
                    "' is not a folder, disk, directory or archive");
    const std::string json = WriteNcduExport(*item, std::time(nullptr));
    if (output == "-") {
        std::cout << json;
        return std::cout.flush() ? kExitSuccess : kExitFailure;
    }
    std::string error;
    if (!WriteFileAtomically(output, json, &error))
        return Fail("cannot write '" + output + "': " + error);
    return kExitSuccess;
}

}  // namespace
}  // namespace shelfmark::cli
