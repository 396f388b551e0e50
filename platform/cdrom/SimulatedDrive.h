// A simulated CD drive for tests and demonstrations: an INI file describes the disc in the drive,
// and the reading layer gets from it exactly what a real drive would report.
//
//   [Disc]
//   Label=MIXED_DISC          ; volume label of the data part
//   Serial=1A2B-3C4D          ; volume serial number, hexadecimal
//   DataDirectory=mixed-data  ; the data part of a mixed-mode disc, relative to this file
//   LeadOut=52:10:40          ; absolute MSF position of the lead-out
//   Busy=0                    ; 1: the drive reports itself busy on every open
//   [Tracks]
//   1=audio 00:02:00          ; track number = type and absolute MSF start
//   2=data 40:04:17
//   [CDText]
//   1=80 00 00 00 41 6C ...   ; packs in order: 16 bytes (the CRC is added) or 18 bytes, hex
//
// A file without tracks is an empty drive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/cdrom/CdromToc.h"

namespace shelfmark {
class ProfileFile;
}

namespace shelfmark::cdrom {

struct SimulatedDisc {
    RawToc toc;
    std::vector<uint8_t> cdText;  // the READ TOC format 5 answer built from [CDText]; empty without
    std::string label;
    uint32_t serial = 0;
    std::string dataDirectory;  // resolved against the file's folder; empty for a pure audio CD
};

// Loads the simulated drive's disc. NoDevice when the file cannot be read, Busy when it says so,
// NoDisc without tracks, Failed (with the reason in *error) when it is malformed.
CdromStatus LoadSimulatedDisc(const std::string& path, SimulatedDisc& disc,
                              std::string* error = nullptr);

// The same for a loaded profile; a relative data directory is taken from baseDirectory.
CdromStatus ParseSimulatedDisc(const ProfileFile& file, const std::string& baseDirectory,
                               SimulatedDisc& disc, std::string* error = nullptr);

// Parses "MM:SS:FF" (seconds below 60, frames below 75); false otherwise.
bool ParseMsf(const std::string& text, TocEntry& entry);

// Parses hexadecimal bytes, blanks between bytes allowed; false on any other character or an odd
// digit count.
bool ParseHexBytes(const std::string& text, std::vector<uint8_t>& bytes);

}  // namespace shelfmark::cdrom
