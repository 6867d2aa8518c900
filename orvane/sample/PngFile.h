#pragma once

#include <string>

namespace orvane::graphics {
class Image;
}

namespace orvane::sample {

// Writes pictures as PNG files through libpng.
class PngFile {
public:
    // Writes a 24-bit RGB or 32-bit RGBA image, row 0 on top, as an 8-bit-a-channel PNG
    // file. False for any other format or when the file cannot be written, with `error`
    // saying why in one line.
    static bool write(const std::string& path, graphics::Image& image, std::string& error);
};

} // namespace orvane::sample
