#include "orvane/sample/PngFile.h"

#include "orvane/graphics/Image.h"
#include "orvane/graphics/PixelFormat.h"

#include <png.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace orvane::sample {

bool PngFile::write(const std::string& path, graphics::Image& image, std::string& error) {
    png_image description;
    std::memset(&description, 0, sizeof description);
    description.version = PNG_IMAGE_VERSION;
    description.width = png_uint_32(image.getWidth());
    description.height = png_uint_32(image.getHeight());
    if (image.getFormat() == graphics::PixelFormat::RGB24)
        description.format = PNG_FORMAT_RGB;
    else if (image.getFormat() == graphics::PixelFormat::RGBA32)
        description.format = PNG_FORMAT_RGBA;
    else {
        error = "only RGB and RGBA pictures are written as PNG";
        return false;
    }
    const void* pixels = image.pixels();
    if (!pixels || image.getWidth() <= 0 || image.getHeight() <= 0) {
        error = "the picture is empty";
        return false;
    }
    errno = 0;
    if (!png_image_write_to_file(&description, path.c_str(), 0, pixels, image.getRowBytes(),
                                 nullptr)) {
        // libpng's words for a file it could not open are often the system's own: say
        // them once.
        error = description.message;
        const std::string system = errno != 0 ? std::strerror(errno) : "";
        if (!system.empty() && error.find(system) == std::string::npos)
            error += " (" + system + ")";
        png_image_free(&description);
        return false;
    }
    return true;
}

} // namespace orvane::sample
