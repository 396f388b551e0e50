// Catalog exchange commands: export-xml (an XML outline of chosen items) and import (other
// catalog files into a folder). The outline and the import rules live in the catalog library.
#include <iostream>
#include <string>
#include <vector>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogFile.h"
#include "catalog/CatalogPath.h"
#include "catalog/DatabaseImport.h"
#include "catalog/XmlOutline.h"
#include "cli/ArgParser.h"
#include "cli/CatalogLoad.h"
#include "cli/Command.h"
#include "cli/OutputArgs.h"
#include "cli/TerminalPrompter.h"

namespace shelfmark::cli {
namespace {

int RunExportXml(const std::vector<std::string>& args);
const Command kExportXmlCommand{
    "export-xml", "write chosen items of a catalog as an XML outline",
    "Usage: shelfmark-cli export-xml FILE PATH... -o OUT.xml\n"
    "\n"
    "Writes the items at the catalog PATHs (\"\" or / for the root), each with\n"
    "everything below it, as an indented XML outline to OUT.xml, replacing it.\n"
    "One element per item, named after its type (CD_DVD for CD/DVD, removable and\n"
    "network disks), with the attributes Name, Size (bytes) and Date (short date\n"
    "and time). The file is Windows-1252 with CR LF line ends; characters outside\n"
    "Windows-1252 are written as &#NNNN; references. The contents of locked\n"
    "(password-protected) items are left out.\n",
    RunExportXml};
const CommandRegistration kExportXml(kExportXmlCommand);

int RunExportXml(const std::vector<std::string>& args) {
    ArgParser parser;
    std::string output;
    if (const int status = ParseWithOutput(kExportXmlCommand, args, "OUT.xml", parser, output))
        return status;
    if (parser.positionals().size() < 2)
        return UsageError(kExportXmlCommand, "expected FILE and at least one PATH");
    TerminalPrompter prompter;
    CatalogDocument document(prompter);
    if (!OpenCatalogForCommand(document, parser.positionals()[0]))
        return kExitFailure;
    std::vector<const CatalogItem*> items;
    for (size_t i = 1; i < parser.positionals().size(); ++i) {
        const CatalogItem* item = ResolveCatalogPath(document.tree(), parser.positionals()[i]);
        if (!item)
            return Fail("no item '" + parser.positionals()[i] + "' in the catalog");
        items.push_back(item);
    }
    return WriteXmlOutline(output, document.tree(), items, prompter) ? kExitSuccess
                                                                       : kExitFailure;
}

// ---------------------------------------------------------------------------------------------

int RunImport(const std::vector<std::string>& args);
const Command kImportCommand{
    "import", "copy the contents of other catalog files into a folder",
    "Usage: shelfmark-cli import FILE SOURCE... --into FOLDER\n"
    "\n"
    "Reads each catalog file SOURCE (current or old format) and puts its top-level\n"
    "items into the catalog folder FOLDER of FILE (\"\" or / for the root), in\n"
    "sorted position, then saves FILE. Nothing is merged: importing a file twice\n"
    "gives two copies. Imported disks get new internal numbers; the sources'\n"
    "category and extra-information definitions and root password are not taken.\n"
    "A SOURCE whose root is password-protected is imported only with its password\n"
    "(--password-file FILE or the terminal prompt); without it, that SOURCE and the\n"
    "ones after it are not imported.\n"
    "A SOURCE that cannot be opened or is not a catalog is skipped (exit status 3\n"
    "when the others were imported). Undo (in a batch or the desktop program)\n"
    "takes the whole import back at once.\n",
    RunImport};
const CommandRegistration kImport(kImportCommand);

int RunImport(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("into");
    if (!parser.parse(args))
        return UsageError(kImportCommand, parser.error());
    const std::optional<std::string> into = parser.value("into");
    if (!into)
        return UsageError(kImportCommand, "--into FOLDER is required");
    const std::vector<std::string>& operands = parser.positionals();
    if (operands.size() < 2)
        return UsageError(kImportCommand, "expected FILE and at least one SOURCE");
    const std::string& path = operands[0];
    CountingPrompter prompter;
    prompter.reloadChangedCatalogs();
    CatalogDocument document(prompter);
    // The same unlock serves the sources: a protected source root takes the password too.
    if (!OpenCatalogForCommand(document, path) || !document.lockForEditing())
        return kExitFailure;
    CatalogItem* folder = ResolveCatalogPath(document.tree(), *into);
    if (!folder)
        return Fail("no item '" + *into + "' in the catalog");

    const std::vector<std::string> sources(operands.begin() + 1, operands.end());
    ImportReport report;
    const int errorsBefore = prompter.errors;
    const EditStatus status = ImportCatalogFiles(document, sources, folder, &report);
    for (const auto& [source, reason] : report.unreadable)
        Fail("cannot open '" + source + "': " + reason + " (skipped)");
    if (!report.passwordNotGiven.empty())
        Fail("the catalog root of '" + report.passwordNotGiven +
             "' is password-protected and its password was not given; it and the files after "
             "it were not imported");
    if (status == EditStatus::Refused)
        return kExitFailure;
    if (report.imported.empty())
        return prompter.errors > errorsBefore ? kExitFailure
                                              : Fail("nothing was imported into '" + path + "'");
    if (!document.saveCatalogFile(path))
        return kExitFailure;
    std::cout << report.imported.size() << " item(s) imported\n";
    const bool incomplete =
        !report.unreadable.empty() || !report.rejected.empty() ||
                            !report.passwordNotGiven.empty();
    return incomplete ? kExitIncomplete : kExitSuccess;
}

}  // namespace
}  // namespace shelfmark::cli
