// Writes a picture as a PNG file: 8-bit RGB, no interlace, the image data in
// stored (uncompressed) deflate blocks, so no compression library is needed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace avex::host {

// `rgb` holds `height` rows from the top, each `width` pixels of red, green
// and blue. False when the file cannot be written or the sizes disagree.
bool WritePng(const std::string& path, uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb);

}  // namespace avex::host
