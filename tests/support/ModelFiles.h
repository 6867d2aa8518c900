#pragma once

// A writer of 3DS files, chunk by chunk, for tests, fuzz seeds, benchmarks and the sample
// model. A chunk collects its own data and its sub-chunks; its length field is patched in
// when its bytes are taken, unless a test forces a value to damage the file.

#include "tests/support/ImageFiles.h"

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvane::test {

class Chunk {
public:
    explicit Chunk(std::uint16_t id)
        : id(id) {}

    Chunk& u8(unsigned value) {
        put8(data, value);
        return *this;
    }
    Chunk& u16(unsigned value) {
        put16(data, value);
        return *this;
    }
    Chunk& u32(std::uint32_t value) {
        put32(data, value);
        return *this;
    }
    Chunk& f32(float value) { return u32(std::bit_cast<std::uint32_t>(value)); }
    // The text and its terminating zero.
    Chunk& text(const std::string& value) {
        // Byte by byte: GCC 12 takes a range insert of a short string, inlined deep enough,
        // for an overflow of the vector it just grew (-Wstringop-overflow).
        for (const char c : value)
            data.push_back(static_cast<unsigned char>(c));
        return u8(0);
    }
    Chunk& raw(const Bytes& bytes) {
        append(data, bytes);
        return *this;
    }
    Chunk& add(const Chunk& child) { return raw(child.bytes()); }
    // Writes value as the length field instead of the real length.
    Chunk& forceLength(std::int32_t value) {
        forcedLength = value;
        return *this;
    }

    Bytes bytes() const {
        Bytes out;
        put16(out, id);
        put32(out, std::uint32_t(forcedLength.value_or(std::int32_t(6 + data.size()))));
        append(out, data);
        return out;
    }

private:
    std::uint16_t id;
    Bytes data;
    std::optional<std::int32_t> forcedLength;
};

using Face = std::array<std::uint16_t, 3>;

// 4110: x, y, z per vertex.
inline Chunk vertexChunk(const std::vector<float>& xyz) {
    Chunk chunk(0x4110);
    chunk.u16(unsigned(xyz.size() / 3));
    for (float value : xyz)
        chunk.f32(value);
    return chunk;
}

// `count` faces over a grid whose rows hold `columns` quads (columns + 1 vertices, rows in
// order), two triangles a quad. `mirrored` turns each triangle the other way round, for
// grids whose rows run toward -y.
inline std::vector<Face> gridFaces(int count, int columns, bool mirrored) {
    std::vector<Face> faces;
    faces.reserve(std::size_t(count));
    for (int f = 0; f < count; ++f) {
        const int quad = f / 2, x = quad % columns, y = quad / columns;
        const auto at = [&](int dx, int dy) {
            return std::uint16_t((y + dy) * (columns + 1) + x + dx);
        };
        Face face = f % 2 ? Face{at(0, 0), at(1, 1), at(0, 1)} : Face{at(0, 0), at(1, 0), at(1, 1)};
        if (mirrored)
            std::swap(face[1], face[2]);
        faces.push_back(face);
    }
    return faces;
}

// 4120 with its faces (flags 7: all edges visible); groups are added to it by the caller.
inline Chunk faceChunk(const std::vector<Face>& faces) {
    Chunk chunk(0x4120);
    chunk.u16(unsigned(faces.size()));
    for (const Face& face : faces)
        chunk.u16(face[0]).u16(face[1]).u16(face[2]).u16(7);
    return chunk;
}

// 4130: the faces that use one material.
inline Chunk groupChunk(const std::string& material, const std::vector<std::uint16_t>& faces) {
    Chunk chunk(0x4130);
    chunk.text(material).u16(unsigned(faces.size()));
    for (std::uint16_t face : faces)
        chunk.u16(face);
    return chunk;
}

// 4150: one smoothing-group mask per face, in face order (added to a 4120).
inline Chunk smoothingChunk(const std::vector<std::uint32_t>& masks) {
    Chunk chunk(0x4150);
    for (std::uint32_t mask : masks)
        chunk.u32(mask);
    return chunk;
}

// 4140: u, v per vertex.
inline Chunk texCoordChunk(const std::vector<float>& uv) {
    Chunk chunk(0x4140);
    chunk.u16(unsigned(uv.size() / 2));
    for (float value : uv)
        chunk.f32(value);
    return chunk;
}

// 4160: the identity axes at the origin.
inline Chunk axesChunk() {
    Chunk chunk(0x4160);
    for (float value : {1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f})
        chunk.f32(value);
    return chunk;
}

// 4000 holding one triangle mesh.
inline Chunk objectChunk(const std::string& name, const Chunk& mesh) {
    return Chunk(0x4000).text(name).add(mesh);
}

// A colour container (A010, A020, A030, A080) with a float colour (0010).
inline Chunk colourChunk(std::uint16_t id, float red, float green, float blue) {
    return Chunk(id).add(Chunk(0x0010).f32(red).f32(green).f32(blue));
}

// A colour container with a 24-bit colour (0011).
inline Chunk colour24Chunk(std::uint16_t id, unsigned red, unsigned green, unsigned blue) {
    return Chunk(id).add(Chunk(0x0011).u8(red).u8(green).u8(blue));
}

// A percentage container (A040) with an integer percentage (0030).
inline Chunk percentChunk(std::uint16_t id, unsigned percent) {
    return Chunk(id).add(Chunk(0x0030).u16(percent));
}

// A000 material name, A300 map file name: the text fills the chunk.
inline Chunk textChunk(std::uint16_t id, const std::string& text) {
    return Chunk(id).text(text);
}

// A200 naming one texture file.
inline Chunk textureMapChunk(const std::string& file) {
    return Chunk(0xA200).add(Chunk(0x0030).u16(100)).add(textChunk(0xA300, file));
}

// How a texture map lies on its faces (A351 to A35C inside A200); each chunk is written
// only when set.
struct Placement {
    std::optional<unsigned> tiling{};
    std::optional<float> uScale{}, vScale{}, uOffset{}, vOffset{}, rotation{};
};

struct Material {
    std::string name;
    std::array<float, 3> ambient{0.1f, 0.1f, 0.1f};
    std::array<float, 3> diffuse{0.8f, 0.8f, 0.8f};
    std::array<float, 3> specular{0.3f, 0.3f, 0.3f};
    unsigned shininess = 20;                // percent
    std::string texture{};                  // A300 file name; none when empty
    std::optional<unsigned> transparency{}; // A050 percent
    bool twoSided = false;                  // A081
    Placement placement{};
};

// A200 naming one texture file, placed as asked.
inline Chunk textureMapChunk(const std::string& file, const Placement& placement) {
    Chunk map = textureMapChunk(file);
    if (placement.tiling)
        map.add(Chunk(0xA351).u16(*placement.tiling));
    const std::pair<std::uint16_t, std::optional<float>> numbers[] = {{0xA354, placement.uScale},
                                                                      {0xA356, placement.vScale},
                                                                      {0xA358, placement.uOffset},
                                                                      {0xA35A, placement.vOffset},
                                                                      {0xA35C, placement.rotation}};
    for (const auto& [id, value] : numbers)
        if (value)
            map.add(Chunk(id).f32(*value));
    return map;
}

// AFFF with name, colours, shininess and, when given, transparency, two sides and a
// texture map.
inline Chunk materialChunk(const Material& material) {
    Chunk chunk(0xAFFF);
    chunk.add(textChunk(0xA000, material.name))
        .add(colourChunk(0xA010, material.ambient[0], material.ambient[1], material.ambient[2]))
        .add(colourChunk(0xA020, material.diffuse[0], material.diffuse[1], material.diffuse[2]))
        .add(colourChunk(0xA030, material.specular[0], material.specular[1], material.specular[2]))
        .add(percentChunk(0xA040, material.shininess));
    if (material.transparency)
        chunk.add(percentChunk(0xA050, *material.transparency));
    if (material.twoSided)
        chunk.add(Chunk(0xA081));
    if (!material.texture.empty())
        chunk.add(textureMapChunk(material.texture, material.placement));
    return chunk;
}

// A whole file: 4D4D holding a version chunk (0002) and a 3D3D with the given chunks.
inline Bytes modelFile(const std::vector<Chunk>& editorChunks) {
    Chunk editor(0x3D3D);
    editor.add(Chunk(0x3D3E).u32(3)); // mesh version, unknown to the reader
    for (const Chunk& chunk : editorChunks)
        editor.add(chunk);
    return Chunk(0x4D4D).add(Chunk(0x0002).u32(3)).add(editor).bytes();
}

} // namespace orvane::test
