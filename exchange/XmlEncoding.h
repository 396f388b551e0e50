// XML files written in an 8-bit encoding (CdCat catalogs saved as ISO-8859-1, windows-1252,
// ISO-8859-2, ...), made UTF-8 before they are read.
//
// The encoding is the one the XML declaration names (<?xml version="1.0" encoding="..."?>);
// without a declaration, or without an encoding in it, the text is UTF-8 as XML says. UTF-8 and
// US-ASCII texts are taken as they are. windows-1252 and ISO-8859-1 are both read as
// windows-1252, as web browsers do: writers that say ISO-8859-1 often mean the code page, and
// the C1 control characters ISO-8859-1 has in its place never belong in a name. Every other
// name goes to the C library's iconv. An encoding that is unknown, one that is not 8-bit
// compatible with ASCII (the declaration no longer reads the same after converting), and bytes
// that are not valid in the encoding are errors naming the encoding.
#pragma once

#include <string>
#include <string_view>

#include "exchange/ForeignTree.h"

namespace shelfmark {

// The encoding named by the XML declaration at the start of `xml`, as written; empty when
// there is no declaration or it names none.
std::string_view DeclaredXmlEncoding(std::string_view xml);

// `xml` as UTF-8 in `utf8`; false with `error` (where and why) when it cannot be converted.
bool XmlTextAsUtf8(std::string_view xml, std::string& utf8, ForeignReadError& error);

}  // namespace shelfmark
