// The XML outline of chosen items: one element per item, nested as the catalog nests them, named
// after the item's type and carrying its name, size and date. A quick structural dump of part
// of a catalog (the configurable list exports are elsewhere).
//
// The file declares Windows-1252 and its lines end in CR LF:
//     <?xml version="1.0" encoding="Windows-1252"?>
//     (an empty line)
//     <Folder Name="Music" Size="1234" Date="12/08/26 11:20">
//     \t<CD_DVD Name="Live &amp; Loud" Size="1234" Date="...">
//     \t</CD_DVD>
//     </Folder>
// Each item's line is indented by one tab per level below the chosen item. An item with children
// is an opening and a closing line around them; a locked (password-protected) container is an
// opening line followed at once by its closing line, since its contents are not shown; any other
// item is an empty element. An XML document has one root element, so when several items are
// chosen their elements go inside an <Items> element, one tab further in.
//
// Catalog texts are UTF-8. Values are written as Windows-1252 bytes where the code page has the
// character and as character references (&#NNNN;) otherwise, so a parser reads back the exact
// name. XML 1.0 cannot carry the control characters other than tab, line feed and carriage
// return, not even as references: those become U+FFFD. Element names are made XML names: a
// character not allowed in a name (or not in Windows-1252) becomes "_".
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "catalog/CatalogTree.h"
#include "foundation/ValueTexts.h"

namespace shelfmark {

class Prompter;

// The declaration line and the empty line that start every outline.
inline constexpr std::string_view kXmlOutlineHead =
    "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\r\n\r\n";
// The element that holds several chosen items.
inline constexpr std::string_view kXmlOutlineWrapper = "Items";
// How deep below a chosen item the outline goes (the chosen item is level 0).
inline constexpr int kXmlOutlineLevels = 40;

// The whole outline of `items` (each with everything visible below it, in the order given).
// Several items are wrapped in one kXmlOutlineWrapper element.
std::string XmlOutlineText(const CatalogTree& tree, std::span<const CatalogItem* const> items,
                           const DateFormat& dates = DateFormat::User());

// The same handed to `sink` in pieces as it is made; false when the sink refused one.
bool WriteXmlOutlineTo(const CatalogTree& tree, std::span<const CatalogItem* const> items,
                       const std::function<bool(std::string_view)>& sink,
                       const DateFormat& dates = DateFormat::User());

// Writes the outline to `path`, replacing the file. When it cannot be written, "Unable to write
// to PATH, it is read-only or opened by someone else." is shown with the system's reason, and
// the answer is false.
bool WriteXmlOutline(const std::string& path, const CatalogTree& tree,
                     std::span<const CatalogItem* const> items, Prompter& prompter,
                     const DateFormat& dates = DateFormat::User());

// An element name for a type text: every character that an XML name may not hold at its place,
// or that Windows-1252 lacks, becomes "_" ("Audio CD" gives "Audio_CD"); ":" too, so that
// namespace-aware parsers accept it. In Windows-1252 bytes.
std::string XmlElementName(std::string_view typeText);
// An attribute value (without the quotes) in Windows-1252 bytes: "&", "<", ">" and the double
// quote as entities, tab, line feed and carriage return as references (so they survive the
// parser's normalisation), characters the code page lacks as &#NNNN;.
std::string XmlAttributeValue(std::string_view text);
// Element content in Windows-1252 bytes: "&" and "<" as entities, ">" and quotes as they are,
// a carriage return and the characters the code page lacks as references (&#NNNN;).
std::string XmlCharacterData(std::string_view text);

}  // namespace shelfmark
