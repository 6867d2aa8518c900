#pragma once

// A PNG the viewer wrote, read back with the engine's PNG translator and measured: where
// the model lies against the background, and how many colours it shows.

#include "orvane/graphics/Image.h"
#include "orvane/graphics/PixelFormat.h"
#include "orvane/graphics/TranslatorPNG.h"
#include "orvane/io/SystemFile.h"
#include "orvane/object/Pointer.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace orvane::test {

inline object::Pointer<graphics::Image> readPng(const std::string& path) {
    auto file = object::Pointer<io::SystemFile>::adopt(
        io::SystemFile::open(path.c_str(), io::SystemFile::MODE_READ));
    graphics::TranslatorPNG translator;
    return object::Pointer<graphics::Image>::adopt(
        translator.translate(file->getInputStream(), -1));
}

struct Snapshot {
    // 0xRRGGBB per pixel, row by row from the top; empty when the file could not be read.
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    static Snapshot read(const std::string& path) {
        Snapshot snapshot;
        object::Pointer<graphics::Image> image;
        try {
            image = readPng(path);
        } catch (...) {
            return snapshot;
        }
        const auto format = image ? image->getFormat() : 0;
        const bool rgb = format == graphics::PixelFormat::RGB24;
        if (!image || (!rgb && format != graphics::PixelFormat::BGR24))
            return snapshot;
        snapshot.width = image->getWidth();
        snapshot.height = image->getHeight();
        const auto* bytes = static_cast<const std::uint8_t*>(image->pixels());
        for (int y = 0; y < snapshot.height; ++y)
            for (int x = 0; x < snapshot.width; ++x) {
                const std::uint8_t* p = bytes + y * image->getRowBytes() + x * 3;
                const std::uint32_t r = rgb ? p[0] : p[2], g = p[1], b = rgb ? p[2] : p[0];
                snapshot.pixels.push_back(r << 16 | g << 8 | b);
            }
        return snapshot;
    }

    bool empty() const { return pixels.empty(); }

    // Whether a pixel differs from the background by more than 2 in any channel.
    static bool differs(std::uint32_t pixel, std::uint32_t background) {
        for (int shift : {0, 8, 16})
            if (std::abs(int((pixel >> shift) & 0xFF) - int((background >> shift) & 0xFF)) > 2)
                return true;
        return false;
    }

    // The box around the pixels that are not background; width 0 when there are none.
    struct Box {
        int left = 0, top = 0, width = 0, height = 0;
        // The longer side as a share of the picture's side along it.
        double span(const Snapshot& of) const {
            return std::max(double(width) / of.width, double(height) / of.height);
        }
        // How far the box's centre lies from the picture's, as a share of the picture's
        // side, the larger of the two directions.
        double offCentre(const Snapshot& of) const {
            const double dx = std::abs(left + width / 2.0 - of.width / 2.0) / of.width;
            const double dy = std::abs(top + height / 2.0 - of.height / 2.0) / of.height;
            return std::max(dx, dy);
        }
    };
    Box silhouette(std::uint32_t background) const {
        int left = width, right = -1, top = height, bottom = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (differs(pixels[std::size_t(y * width + x)], background)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        if (right < left)
            return {};
        return {left, top, right - left + 1, bottom - top + 1};
    }

    // The distinct colours of the pixels that are not background.
    std::size_t modelColours(std::uint32_t background) const {
        std::set<std::uint32_t> colours;
        for (std::uint32_t pixel : pixels)
            if (differs(pixel, background))
                colours.insert(pixel);
        return colours.size();
    }
};

} // namespace orvane::test
