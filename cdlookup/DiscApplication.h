// Applying a disc record to a catalogued audio-CD disk: the disk's name and its track items'
// descriptions by the naming formats, and optionally the copy into cdplayer.ini.
#pragma once

#include <string>

#include "catalog/EditSupport.h"
#include "reading/audio/DiscInformation.h"

class CDiscoraDisc;

namespace shelfmark {

struct DiscNaming {
    std::string discFormat;   // empty: artist " - " title
    std::string trackFormat;  // empty: the track title
    bool saveDiscInfo = true;
    std::string iniPath = std::string(kCdPlayerIniName);
};

// A disc without tracks changes nothing (Unchanged). Otherwise, under the edit lock and as one
// attribute-change step for the disk and the track items it names: the disk gets the disc name,
// each existing "TrackNN.cda" child (any case) of tracks 1 ... n the track description, and,
// with saveDiscInfo and a table of contents on the disk, cdplayer.ini the disc under the disk's
// key. Tracks of the record beyond the disk's items are ignored here but still written to
// cdplayer.ini.
EditStatus ApplyDiscToDisk(CatalogDocument& document, CatalogItem& disk, const CDiscoraDisc& disc,
                           const DiscNaming& naming);

}  // namespace shelfmark
