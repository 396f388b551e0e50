// CdCat's catalog files (".hcf": gzip-compressed XML; the caller gunzips). Files in an 8-bit
// encoding other than UTF-8 are converted first (XmlEncoding.h).
//
//   catalog(name, owner, time) > datafile, comment?, category?, media*, catlnk*
//   media(name, number, owner, type, time) > comment?, category?, borrow?, directory*, file*
//   directory(name, time) > comment?, category?, directory*, file*
//   file(name, size, time) > comment?, category?, archivecontent?, mp3tag?, content?, exif?, thumb?
// Times are "YYYY-MM-DD HH:MM:SS" in the writer's local time. Sizes are "%.2f unit" with the
// units byte, Kb, Mb, Gb, Tb (1024-based), so exact byte counts are lost: a size is read back as
// the nearest whole byte. Text elements end in indentation, which is trimmed; "#" in a comment
// stands for a line break. archivecontent lists an archive's members one per line,
// "mode?user?group?size?date?path?type?"; its dates lack the minutes and are not kept.
//
// Each media becomes a disk (CD and DVD: CD/ DVD; HardDisc: hard disk; floppy and flashdrive:
// removable; NetworkPlace: network drive; others: CD/ DVD) with its number as Disk ID, its
// comment as description and its borrower as "lent to"; a file's comment and its MP3 tag's
// artist, title, album and track number are kept.
#pragma once

#include <string_view>

#include "exchange/ForeignTree.h"

namespace shelfmark {

bool ReadHcfCatalog(std::string_view xml, ForeignTreeBuilder& builder, ForeignReadError& error);

// True when the (gunzipped) text is XML with a CdCat catalog root, judged from its start.
bool LooksLikeHcfCatalog(std::string_view xml);

// "%.2f unit" as bytes; nothing for any other text.
std::optional<uint64_t> ParseHcfSize(std::string_view text);

}  // namespace shelfmark
