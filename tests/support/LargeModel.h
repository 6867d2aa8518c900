#pragma once

// A large 3DS model for measuring scale: `objects` wavy grids side by side, `faces` in all
// (at most 65,534 an object, the format's limit), each object's faces split between two of
// `materials` textured materials (TEX00.TGA, TEX01.TGA, ...), and the 64 x 64 textures.

#include "tests/support/ImageFiles.h"
#include "tests/support/ModelFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace orvane::test {

inline std::string largeModelTextureName(int material) {
    char name[32];
    std::snprintf(name, sizeof name, "TEX%02d.TGA", material);
    return name;
}

inline Bytes largeModel(long faces, int objects, int materials) {
    std::vector<Chunk> chunks;
    for (int m = 0; m < materials; ++m)
        chunks.push_back(materialChunk({.name = "Material" + std::to_string(m),
                                        .ambient = {0.8f, 0.8f, 0.8f},
                                        .diffuse = {0.9f, 0.9f, 0.9f},
                                        .texture = largeModelTextureName(m)}));
    const int across = int(std::ceil(std::sqrt(double(objects))));
    for (int object = 0; object < objects; ++object) {
        const int objectFaces =
            int(std::min<long>(65534, faces / objects + (object < faces % objects)));
        // Quads of two faces, 250 a row; an odd count's last face takes a quad of its own.
        const int columns = 250;
        const int rows = std::max(1, ((objectFaces + 1) / 2 + columns - 1) / columns);
        const float left = float(object % across) * 260, bottom = float(object / across) * 260;
        std::vector<float> xyz, uv;
        xyz.reserve(std::size_t(columns + 1) * (rows + 1) * 3);
        for (int y = 0; y <= rows; ++y)
            for (int x = 0; x <= columns; ++x) {
                xyz.insert(xyz.end(), {left + float(x), bottom + float(y) * 250.0f / float(rows),
                                       8 * std::sin(float(x) * 0.1f) * std::cos(float(y) * 0.2f)});
                uv.insert(uv.end(), {float(x) / 25, float(y) / 25});
            }
        Chunk faceList = faceChunk(gridFaces(objectFaces, columns, false));
        for (int half = 0; half < 2; ++half) {
            std::vector<std::uint16_t> group;
            for (int f = half * objectFaces / 2;
                 f < (half + 1) * objectFaces / 2 + half * (objectFaces % 2); ++f)
                group.push_back(std::uint16_t(f));
            faceList.add(
                groupChunk("Material" + std::to_string((2 * object + half) % materials), group));
        }
        chunks.push_back(
            objectChunk("Object" + std::to_string(object),
                        Chunk(0x4100).add(vertexChunk(xyz)).add(texCoordChunk(uv)).add(faceList)));
    }
    return modelFile(chunks);
}

// The material's texture: a 64 x 64 checker in its own hue.
inline Bytes largeModelTexture(int material) {
    Tga tga;
    tga.width = tga.height = 64;
    const auto hue = std::uint8_t(40 + (material * 53) % 200);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool dark = ((x / 8) + (y / 8)) % 2;
            const std::uint8_t b = dark ? 60 : hue, g = dark ? 60 : std::uint8_t(255 - hue),
                               r = 200;
            tga.pixelData.insert(tga.pixelData.end(), {b, g, r});
        }
    return tgaFile(tga);
}

} // namespace orvane::test
