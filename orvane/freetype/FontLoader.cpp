#include "orvane/freetype/FontLoader.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <vector>

namespace orvane::freetype {
namespace {

const char* const FONT_FOLDERS[] = {
    "/usr/share/fonts/truetype/dejavu",
    "/usr/share/fonts/truetype",
    "/usr/share/fonts/opentype",
    "/usr/local/share/fonts",
};

bool isFile(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(path, ignored);
}

std::string lowered(const char* text) {
    std::string result(text);
    for (char& c : result)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

// The file-name suffixes a style goes by, most usual first.
std::vector<std::string> styleSuffixes(const std::string& style) {
    bool bold = style.find("bold") != std::string::npos;
    bool slanted =
        style.find("oblique") != std::string::npos || style.find("italic") != std::string::npos;
    if (bold && slanted)
        return {"-BoldOblique", "-BoldItalic"};
    if (bold)
        return {"-Bold"};
    if (slanted)
        return {"-Oblique", "-Italic"};
    return {"", "-Regular"};
}

// One glyph rasterised, before packing.
struct Rendered {
    int code = 0;
    std::vector<std::uint8_t> coverage; // width x height, rows from the top
};

// FreeType's state for one load, released on every path out.
class Face {
public:
    ~Face() {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
    bool open(const std::string& path, std::int32_t index, std::string& error) {
        if (FT_Init_FreeType(&library) != 0) {
            library = nullptr;
            error = "FreeType could not start";
            return false;
        }
        if (FT_New_Face(library, path.c_str(), index, &face) != 0) {
            face = nullptr;
            error = "not a font FreeType can read: " + path;
            return false;
        }
        return true;
    }
    FT_Face face = nullptr;

private:
    FT_Library library = nullptr;
};

bool isControlCode(int code) {
    return code < 32 || (code >= 127 && code < 160);
}

// Copies the glyph slot's bitmap as 8-bit coverage; a one-bit bitmap becomes 0 or 255.
std::vector<std::uint8_t> coverageOf(const FT_Bitmap& bitmap) {
    const int width = int(bitmap.width), rows = int(bitmap.rows);
    std::vector<std::uint8_t> coverage(std::size_t(width) * std::size_t(rows));
    // Rendered glyphs flow downwards (positive pitch); an upward one starts at its end.
    const int pitch = bitmap.pitch;
    const std::uint8_t* top = bitmap.buffer;
    if (pitch < 0)
        top -= std::ptrdiff_t(pitch) * (rows - 1);
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* row = top + std::ptrdiff_t(pitch) * y;
        std::uint8_t* out = coverage.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                out[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            else
                out[x] = row[x];
        }
    }
    return coverage;
}

FT_Int32 loadFlags(std::int32_t flags) {
    FT_Int32 result = FT_LOAD_RENDER;
    if (flags & Descriptor::NO_HINTING)
        result |= FT_LOAD_NO_HINTING;
    if (flags & Descriptor::MONOCHROME)
        result |= FT_LOAD_MONOCHROME | FT_LOAD_TARGET_MONO;
    return result;
}

// Rasterises every code that has a glyph and fills in its metrics (not yet its place).
std::vector<Rendered> rasterise(FT_Face face, std::int32_t flags, Font::Glyph (&glyphs)[256]) {
    std::vector<Rendered> rendered;
    for (int code = 0; code < Font::GLYPH_COUNT; ++code) {
        if (isControlCode(code))
            continue;
        FT_UInt index = FT_Get_Char_Index(face, FT_ULong(code));
        if (index == 0 || FT_Load_Glyph(face, index, loadFlags(flags)) != 0)
            continue;
        const FT_GlyphSlot slot = face->glyph;
        Font::Glyph& glyph = glyphs[code];
        glyph.glyphIndex = index;
        glyph.width = std::int32_t(slot->bitmap.width);
        glyph.height = std::int32_t(slot->bitmap.rows);
        glyph.advance = float(slot->advance.x) / 64.0f;
        glyph.bearingX = float(slot->bitmap_left);
        glyph.bearingY = float(slot->bitmap_top);
        if (glyph.width > 0 && glyph.height > 0)
            rendered.push_back({code, coverageOf(slot->bitmap)});
    }
    return rendered;
}

std::int32_t powerOfTwoAtLeast(std::int64_t value) {
    std::int32_t result = 1;
    while (result < value)
        result *= 2;
    return result;
}

// Shelf packing, tallest glyphs first, into rows of a power-of-two width picked from the
// glyphs' total area; answers the image size and sets every glyph's x and y.
void pack(std::vector<Rendered>& rendered, Font::Glyph (&glyphs)[256], std::int32_t size[2]) {
    std::stable_sort(rendered.begin(), rendered.end(), [&](const Rendered& a, const Rendered& b) {
        return glyphs[a.code].height > glyphs[b.code].height;
    });
    std::int64_t area = 0;
    std::int32_t widest = 1;
    for (const Rendered& r : rendered) {
        const Font::Glyph& g = glyphs[r.code];
        area += std::int64_t(g.width + 1) * (g.height + 1);
        widest = std::max(widest, g.width + 1);
    }
    const std::int32_t width =
        std::max(powerOfTwoAtLeast(std::int64_t(std::ceil(std::sqrt(double(area))))), widest);
    std::int32_t x = 0, y = 0, shelf = 0;
    for (const Rendered& r : rendered) {
        Font::Glyph& g = glyphs[r.code];
        if (x + g.width > width) {
            x = 0;
            y += shelf + 1;
            shelf = 0;
        }
        g.x = x;
        g.y = y;
        x += g.width + 1;
        shelf = std::max(shelf, g.height);
    }
    size[0] = width;
    size[1] = rendered.empty() ? 0 : y + shelf;
}

void copyInto(Font& font, const std::vector<Rendered>& rendered) {
    auto* pixels = static_cast<std::uint8_t*>(font.image.pixels());
    if (!pixels)
        return;
    const std::int32_t rowBytes = font.image.getRowBytes();
    for (const Rendered& r : rendered) {
        const Font::Glyph& g = font.glyphs[r.code];
        for (std::int32_t row = 0; row < g.height; ++row)
            std::memcpy(pixels + std::ptrdiff_t(g.y + row) * rowBytes + g.x,
                        r.coverage.data() + std::size_t(row) * std::size_t(g.width),
                        std::size_t(g.width));
    }
}

} // namespace

std::string FontLoader::locate(const Descriptor& descriptor) {
    std::string family = descriptor.family.cString();
    if (family.find('/') != std::string::npos)
        return isFile(family) ? family : std::string();
    if (family.empty())
        family = DEFAULT_FAMILY;
    family.erase(std::remove(family.begin(), family.end(), ' '), family.end());
    const std::string style = lowered(descriptor.style.cString());
    for (const char* folder : FONT_FOLDERS)
        for (const std::string& suffix : styleSuffixes(style))
            for (const char* extension : {".ttf", ".otf"}) {
                std::string path = std::string(folder) + "/" + family + suffix + extension;
                if (isFile(path))
                    return path;
            }
    return {};
}

Font* FontLoader::load(const Descriptor& descriptor, std::string* error) {
    std::string path = locate(descriptor);
    if (path.empty()) {
        if (error)
            *error = "no font file for \"" + std::string(descriptor.getName().cString()) + "\"";
        return nullptr;
    }
    return load(descriptor, path, error);
}

Font* FontLoader::load(const Descriptor& descriptor, const std::string& path, std::string* error) {
    std::string reason;
    if (!(descriptor.sizeX > 0 && descriptor.sizeY > 0 && descriptor.sizeX < 4096 &&
          descriptor.sizeY < 4096)) {
        if (error)
            *error = "font sizes must lie between 0 and 4096 pixels";
        return nullptr;
    }
    Face face;
    if (!face.open(path, descriptor.faceIndex, reason) ||
        FT_Set_Char_Size(face.face, FT_F26Dot6(std::lround(descriptor.sizeX * 64)),
                         FT_F26Dot6(std::lround(descriptor.sizeY * 64)), 72, 72) != 0) {
        if (error)
            *error = reason.empty() ? "FreeType refused the size" : reason;
        return nullptr;
    }
    Font::Glyph glyphs[Font::GLYPH_COUNT];
    std::vector<Rendered> rendered = rasterise(face.face, descriptor.flags, glyphs);
    std::int32_t size[2];
    pack(rendered, glyphs, size);
    auto* font = new Font(descriptor, size);
    std::copy(std::begin(glyphs), std::end(glyphs), std::begin(font->glyphs));
    copyInto(*font, rendered);
    const FT_Size_Metrics& metrics = face.face->size->metrics;
    font->ascender = float(metrics.ascender) / 64.0f;
    font->descender = float(metrics.descender) / 64.0f;
    font->lineHeight = float(metrics.height) / 64.0f;
    return font;
}

} // namespace orvane::freetype
