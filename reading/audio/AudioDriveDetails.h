// The steps behind ReadAudioDisc, for the command-line tool and tests that want to see why a
// drive gave nothing.
#pragma once

#include <string>

#include "platform/cdrom/CdromToc.h"
#include "reading/audio/AudioDisc.h"

namespace shelfmark {

// The track list of a table of contents: starts as reported, lengths up to the next start, the
// last track's up to one frame before the lead-out.
AudioDisc DiscFromToc(const cdrom::RawToc& toc);

// Reads the disc; on failure the status says why and *error may hold a readable reason.
cdrom::CdromStatus ReadDrive(const CdDrive& drive, AudioDisc& disc, std::string* error = nullptr);

}  // namespace shelfmark
