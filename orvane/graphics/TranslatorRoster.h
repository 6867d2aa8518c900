#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/graphics/TranslatorBMP.h"
#include "orvane/graphics/TranslatorDDS.h"
#include "orvane/graphics/TranslatorGIF.h"
#include "orvane/graphics/TranslatorJPG.h"
#include "orvane/graphics/TranslatorPCX.h"
#include "orvane/graphics/TranslatorPNG.h"
#include "orvane/graphics/TranslatorTGA.h"
#include "orvane/graphics/TranslatorTIFF.h"
#include "orvane/io/TranslatorRoster.h"

#include <array>

namespace orvane::graphics {

// Every image translator of the engine, owned by the roster and asked in this order:
// BMP, DDS, GIF, JPG, PCX, PNG, TGA, TIFF. TGA's test is weak (it accepts most files whose
// second byte is 0 or 1), so the formats with real signatures go before it.
class TranslatorRoster : public io::TranslatorRoster<Image> {
public:
    // The file-name extensions of the pictures the roster decodes, lower case, in the
    // roster's order (TIFF files are only recognised, so they have none).
    static constexpr std::array<const char*, 8> PICTURE_EXTENSIONS = {"bmp",  "dds", "gif", "jpg",
                                                                      "jpeg", "pcx", "png", "tga"};

    TranslatorRoster();
    ~TranslatorRoster() override;

private:
    TranslatorBMP bmp;
    TranslatorDDS dds;
    TranslatorGIF gif;
    TranslatorJPG jpg;
    TranslatorPCX pcx;
    TranslatorPNG png;
    TranslatorTGA tga;
    TranslatorTIFF tiff;
};

} // namespace orvane::graphics
