#pragma once

// Small writers for BMP, PCX and TGA files, so that tests, fuzz seeds and benchmarks build
// their pictures from bytes instead of shipping binary files.

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace orvane::test {

using Bytes = std::vector<std::uint8_t>;
using Rgb = std::array<std::uint8_t, 3>;

inline void put8(Bytes& out, unsigned value) {
    out.push_back(std::uint8_t(value));
}
inline void put16(Bytes& out, unsigned value) {
    put8(out, value);
    put8(out, value >> 8);
}
inline void put32(Bytes& out, std::uint32_t value) {
    put16(out, value);
    put16(out, value >> 16);
}
inline void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

// ---- BMP

struct Bmp {
    std::int32_t width = 0;
    std::int32_t height = 0; // negative: rows stored top-down
    int bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::uint32_t infoSize = 40;  // 12 writes the OS/2 core header
    std::vector<Rgb> palette{};   // written as stored (4 bytes an entry, 3 for core headers)
    Bytes pixelData{};            // the stored pixel bytes
    std::int64_t dataOffset = -1; // -1: right after the palette
    // Bit-field masks (red, green, blue, alpha): inside info headers of 52 bytes and more,
    // after a 40-byte header otherwise (three, four with compression 6).
    std::vector<std::uint32_t> masks{};
};

inline Bytes bmpFile(const Bmp& bmp) {
    const bool core = bmp.infoSize == 12;
    const std::uint32_t entryBytes = core ? 3 : 4;
    const bool masksInHeader = bmp.infoSize >= 52;
    const std::uint32_t trailingMasks = masksInHeader ? 0 : std::uint32_t(bmp.masks.size()) * 4;
    const std::uint32_t headers = 14 + bmp.infoSize + trailingMasks;
    const std::uint32_t offset = bmp.dataOffset >= 0
                                     ? std::uint32_t(bmp.dataOffset)
                                     : headers + entryBytes * std::uint32_t(bmp.palette.size());
    Bytes out{};
    put8(out, 'B');
    put8(out, 'M');
    put32(out, 0); // file size, patched below
    put32(out, 0);
    put32(out, offset);
    put32(out, bmp.infoSize);
    if (core) {
        put16(out, unsigned(bmp.width));
        put16(out, unsigned(bmp.height));
        put16(out, 1);
        put16(out, unsigned(bmp.bits));
    } else {
        put32(out, std::uint32_t(bmp.width));
        put32(out, std::uint32_t(bmp.height));
        put16(out, 1);
        put16(out, unsigned(bmp.bits));
        Bytes rest;
        put32(rest, bmp.compression);
        put32(rest, std::uint32_t(bmp.pixelData.size()));
        put32(rest, 2835);
        put32(rest, 2835);
        put32(rest, bmp.coloursUsed);
        put32(rest, 0);
        if (masksInHeader)
            for (std::uint32_t mask : bmp.masks)
                put32(rest, mask);
        rest.resize(std::max<std::size_t>(bmp.infoSize, 16) - 16, 0);
        append(out, rest);
        if (!masksInHeader)
            for (std::uint32_t mask : bmp.masks)
                put32(out, mask);
    }
    for (const Rgb& c : bmp.palette) {
        put8(out, c[2]);
        put8(out, c[1]);
        put8(out, c[0]);
        if (!core)
            put8(out, 0);
    }
    out.resize(std::max<std::size_t>(out.size(), offset), 0);
    append(out, bmp.pixelData);
    const auto size = std::uint32_t(out.size());
    for (int i = 0; i < 4; ++i)
        out[2 + i] = std::uint8_t(size >> (8 * i));
    return out;
}

// Stored rows from rows given top row first: each padded to a multiple of 4 bytes, and
// put bottom row first unless topDown.
inline Bytes bmpRows(std::vector<Bytes> rows, bool topDown = false) {
    if (!topDown)
        std::reverse(rows.begin(), rows.end());
    Bytes out{};
    for (Bytes row : rows) {
        row.resize((row.size() + 3) / 4 * 4, 0);
        append(out, row);
    }
    return out;
}

// ---- PCX

struct Pcx {
    int width = 0;
    int height = 0;
    int xMin = 0;
    int yMin = 0;
    int bitsPerPixel = 8;
    int planes = 1;
    int bytesPerLine = 0; // 0: the width's bytes rounded up to an even count
    int version = 5;
    std::vector<Rgb> headerPalette{}; // up to 16 colours
    Bytes encoded{};                  // run-length data
    std::vector<Rgb> palette{};       // trailing 256-colour palette, written when not empty
};

inline int pcxBytesPerLine(const Pcx& pcx) {
    if (pcx.bytesPerLine)
        return pcx.bytesPerLine;
    const int bytes = (pcx.width * pcx.bitsPerPixel + 7) / 8;
    return bytes + (bytes & 1);
}

// Run-length encodes bytes as PCX writers do: runs of up to 63, and single bytes of 192
// or more written as runs of one.
inline Bytes pcxEncode(const Bytes& raw) {
    Bytes out{};
    for (std::size_t i = 0; i < raw.size();) {
        std::size_t run = 1;
        while (i + run < raw.size() && raw[i + run] == raw[i] && run < 63)
            ++run;
        if (run > 1 || raw[i] >= 0xC0)
            put8(out, 0xC0 | unsigned(run));
        put8(out, raw[i]);
        i += run;
    }
    return out;
}

inline Bytes pcxFile(const Pcx& pcx) {
    Bytes out{};
    put8(out, 10);
    put8(out, unsigned(pcx.version));
    put8(out, 1);
    put8(out, unsigned(pcx.bitsPerPixel));
    put16(out, unsigned(pcx.xMin));
    put16(out, unsigned(pcx.yMin));
    put16(out, unsigned(pcx.xMin + pcx.width - 1));
    put16(out, unsigned(pcx.yMin + pcx.height - 1));
    put16(out, 72);
    put16(out, 72);
    for (int i = 0; i < 16; ++i) {
        const Rgb c = i < int(pcx.headerPalette.size()) ? pcx.headerPalette[std::size_t(i)] : Rgb{};
        put8(out, c[0]);
        put8(out, c[1]);
        put8(out, c[2]);
    }
    put8(out, 0);
    put8(out, unsigned(pcx.planes));
    put16(out, unsigned(pcxBytesPerLine(pcx)));
    put16(out, 1);
    out.resize(128, 0);
    append(out, pcx.encoded);
    if (!pcx.palette.empty()) {
        put8(out, 0x0C);
        for (int i = 0; i < 256; ++i) {
            const Rgb c = i < int(pcx.palette.size()) ? pcx.palette[std::size_t(i)] : Rgb{};
            put8(out, c[0]);
            put8(out, c[1]);
            put8(out, c[2]);
        }
    }
    return out;
}

// ---- TGA

struct Tga {
    int imageType = 2;
    int colourMapType = 0;
    int colourMapLength = 0;
    int colourMapEntryBits = 0;
    Bytes colourMap{}; // stored entries
    int width = 0;
    int height = 0;
    int depth = 24;
    int descriptor = 0; // 0x20: rows stored top-down
    Bytes id{};
    Bytes pixelData{}; // stored pixels (or packets)
};

inline Bytes tgaFile(const Tga& tga) {
    Bytes out{};
    put8(out, unsigned(tga.id.size()));
    put8(out, unsigned(tga.colourMapType));
    put8(out, unsigned(tga.imageType));
    put16(out, 0);
    put16(out, unsigned(tga.colourMapLength));
    put8(out, unsigned(tga.colourMapEntryBits));
    put16(out, 0);
    put16(out, 0);
    put16(out, unsigned(tga.width));
    put16(out, unsigned(tga.height));
    put8(out, unsigned(tga.depth));
    put8(out, unsigned(tga.descriptor));
    append(out, tga.id);
    append(out, tga.colourMap);
    append(out, tga.pixelData);
    return out;
}

// Run-length packets for pixels of pixelBytes each: repeated pixels become run packets,
// others raw packets, none longer than 128 pixels (packets may span rows).
inline Bytes tgaEncode(const Bytes& pixels, std::size_t pixelBytes) {
    const std::size_t count = pixels.size() / pixelBytes;
    auto same = [&](std::size_t a, std::size_t b) {
        return std::equal(pixels.begin() + long(a * pixelBytes),
                          pixels.begin() + long((a + 1) * pixelBytes),
                          pixels.begin() + long(b * pixelBytes));
    };
    Bytes out{};
    for (std::size_t i = 0; i < count;) {
        std::size_t run = 1;
        while (i + run < count && run < 128 && same(i, i + run))
            ++run;
        if (run > 1) {
            put8(out, 0x80 | unsigned(run - 1));
            out.insert(out.end(), pixels.begin() + long(i * pixelBytes),
                       pixels.begin() + long((i + 1) * pixelBytes));
            i += run;
            continue;
        }
        std::size_t raw = 1;
        while (i + raw < count && raw < 128 && !(i + raw + 1 < count && same(i + raw, i + raw + 1)))
            ++raw;
        put8(out, unsigned(raw - 1));
        out.insert(out.end(), pixels.begin() + long(i * pixelBytes),
                   pixels.begin() + long((i + raw) * pixelBytes));
        i += raw;
    }
    return out;
}

} // namespace orvane::test
