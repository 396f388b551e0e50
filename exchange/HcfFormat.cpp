#include "exchange/HcfFormat.h"

#include <charconv>
#include <cmath>

#include "exchange/JsonReader.h"
#include "exchange/XmlEncoding.h"
#include "exchange/XmlReader.h"

namespace shelfmark {

namespace {

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool Number(std::string_view text, int& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// "YYYY-MM-DD HH:MM:SS"; 0 for anything else (old catalogs wrote other forms).
int64_t HcfTime(std::optional<std::string_view> text) {
    if (!text || text->size() != 19 || (*text)[4] != '-' || (*text)[7] != '-' ||
        (*text)[10] != ' ' || (*text)[13] != ':' || (*text)[16] != ':')
        return 0;
    const std::string_view t = *text;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!Number(t.substr(0, 4), year) || !Number(t.substr(5, 2), month) ||
        !Number(t.substr(8, 2), day) || !Number(t.substr(11, 2), hour) ||
        !Number(t.substr(14, 2), minute) || !Number(t.substr(17, 2), second))
        return 0;
    return LocalTimeToSeconds(year, month, day, hour, minute, second).value_or(0);
}

MediaType MediaTypeOf(std::string_view type) {
    if (type == "HardDisc")
        return MediaType::HardDisk;
    if (type == "floppy" || type == "flashdrive")
        return MediaType::Removable;
    if (type == "NetworkPlace")
        return MediaType::Network;
    return MediaType::CdRom;
}

const xml::Element* Child(const xml::Element& element, std::string_view name) {
    for (const xml::Element& child : element.children)
        if (child.name == name)
            return &child;
    return nullptr;
}

class HcfReader {
  public:
    HcfReader(std::string_view text, ForeignTreeBuilder& builder, ForeignReadError& error)
        : text_(text), builder_(builder), error_(error) {}

    bool run() {
        xml::ParseError parseError;
        const std::optional<xml::Element> root = xml::Parse(text_, parseError);
        if (!root) {
            error_ = {"line " + std::to_string(parseError.line) + ", column " +
                          std::to_string(parseError.column),
                      parseError.message};
            return false;
        }
        if (root->name != "catalog")
            return fail(*root, "not a CdCat catalog (the root element is not 'catalog')");
        for (const xml::Element& media : root->children) {
            if (media.name != "media")
                continue;
            const std::optional<std::string_view> name = media.attribute("name");
            if (!name)
                return fail(media, "a media without a name");
            CatalogItem* disk = builder_.addDisk(*name, MediaTypeOf(media.attribute("type").value_or("")),
                                                 HcfTime(media.attribute("time")));
            CatalogTree& tree = builder_.tree();
            int number = 0;
            if (Number(media.attribute("number").value_or(""), number) && number > 0)
                tree.setNumberAttribute(disk, attr::DiskId, uint32_t(number));
            if (const xml::Element* comment = Child(media, "comment"); comment && !Trimmed(comment->text).empty())
                tree.setTextAttribute(disk, attr::Description, Comment(comment->text));
            if (const xml::Element* borrow = Child(media, "borrow"); borrow && !Trimmed(borrow->text).empty())
                tree.setTextAttribute(disk, attr::LentTo, Trimmed(borrow->text));
            if (!entries(media, disk))
                return false;
        }
        return true;
    }

  private:
    bool fail(const xml::Element& at, std::string message) {
        size_t line = 0, column = 0;
        json::LineColumnOf(text_, at.offset, line, column);
        error_ = {"line " + std::to_string(line) + ", column " + std::to_string(column),
                  std::move(message)};
        return false;
    }

    static std::string Comment(std::string_view text) {
        std::string comment(Trimmed(text));
        for (char& c : comment)
            if (c == '#')
                c = '\n';
        return comment;
    }

    bool entries(const xml::Element& parentElement, CatalogItem* parent) {
        for (const xml::Element& element : parentElement.children) {
            if (element.name != "directory" && element.name != "file")
                continue;
            const std::optional<std::string_view> name = element.attribute("name");
            if (!name)
                return fail(element, "a " + element.name + " without a name");
            const int64_t time = HcfTime(element.attribute("time"));
            if (element.name == "directory") {
                if (!entries(element, builder_.addDirectory(parent, *name, time)))
                    return false;
                continue;
            }
            const std::string_view sizeText = element.attribute("size").value_or("0.00 byte");
            const std::optional<uint64_t> size = ParseHcfSize(sizeText);
            if (!size)
                return fail(element, "the size '" + std::string(sizeText) + "' is not a CdCat size");
            CatalogItem* file = builder_.addFile(parent, *name, *size, time);
            fileDetails(element, file);
        }
        return true;
    }

    void fileDetails(const xml::Element& element, CatalogItem* file) {
        CatalogTree& tree = builder_.tree();
        std::string comment;
        if (const xml::Element* node = Child(element, "comment"))
            comment = Comment(node->text);
        if (const xml::Element* tag = Child(element, "mp3tag")) {
            auto keep = [&](const char* key, uint8_t attribute) {
                const std::string_view value = Trimmed(tag->attribute(key).value_or(""));
                if (!value.empty())
                    tree.setTextAttribute(file, attribute, value);
            };
            keep("artist", attr::Artist);
            keep("title", attr::Title);
            keep("album", attr::Album);
            int track = 0;
            if (Number(tag->attribute("tnum").value_or(""), track) && track > 0)
                tree.setNumberAttribute(file, attr::TrackNumber, uint32_t(track));
            if (comment.empty())
                comment = Trimmed(tag->text);
        }
        if (!comment.empty())
            tree.setTextAttribute(file, attr::Comment, comment);
        if (const xml::Element* members = Child(element, "archivecontent"))
            archiveMembers(members->text, file);
    }

    // One member per line: mode?user?group?size?date?path?type?
    void archiveMembers(std::string_view text, CatalogItem* archive) {
        builder_.markArchive(archive);
        while (!text.empty()) {
            const size_t cut = text.find('\n');
            const std::string_view line = text.substr(0, cut);
            text = cut == std::string_view::npos ? std::string_view() : text.substr(cut + 1);
            std::string_view fields[6];
            std::string_view rest = line;
            size_t count = 0;
            while (count < 6) {
                const size_t mark = rest.find('?');
                if (mark == std::string_view::npos)
                    break;
                fields[count++] = rest.substr(0, mark);
                rest = rest.substr(mark + 1);
            }
            if (count < 6)
                continue;  // not a member line (the leading line break)
            std::string_view path = fields[5];
            while (path.starts_with("./"))
                path.remove_prefix(2);
            const bool directory = fields[0].starts_with('d') || path.ends_with('/');
            while (path.ends_with('/'))
                path.remove_suffix(1);
            if (path.empty() || path == ".")
                continue;
            const size_t slash = path.rfind('/');
            CatalogItem* under =
                slash == std::string_view::npos ? archive : builder_.directoryAt(archive, path.substr(0, slash), '/');
            const std::string_view leaf = slash == std::string_view::npos ? path : path.substr(slash + 1);
            if (directory) {
                builder_.directoryAt(under, leaf, '/');
            } else {
                uint64_t size = 0;
                std::from_chars(fields[3].data(), fields[3].data() + fields[3].size(), size);
                builder_.addFile(under, leaf, size, 0);
            }
        }
    }

    std::string_view text_;
    ForeignTreeBuilder& builder_;
    ForeignReadError& error_;
};

}  // namespace

std::optional<uint64_t> ParseHcfSize(std::string_view text) {
    const size_t blank = text.find(' ');
    if (blank == std::string_view::npos)
        return std::nullopt;
    const std::string_view number = text.substr(0, blank);
    const std::string_view unit = text.substr(blank + 1);
    double scale = 0;
    if (unit == "byte") scale = 1;
    else if (unit == "Kb") scale = 1024.0;
    else if (unit == "Mb") scale = 1024.0 * 1024;
    else if (unit == "Gb") scale = 1024.0 * 1024 * 1024;
    else if (unit == "Tb") scale = 1024.0 * 1024 * 1024 * 1024;
    else return std::nullopt;
    if (number.empty() || number.find_first_not_of("0123456789.") != std::string_view::npos ||
        number.size() > 24)
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || end != number.data() + number.size())
        return std::nullopt;
    const double bytes = std::round(value * scale);
    if (!(bytes >= 0) || bytes >= 1.8e19)
        return std::nullopt;
    return uint64_t(bytes);
}

bool LooksLikeHcfCatalog(std::string_view xml) {
    const std::string_view head = xml.substr(0, 2048);
    return xml.starts_with("__ENCRYTED_HCF__") ||
           head.find("<!DOCTYPE HyperCDCatalogFile") != std::string_view::npos ||
           (head.find("<?xml") != std::string_view::npos &&
            head.find("<catalog") != std::string_view::npos);
}

bool ReadHcfCatalog(std::string_view xml, ForeignTreeBuilder& builder, ForeignReadError& error) {
    if (xml.starts_with("__ENCRYTED_HCF__")) {  // sic: CdCat's own spelling
        error = {"offset 0", "an encrypted CdCat catalog; save it unencrypted in CdCat first"};
        return false;
    }
    std::string utf8;
    if (!XmlTextAsUtf8(xml, utf8, error))
        return false;
    return HcfReader(utf8, builder, error).run();
}

}  // namespace shelfmark
