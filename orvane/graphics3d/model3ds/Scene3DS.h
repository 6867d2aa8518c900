#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane::graphics3d {

// What Translator3DS reads from a 3DS file, before any engine object is made: plain data
// in file order, so that the model builder, the tools, the tests and the benchmarks all
// see the same thing. Names are kept as the file spells them (3DS names are 8-bit text).

// A colour as a material chunk gives it: red, green, blue, and an alpha that is always 0.
struct Colour3DS {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 0.0f;
};

// How a material's texture map lies on its faces (the map chunk's A351 to A35C): the
// coordinates are scaled, then offset, then turned about the map's centre, in the order
// 3D editors list the three; the flags say how the map repeats.
struct TextureMapping3DS {
    // Flags of A351 that the engine honours.
    static constexpr std::uint16_t DECAL = 0x0001;   // drawn once, not repeated
    static constexpr std::uint16_t MIRROR = 0x0002;  // every other repeat mirrored
    static constexpr std::uint16_t NO_TILE = 0x0010; // drawn once, edges stretched

    std::uint16_t flags = 0;
    float uScale = 1.0f;
    float vScale = 1.0f;
    float uOffset = 0.0f;
    float vOffset = 0.0f;
    float rotation = 0.0f; // degrees, counter-clockwise

    // Whether it moves no coordinate.
    bool isIdentity() const noexcept {
        return uScale == 1.0f && vScale == 1.0f && uOffset == 0.0f && vOffset == 0.0f &&
               rotation == 0.0f;
    }
    // The coordinates (as the file stores them, v up) placed by the mapping.
    void apply(float& u, float& v) const noexcept {
        u = u * uScale + uOffset;
        v = v * vScale + vOffset;
        if (rotation == 0.0f)
            return;
        const double radians = double(rotation) * 3.14159265358979323846 / 180.0;
        const double c = std::cos(radians), s = std::sin(radians);
        const double du = double(u) - 0.5, dv = double(v) - 0.5;
        u = float(0.5 + c * du - s * dv);
        v = float(0.5 + s * du + c * dv);
    }
    bool operator==(const TextureMapping3DS&) const = default;
};

// One material chunk (AFFF). A material without a name chunk has the empty name.
struct Material3DS {
    std::string name;
    Colour3DS ambient;
    Colour3DS diffuse;
    Colour3DS specular;
    Colour3DS emission;
    float shininess = 0.0f; // already scaled: a stored 45 gives 0.45
    // Set by a texture-map chunk (A200); the file name is that of its last A300 chunk, or
    // empty when it has none.
    bool textured = false;
    std::string textureName;
    TextureMapping3DS mapping;
    // A081: both sides of its faces are drawn.
    bool twoSided = false;
    // A050, 0 to 1 (opaque to invisible); the colours' alpha is 1 - transparency when the
    // file says it, else the 0 every 3DS colour carries.
    bool hasTransparency = false;
    float transparency = 0.0f;
};

// One face-material group (4130) with at least one face.
struct FaceMaterial3DS {
    std::string materialName;
    // The material the name denoted when the group was read: an index into
    // Scene3DS::materials, or -1 when no material of that name had been read yet. A later
    // material of the same name replaces the earlier one only for groups read after it.
    int material = -1;
    // Indices into the mesh's faces as stored; an index not below the face count is kept
    // here and drawn as nothing.
    std::vector<std::uint16_t> faces;
};

// One triangle mesh chunk (4100) and the name of the object (4000) holding it.
struct Mesh3DS {
    std::string objectName;
    int editor = 0; // which 3D-editor chunk (0, 1, ...) the mesh came from
    // The arrays of the last vertex (4110) and texture-coordinate (4140) chunks; each holds
    // at least vertexCount entries.
    std::vector<float> positions; // x, y, z per vertex
    std::vector<float> texCoords; // u, v per vertex, as stored
    bool hasTexCoords = false;    // a 4140 chunk was read
    // The smallest count of all the mesh's 4110 and 4140 chunks.
    std::uint32_t vertexCount = 0;
    // The faces of the last 4120 chunk: vertex indices a, b, c and the flags per face.
    std::vector<std::uint16_t> faces;
    std::uint32_t faceCount = 0;
    // The smoothing groups of the faces (4150): one 32-bit mask per face, in face order,
    // when the mesh has one for every face. Faces whose masks share a bit are smoothed
    // together where they meet; a face of mask 0 is flat.
    std::vector<std::uint32_t> smoothing;
    // The mesh's face-material groups (4130), in file order.
    std::vector<FaceMaterial3DS> faceMaterials;
    // The local coordinate system (4160): x axis, y axis, z axis, origin. Kept, never
    // applied to the vertices.
    float localAxes[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};

    // Whether anything is built for the mesh: it needs vertex positions (a mesh may have
    // texture coordinates alone) and faces.
    bool isBuildable() const noexcept {
        return vertexCount > 0 && faceCount > 0 && positions.size() / 3 >= vertexCount;
    }
};

struct Scene3DS {
    std::vector<Material3DS> materials; // every material chunk, replaced ones included
    std::vector<Mesh3DS> meshes;        // every triangle mesh chunk
    int editors = 0;                    // number of 3D-editor chunks (3D3D) read
};

} // namespace orvane::graphics3d
