#include "exchange/XmlEncoding.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

#include "catalog/FileText.h"
#include "exchange/JsonReader.h"

namespace shelfmark {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The name in upper case without '-', '_' and '.', so that "iso_8859-1" and "ISO-8859-1" match.
std::string Folded(std::string_view name) {
    std::string folded;
    for (const char c : name) {
        if (c == '-' || c == '_' || c == '.')
            continue;
        folded += (c >= 'a' && c <= 'z') ? char(c - 32) : c;
    }
    return folded;
}

bool IsUtf8Name(const std::string& folded) {
    return folded == "UTF8" || folded == "USASCII" || folded == "ASCII";
}

bool IsCp1252Name(const std::string& folded) {
    return folded == "WINDOWS1252" || folded == "CP1252" || folded == "ISO88591" ||
           folded == "LATIN1" || folded == "L1" || folded == "ISOIR100" || folded == "IBM819" ||
           folded == "CP819";
}

std::string LineAndColumn(std::string_view text, size_t offset) {
    size_t line = 0, column = 0;
    json::LineColumnOf(text, offset, line, column);
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

struct IconvCloser {
    void operator()(void* handle) const { iconv_close(static_cast<iconv_t>(handle)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

// Converts with iconv; false with the offset of the first byte it could not convert.
bool Iconv(iconv_t handle, std::string_view in, std::string& out, size_t& badOffset) {
    out.assign(in.size() + 16, '\0');
    char* inPtr = const_cast<char*>(in.data());  // iconv's interface; it does not write there
    size_t inLeft = in.size();
    size_t written = 0;
    for (bool flushed = false; !flushed;) {
        char* outPtr = out.data() + written;
        size_t outLeft = out.size() - written;
        // Once the input is used up, one call without input ends any shift state.
        const bool flushing = inLeft == 0;
        const size_t result = flushing ? iconv(handle, nullptr, nullptr, &outPtr, &outLeft)
                                       : iconv(handle, &inPtr, &inLeft, &outPtr, &outLeft);
        written = size_t(outPtr - out.data());
        if (result == size_t(-1)) {
            if (errno != E2BIG) {
                badOffset = size_t(inPtr - in.data());
                return false;
            }
            out.resize(out.size() * 2);
            continue;
        }
        flushed = flushing;
    }
    out.resize(written);
    return true;
}

}  // namespace

std::string_view DeclaredXmlEncoding(std::string_view xml) {
    if (xml.starts_with(kByteOrderMark))
        xml.remove_prefix(kByteOrderMark.size());
    if (!xml.starts_with("<?xml"))
        return {};
    const std::string_view declaration = xml.substr(0, xml.find("?>"));
    size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return {};
    at += 8;
    auto skipSpace = [&] {
        while (at < declaration.size() && (declaration[at] == ' ' || declaration[at] == '\t' ||
                                           declaration[at] == '\r' || declaration[at] == '\n'))
            ++at;
    };
    skipSpace();
    if (at >= declaration.size() || declaration[at] != '=')
        return {};
    ++at;
    skipSpace();
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\''))
        return {};
    const char quote = declaration[at++];
    const size_t end = declaration.find(quote, at);
    if (end == std::string_view::npos)
        return {};
    return declaration.substr(at, end - at);
}

bool XmlTextAsUtf8(std::string_view xml, std::string& utf8, ForeignReadError& error) {
    const std::string_view name = DeclaredXmlEncoding(xml);
    const std::string folded = Folded(name);
    if (name.empty() || IsUtf8Name(folded)) {
        utf8.assign(xml);
        return true;
    }
    if (IsCp1252Name(folded)) {
        utf8 = Cp1252ToUtf8(xml);
        return true;
    }
    // Only names made of letters, digits and the usual punctuation reach iconv (which would
    // otherwise read suffixes such as "//IGNORE" as options).
    const bool plainName = name.find_first_not_of(
                               "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                               "0123456789-_.:") == std::string_view::npos;
    const size_t nameOffset = size_t(name.data() - xml.data());
    const std::string quoted = "'" + std::string(name) + "'";
    IconvHandle handle;
    if (plainName) {
        const iconv_t opened = iconv_open("UTF-8", std::string(name).c_str());
        if (opened != iconv_t(-1))
            handle.reset(opened);
    }
    if (!handle) {
        error = {LineAndColumn(xml, nameOffset), "the encoding " + quoted + " is not known"};
        return false;
    }
    // The declaration itself, written in ASCII, must read the same in the encoding it names;
    // it does not in UTF-16 or EBCDIC, whatever the file says.
    const iconv_t converter = static_cast<iconv_t>(handle.get());
    const std::string_view declaration = xml.substr(0, xml.find("?>", nameOffset) + 2);
    size_t badOffset = 0;
    if (!Iconv(converter, declaration, utf8, badOffset) || utf8 != declaration) {
        error = {LineAndColumn(xml, nameOffset),
                 "the encoding " + quoted + " is not one a catalog file can be written in"};
        return false;
    }
    if (!Iconv(converter, xml, utf8, badOffset)) {
        error = {LineAndColumn(xml, badOffset), "bytes that are not valid " + quoted + " text"};
        return false;
    }
    return true;
}

}  // namespace shelfmark
