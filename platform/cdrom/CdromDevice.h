// The Linux CD-ROM interface: the table of contents through CDROMREADTOCHDR/CDROMREADTOCENTRY,
// CD-Text through the MMC command READ TOC/PMA/ATIP sent with SG_IO, and the door. Every call
// opens the device node itself (read-only, non-blocking, so a drive without a disc still opens)
// and closes it again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/cdrom/CdromToc.h"

namespace shelfmark::cdrom {

// Reads the table of contents of the disc in the drive at `device` (e.g. "/dev/sr0").
CdromStatus ReadDeviceToc(const std::string& device, RawToc& toc);

// Reads the CD-Text packs: the drive's answer (4-byte header, then 18-byte packs), cut to what
// the drive returned. False when the drive cannot give it (no SG_IO, no CD-Text, a SCSI error).
bool ReadDeviceCdText(const std::string& device, std::vector<uint8_t>& answer);

// Opens the door of the drive; false when it cannot be opened or is not a CD-ROM drive.
bool EjectDevice(const std::string& device);

}  // namespace shelfmark::cdrom
