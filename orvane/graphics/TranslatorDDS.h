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
// stores them (see CompressedImage.h). Uncompressed levels come out in the engine's
// formats: 16-bit as PixelFormat::RGB16 (5 bits a channel; files with a 6-bit green mask
// are narrowed to it), 24-bit as BGR24 and 32-bit as BGRA32 (files whose masks put red in
// the first byte are turned into that order).
//
// Whatever the header claims, no level is bigger than the allocation cap, at most 32
// levels are made, and no more bytes are read than the length allows; data missing from a
// short file leaves zeros. Cube maps and volumes give their first face or slice.
class TranslatorDDS : public io::Translator<Image> {
public:
    Image* translate(io::InputStream* stream, int length) override;
    int write(const Image* image, io::OutputStream* stream) override;
    // The file starts with "DDS ".
    bool identify(io::File* file) override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics
