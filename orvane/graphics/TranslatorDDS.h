#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/Translator.h"

namespace orvane::graphics {

// DirectDraw surfaces: DXT1, DXT3 and DXT5 compressed textures and 16, 24 and 32-bit
// uncompressed ones, with their mipmap chains. The result is the top level; each level
// holds the next (Image::nextLevel), every one half the size of the one before (a side
// that has reached 1 stays 1).
//
// Compressed levels are CompressedImage objects carrying the level's blocks as the file
// stores them (see CompressedImage.h). Uncompressed levels are recognised from the bit
// count, all four channel masks and the flags (an alpha mask counts only with the
// alpha-pixels flag), and come out in the engine's formats:
// - A8R8G8B8 and A8B8G8R8 as BGRA32; X8R8G8B8 and X8B8G8R8 as BGRA32 made opaque;
// - R8G8B8 and B8G8R8 as BGR24;
// - R5G6B5 and X1R5G5B5 as RGB16 (5 bits a channel; 6-bit green is narrowed);
// - A1R5G5B5, A4R4G4B4 and other 16-bit masks as BGRA32, each channel widened to 8 bits;
// - L8 (luminance) as GREY8, A8L8 as GREY_ALPHA16.
// Other layouts and other FourCC codes are refused, the layout named in the detail.
//
// Whatever the header claims, no level is bigger than the allocation cap, at most 32
// levels are made, and no more bytes are read than the length allows. A file without any
// pixel data is refused; data missing from a short file leaves zeros and marks the top
// level truncated. Cube maps and volumes give their first face or slice.
class TranslatorDDS : public io::Translator<Image> {
public:
    Image* translate(io::InputStream* stream, int length) override;
    int write(const Image* image, io::OutputStream* stream) override;
    // The file starts with "DDS ".
    bool identify(io::File* file) override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics
