// Writes the seed corpus of the 3DS fuzz target: small valid files with every chunk the
// reader knows, unknown chunks among them, and the layouts it must cope with. Run it when
// the writer or the layouts change:  build/fuzz/make-model-seeds fuzz/corpus

#include "tests/support/ModelFiles.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace orvane::test;

std::filesystem::path root;

void save(const std::string& name, const Bytes& bytes) {
    std::filesystem::create_directories(root / "3ds");
    std::ofstream(root / "3ds" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A small grid of quads with coordinates, its faces split over two groups.
Chunk gridMesh(int columns, int rows, bool grouped, bool coordinates) {
    std::vector<float> xyz, uv;
    for (int y = 0; y <= rows; ++y) {
        for (int x = 0; x <= columns; ++x) {
            xyz.insert(xyz.end(), {float(x), float(y), float((x * y) % 3)});
            uv.insert(uv.end(), {float(x) / float(columns), float(y) / float(rows)});
        }
    }
    std::vector<Face> faces;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            const auto corner = [&](int dx, int dy) {
                return std::uint16_t((y + dy) * (columns + 1) + x + dx);
            };
            faces.push_back({corner(0, 0), corner(1, 0), corner(1, 1)});
            faces.push_back({corner(0, 0), corner(1, 1), corner(0, 1)});
        }
    }
    Chunk faceList = faceChunk(faces);
    if (grouped) {
        std::vector<std::uint16_t> even, odd;
        for (std::size_t f = 0; f < faces.size(); ++f)
            (f % 2 ? odd : even).push_back(std::uint16_t(f));
        faceList.add(groupChunk("Paint", even)).add(groupChunk("Glass", odd));
    }
    Chunk mesh(0x4100);
    mesh.add(vertexChunk(xyz));
    if (coordinates)
        mesh.add(texCoordChunk(uv));
    return mesh.add(faceList).add(axesChunk());
}

Chunk fullMaterial() {
    return Chunk(0xAFFF)
        .add(textChunk(0xA000, "Glass"))
        .add(colour24Chunk(0xA010, 10, 20, 30))
        .add(colourChunk(0xA020, 0.2f, 0.3f, 0.9f))
        .add(colourChunk(0xA030, 1, 1, 1))
        .add(colour24Chunk(0xA080, 0, 0, 40))
        .add(Chunk(0xA040).add(Chunk(0x0031).f32(62.5f)))
        .add(Chunk(0xA050).add(Chunk(0x0030).u16(30)))
        .add(Chunk(0xA081))
        .add(textureMapChunk("GLASS.PNG", {.tiling = 0x12,
                                           .uScale = 2,
                                           .vScale = 0.5f,
                                           .uOffset = 0.25f,
                                           .vOffset = -1,
                                           .rotation = 30}));
}

// A grid whose faces are in smoothing groups: a band of each, one face in two, flat ones.
Chunk smoothedGrid(int columns, int rows) {
    Chunk mesh = gridMesh(columns, rows, true, true);
    std::vector<std::uint32_t> masks;
    for (int face = 0; face < 2 * columns * rows; ++face)
        masks.push_back(face % 7 == 0 ? 0u : face % 5 == 0 ? 3u : 1u << (face / 4 % 32));
    return mesh.add(smoothingChunk(masks)); // after the faces, in the mesh
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-model-seeds CORPUS-DIRECTORY\n");
        return 2;
    }
    root = argv[1];
    save("main-only.3ds", Chunk(0x4D4D).add(Chunk(0x0002).u32(3)).bytes());
    save("materials.3ds",
         modelFile({materialChunk({.name = "Paint", .texture = "CAMO1.BMP"}), fullMaterial()}));
    save("grid.3ds", modelFile({materialChunk({.name = "Paint"}), fullMaterial(),
                                objectChunk("Grid", gridMesh(4, 3, true, true))}));
    save("no-groups.3ds", modelFile({objectChunk("Plain", gridMesh(3, 2, false, false))}));
    save("loose-group.3ds",
         modelFile({objectChunk("Loose", Chunk(0x4100)
                                             .add(vertexChunk({0, 0, 0, 1, 0, 0, 0, 1, 0}))
                                             .add(faceChunk({{0, 1, 2}, {0, 2, 9}}))
                                             .add(groupChunk("None", {0, 1, 5}))
                                             .add(Chunk(0x4150).u32(1).u32(1)))}));
    Chunk secondEditor(0x3D3D);
    secondEditor.add(fullMaterial()).add(objectChunk("Second", gridMesh(2, 2, true, true)));
    save("two-editors.3ds",
         Chunk(0x4D4D)
             .add(Chunk(0x0002).u32(3))
             .add(fullMaterial())
             .add(Chunk(0x3D3D).add(objectChunk("First", gridMesh(2, 1, true, false))))
             .add(secondEditor)
             .add(Chunk(0xB000).add(Chunk(0xB00A).u16(5).text("KF")))
             .bytes());
    save("smoothed.3ds", modelFile({materialChunk({.name = "Paint"}), fullMaterial(),
                                    objectChunk("Smooth", smoothedGrid(5, 4))}));
    save("objects.3ds", modelFile({objectChunk("Light", Chunk(0x4600).f32(1).f32(2).f32(3)),
                                   objectChunk("Camera", Chunk(0x4700).f32(0).f32(0).f32(9)),
                                   objectChunk("Mesh", gridMesh(1, 1, true, true))}));
    return 0;
}
