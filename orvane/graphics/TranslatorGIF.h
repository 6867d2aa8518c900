#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/Translator.h"

namespace orvane::graphics {

// GIF pictures, read with giflib. The result is the file's last frame as an animation shows
// it: the logical screen filled with its background index, then every image of the file
// drawn in file order (interlaced ones row by row in the order of their four passes), each
// clipped to the screen. A graphic control extension gives the next image a transparent
// index, whose pixels leave what lies below, and a disposal, done before the image after
// it: its area kept, made transparent (its colours left), or put back as it was before it
// was drawn. The first image's transparent pixels keep their colour and become transparent,
// and so does the screen around it when it has a transparent index; a transparent pixel
// drawn over a transparent one leaves transparent black. Other extensions (timing,
// comments) are read past.
//
// While every image is drawn with one colour map (its local map, else the screen's) and no
// pixel is transparent, the result is one 8-bit indexed image (PixelFormat::INDEX8) whose
// palette is the last image's local map, or the screen's global one when that image has
// none (entries (red, green, blue, 0), the rest of the 256 zero); a file with neither map
// gives an image without a palette. Once an image's map differs (many-colour stills,
// animations) or a pixel turns transparent, the picture so far is turned into RGBA32
// through the map it was drawn with, and every later image paints its pixels in its own
// map's colours. A file whose trailer is missing after complete image data decodes.
//
// Any error giflib reports (a file cut inside its image data among them) raises
// TranslatorFormatException with giflib's words; a screen larger than the allocation cap (as
// an RGBA32 picture once it needs colour) raises TranslatorMemoryException. Errors of the
// stream pass through unchanged. The translator keeps no state between calls.
class TranslatorGIF : public io::Translator<Image> {
public:
    // The length is not used: the file's own structure says where it ends.
    Image* translate(io::InputStream* stream, int length) override;
    int write(const Image* image, io::OutputStream* stream) override;
    // The file starts with "GIF8".
    bool identify(io::File* file) override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics
