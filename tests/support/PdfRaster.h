// One page of a PDF file as pixels, drawn by poppler's pdftoppm, a renderer that shares nothing
// with the program's own drawing. Tests use it to check the colours a printed page really has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>

#include "tests/support/TestSupport.h"

namespace shelfmark::testing {

struct PdfRaster {
    int width = 0;
    int height = 0;
    std::string rgb;  // three bytes per pixel, rows top to bottom

    struct Pixel {
        int r, g, b;
    };
    Pixel at(size_t index) const {
        const auto byte = [this](size_t i) { return int(static_cast<unsigned char>(rgb[i])); };
        return {byte(3 * index), byte(3 * index + 1), byte(3 * index + 2)};
    }
    size_t pixels() const { return rgb.size() / 3; }
};

// Page `page` (from 1) at `dpi`; nullopt when pdftoppm is missing or fails.
inline std::optional<PdfRaster> RenderPdfPage(const std::string& pdf, int page = 1, int dpi = 100) {
    const std::string number = std::to_string(page);
    const CommandResult run = RunCommand("pdftoppm -f " + number + " -l " + number + " -r " + std::to_string(dpi) +
                                         " " + ShellQuote(pdf) + " 2>/dev/null");
    // Binary PPM: "P6", width, height, the largest value (255), one blank, then the pixels.
    std::istringstream header(run.out);
    std::string magic;
    PdfRaster raster;
    int largest = 0;
    if (run.exitCode != 0 || !(header >> magic >> raster.width >> raster.height >> largest) || magic != "P6" ||
        largest != 255)
        return std::nullopt;
    const size_t start = size_t(header.tellg()) + 1;
    const size_t bytes = size_t(raster.width) * size_t(raster.height) * 3;
    if (run.out.size() < start + bytes)
        return std::nullopt;
    raster.rgb = run.out.substr(start, bytes);
    return raster;
}

}  // namespace shelfmark::testing
