// Manual pages in roff (man macros) from plain page text, so that a page is written once, as
// text a person can read, and the `--help` texts it is made from stay its only source.
//
// Page text:
//   - the first line is the NAME line: "name - what it is";
//   - a line of capital letters and blanks only ("SYNOPSIS", "EXIT STATUS") starts a section;
//   - a line "## title" starts a subsection;
//   - lines that start with a blank or a tab, or with "Usage:", are kept as they stand;
//   - other lines are running text, filled by the formatter; an empty line ends a paragraph.
#pragma once

#include <string>
#include <string_view>

namespace shelfmark::cli {

struct ManPageHeading {
    std::string title;    // e.g. "SHELFMARK-CLI"
    std::string section;  // e.g. "1"
    std::string source;   // e.g. "Shelfmark 3.30.2004"
    std::string manual;   // e.g. "User Commands"
};

// The roff text of the page. Text is escaped so that no byte of it is read as a request or an
// escape; UTF-8 letters outside ASCII are written as \[uXXXX] escapes.
std::string ManPageRoff(const ManPageHeading& heading, std::string_view pageText);

// The page text of shelfmark-cli itself: the general help, then one subsection per command
// with its help text, then the files and exit statuses.
std::string CliManPageText();

}  // namespace shelfmark::cli
