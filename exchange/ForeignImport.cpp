#include "exchange/ForeignImport.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>

#include "catalog/CatalogFile.h"
#include "catalog/DatabaseImport.h"
#include "exchange/ForeignTree.h"
#include "exchange/CatcliFormat.h"
#include "exchange/HcfFormat.h"
#include "exchange/KatalogFormat.h"
#include "exchange/NcduFormat.h"
#include "exchange/TomlReader.h"
#include "exchange/VvvFormat.h"
#include "foundation/Utf8Text.h"

namespace shelfmark {

namespace {

constexpr std::string_view kImportLabel = "Import other catalogs";

struct FormatName {
    ForeignFormat format;
    std::string_view name;
};
constexpr FormatName kFormatNames[] = {
    {ForeignFormat::Auto, "auto"},
    {ForeignFormat::Ncdu, "ncdu"},
    {ForeignFormat::Catcli, "catcli"},
    {ForeignFormat::Gocatcli, "gocatcli"},
    {ForeignFormat::Hcf, "hcf"},
    {ForeignFormat::Vvv, "vvv"},
    {ForeignFormat::Katalog, "katalog"},
};

bool IsJsonFormat(ForeignFormat format) {
    return format == ForeignFormat::Ncdu || format == ForeignFormat::Catcli ||
           format == ForeignFormat::Gocatcli;
}

// The first character that is not white space, or 0.
char FirstSignificant(std::string_view bytes) {
    const size_t at = bytes.find_first_not_of(" \t\r\n");
    return at == std::string_view::npos ? 0 : bytes[at];
}

// gocatcli keeps its catalog as TOML when the file is named so; the content tells too, since
// a TOML catalog may start with "[[storages]]", which would otherwise pass for JSON.
bool IsTomlFile(const std::string& path, std::string_view bytes) {
    std::string_view name = path;
    if (text::LowerExtension(name) == "gz")
        name.remove_suffix(3);
    return text::LowerExtension(name) == "toml" || toml::LooksLikeToml(bytes);
}

// The format of a parsed JSON file by its shape.
std::optional<ForeignFormat> JsonFormatOf(const json::Value& top) {
    if (IsNcduExport(top))
        return ForeignFormat::Ncdu;
    if (IsCatcliCatalog(top))
        return ForeignFormat::Catcli;
    if (IsGocatcliCatalog(top))
        return ForeignFormat::Gocatcli;
    return std::nullopt;
}

// The whole file, gunzipped when it is gzip-compressed (zlib reads plain files as they are).
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& reason) {
    errno = 0;
    gzFile file = gzopen(path.c_str(), "rb");
    if (!file) {
        reason = errno ? std::strerror(errno) : "cannot open the file";
        return false;
    }
    char buffer[1 << 16];
    for (;;) {
        const int got = gzread(file, buffer, sizeof buffer);
        if (got < 0) {
            int code = 0;
            const char* message = gzerror(file, &code);
            reason = code == Z_ERRNO ? std::strerror(errno)
                                     : "offset " + std::to_string(gztell(file)) +
                                           ": damaged compressed data (" + message + ")";
            gzclose(file);
            return false;
        }
        if (got == 0)
            break;
        bytes.append(buffer, size_t(got));
    }
    gzclose(file);
    return true;
}

}  // namespace

std::optional<ForeignFormat> ForeignFormatNamed(std::string_view name) {
    for (const FormatName& entry : kFormatNames)
        if (entry.name == name)
            return entry.format;
    return std::nullopt;
}

std::string_view ForeignFormatName(ForeignFormat format) {
    for (const FormatName& entry : kFormatNames)
        if (entry.format == format)
            return entry.name;
    return "?";
}

bool ReadForeignFile(const std::string& path, ForeignFormat format, CatalogTree& staging,
                     CatalogItem* folder, std::string& reason, std::vector<std::string>& notes) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes, reason))
        return false;
    ForeignTreeBuilder builder(staging, folder);
    ForeignReadError error;
    JsonDocument document;
    const char first = FirstSignificant(bytes);
    if ((format == ForeignFormat::Auto || format == ForeignFormat::Gocatcli) &&
        IsTomlFile(path, bytes)) {
        if (!document.parseToml(bytes, error)) {
            reason = error.describe();
            return false;
        }
        if (format == ForeignFormat::Auto && IsGocatcliCatalog(document.top))
            format = ForeignFormat::Gocatcli;
    } else if (IsJsonFormat(format) ||
               (format == ForeignFormat::Auto && (first == '[' || first == '{'))) {
        if (!document.parse(bytes, error)) {
            reason = error.describe();
            return false;
        }
        if (format == ForeignFormat::Auto)
            format = JsonFormatOf(document.top).value_or(ForeignFormat::Auto);
    } else if (format == ForeignFormat::Auto) {
        if (LooksLikeKatalogIndex(bytes))
            format = ForeignFormat::Katalog;
        else if (LooksLikeHcfCatalog(bytes))
            format = ForeignFormat::Hcf;
        else if (LooksLikeVvvExport(bytes))
            format = ForeignFormat::Vvv;
    }
    bool ok = false;
    switch (format) {
        case ForeignFormat::Ncdu: {
            NcduReadSummary summary;
            ok = ReadNcduExport(document, builder, error, &summary);
            if (ok && summary.leftOut > 0)
                notes.push_back(std::to_string(summary.leftOut) +
                                " entries ncdu had excluded were left out");
            break;
        }
        case ForeignFormat::Catcli:
            ok = ReadCatcliCatalog(document, builder, error);
            break;
        case ForeignFormat::Gocatcli:
            ok = ReadGocatcliCatalog(document, builder, error);
            break;
        case ForeignFormat::Hcf:
            ok = ReadHcfCatalog(bytes, builder, error);
            break;
        case ForeignFormat::Vvv:
            ok = ReadVvvExport(bytes, builder, error);
            break;
        case ForeignFormat::Katalog:
            ok = ReadKatalogIndex(bytes, FileNameOf(path), builder, error);
            break;
        case ForeignFormat::Auto:
            reason = "not a catalog format this program reads (give --format)";
            return false;
    }
    if (!ok) {
        reason = error.describe();
        return false;
    }
    builder.finish();
    return true;
}

EditStatus ImportForeignCatalogs(CatalogDocument& document, std::span<const std::string> files,
                                 ForeignFormat format, CatalogItem* target,
                                 ForeignImportReport* report) {
    ForeignImportReport local;
    ForeignImportReport& out = report ? *report : local;
    if (!BeginEdit(document))
        return EditStatus::Refused;
    CatalogItem* folder = target ? ImportTargetFolder(document, target) : nullptr;
    if (!folder || files.empty())
        return EndUnchanged(document);

    CatalogTree& tree = document.tree();
    for (const std::string& path : files) {
        CatalogTree staging;
        CatalogItem* holder =
            staging.createItem(FileNameOf(path), TopLevel, Last, itemflag::Folder);
        std::string reason;
        std::vector<std::string> notes;
        if (!ReadForeignFile(path, format, staging, holder, reason, notes)) {
            out.failed.push_back(path + ": " + reason);
            continue;
        }
        for (const std::string& note : notes)
            out.notes.push_back(path + ": " + note);
        if (RemoveItemsTooDeep(staging, holder, DepthBelowRoot(*folder)) > 0)
            out.notes.push_back(path + ": items that would lie more than " +
                                std::to_string(kMaxFileLevels) +
                                " levels below the top of the catalog were left out");
        tree.absorb(staging);
        while (CatalogItem* disk = holder->firstChildIgnoringLock()) {
            tree.moveItem(disk, folder, Sorted);
            tree.assignDiskNumber(disk);
            tree.addToFolderSizes(folder, static_cast<int64_t>(disk->size()));
            out.imported.push_back(disk);
        }
        tree.removeItem(holder, false);
    }

    if (out.imported.empty())
        return EndUnchanged(document);
    document.recordUndo(UndoKind::Insert, out.imported, kImportLabel);
    for (CatalogItem* item : out.imported)
        document.notifyInserted(*item);
    document.setModified();
    return EditStatus::Done;
}

}  // namespace shelfmark
