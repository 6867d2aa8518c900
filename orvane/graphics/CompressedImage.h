#pragma once

#include "orvane/graphics/Image.h"

#include <cstdint>

namespace orvane::graphics {

// One level of a block-compressed picture (PixelFormat::DXT1, DXT3, DXT5). Such formats
// have no row size (rowBytes is 0), so the pixel memory of a plain Image would be empty;
// this kind of image keeps the level's compressed data instead: its 4 x 4 blocks, left to
// right and top to bottom, 8 bytes a block for DXT1 and 16 for DXT3 and DXT5, exactly as a
// compressed texture upload (glCompressedTexImage2DARB) takes them. pixels() gives that
// data, made zeroed on the first call like an Image's pixels, and dataBytes() its size.
//
// Code that needs the bytes of any image asks dataBytes() of a CompressedImage and
// pixelBytes() of the others; the copy constructor of Image does not carry compressed data.
class CompressedImage : public Image {
public:
    CompressedImage(std::uint32_t format, std::int32_t width, std::int32_t height) noexcept;
    CompressedImage(const CompressedImage&) = delete;
    CompressedImage& operator=(const CompressedImage&) = delete;
    ~CompressedImage() override;

    void* pixels() override;

    // The size of the compressed data (0 for a format that is not block-compressed).
    std::int64_t dataBytes() const noexcept;

    // Whether format is one of the block-compressed codes.
    static bool isCompressed(std::uint32_t format) noexcept;
    // The bytes a level of the given size takes in a block-compressed format: one block
    // for every 4 x 4 pixels or part of them. 0 for other formats and negative sizes.
    static std::int64_t dataBytesFor(std::uint32_t format, std::int64_t width,
                                     std::int64_t height) noexcept;

    types::String getClassName() const override;

private:
    unsigned char* blocks = nullptr;
};

} // namespace orvane::graphics
