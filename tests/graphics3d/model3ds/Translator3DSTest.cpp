#include "orvane/graphics3d/model3ds/Translator3DS.h"
#include "orvane/io/MemoryFile.h"
#include "orvane/io/TranslatorException.h"
#include "tests/support/ModelFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace orvane::graphics3d {
namespace {

using test::Bytes;
using test::Chunk;

Scene3DS readScene(const Bytes& bytes, int length = -1) {
    io::MemoryFile file(bytes.data(), bytes.size());
    Translator3DS translator;
    Scene3DS scene;
    translator.read(file.getInputStream(), length, scene);
    return scene;
}

// A small mesh: a quad of two faces over four vertices, with coordinates.
Chunk quadMesh(const std::vector<Chunk>& extra = {}) {
    Chunk mesh(0x4100);
    mesh.add(test::vertexChunk({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}))
        .add(test::texCoordChunk({0, 0, 1, 0, 1, 1, 0, 1}));
    for (const Chunk& chunk : extra)
        mesh.add(chunk);
    return mesh;
}

Chunk quadFaces(const std::vector<Chunk>& groups = {}) {
    Chunk faces = test::faceChunk({{0, 1, 2}, {0, 2, 3}});
    for (const Chunk& group : groups)
        faces.add(group);
    return faces;
}

// ---- Recognition

TEST(Translator3DSIdentify, AcceptsTheMainChunkIdAndPutsTheFileBack) {
    Translator3DS translator;
    const Bytes model = test::modelFile({});
    io::MemoryFile good(model.data(), model.size());
    good.seek(0, io::File::FROM_START);
    EXPECT_TRUE(translator.identify(&good));
    EXPECT_EQ(good.position(), 0);

    const Bytes other = {0x4D, 0x4E, 0, 0, 0, 0};
    io::MemoryFile bad(other.data(), other.size());
    EXPECT_FALSE(translator.identify(&bad));
    const Bytes one = {0x4D};
    io::MemoryFile shortFile(one.data(), one.size());
    EXPECT_FALSE(translator.identify(&shortFile));
    EXPECT_EQ(shortFile.position(), 0);
}

// ---- Decoding of every chunk the reader knows

TEST(Translator3DSRead, DecodesMaterialsAndMeshesInFileOrder) {
    Chunk material(0xAFFF);
    material.add(test::textChunk(0xA000, "Skin"))
        .add(test::colourChunk(0xA010, 0.1f, 0.2f, 0.3f))
        .add(test::colour24Chunk(0xA020, 255, 51, 0))
        .add(test::colourChunk(0xA030, 0.5f, 0.5f, 0.5f))
        .add(test::colourChunk(0xA080, 0.0f, 0.25f, 1.0f))
        .add(Chunk(0xA040).add(Chunk(0x0031).f32(12.5f)))
        .add(Chunk(0xA200)
                 .add(test::textChunk(0xA300, "FIRST.BMP"))
                 .add(test::textChunk(0xA300, "CAMO1.BMP")));
    Chunk axes(0x4160);
    for (int i = 1; i <= 12; ++i)
        axes.f32(float(i));
    const Bytes file = test::modelFile(
        {material, test::materialChunk({.name = "Glass", .shininess = 45}),
         test::objectChunk("Body", quadMesh({quadFaces({test::groupChunk("Skin", {1})}), axes,
                                             test::groupChunk("Glass", {0, 1})}))});
    const Scene3DS scene = readScene(file);

    ASSERT_EQ(scene.materials.size(), 2u);
    const Material3DS& skin = scene.materials[0];
    EXPECT_EQ(skin.name, "Skin");
    EXPECT_FLOAT_EQ(skin.ambient.green, 0.2f);
    EXPECT_EQ(skin.diffuse.red, 255.0f * (1.0f / 255.0f));
    EXPECT_EQ(skin.diffuse.green, 51.0f * (1.0f / 255.0f));
    EXPECT_EQ(skin.diffuse.alpha, 0.0f);
    EXPECT_FLOAT_EQ(skin.specular.blue, 0.5f);
    EXPECT_FLOAT_EQ(skin.emission.green, 0.25f);
    EXPECT_EQ(skin.shininess, 12.5f * 0.01f);
    EXPECT_TRUE(skin.textured);
    EXPECT_EQ(skin.textureName, "CAMO1.BMP") << "the last map file name wins";
    EXPECT_EQ(scene.materials[1].shininess, 45.0f * 0.01f);
    EXPECT_FALSE(scene.materials[1].textured);

    EXPECT_EQ(scene.editors, 1);
    ASSERT_EQ(scene.meshes.size(), 1u);
    const Mesh3DS& mesh = scene.meshes[0];
    EXPECT_EQ(mesh.objectName, "Body");
    EXPECT_EQ(mesh.vertexCount, 4u);
    EXPECT_EQ(mesh.positions[6], 1.0f);
    EXPECT_TRUE(mesh.hasTexCoords);
    EXPECT_EQ(mesh.texCoords[5], 1.0f);
    EXPECT_EQ(mesh.faceCount, 2u);
    EXPECT_EQ(mesh.faces, (std::vector<std::uint16_t>{0, 1, 2, 7, 0, 2, 3, 7}));
    EXPECT_EQ(mesh.localAxes[0], 1.0f);
    EXPECT_EQ(mesh.localAxes[11], 12.0f);
    ASSERT_EQ(mesh.faceMaterials.size(), 2u)
        << "a group directly in the mesh counts like one in 4120";
    EXPECT_EQ(mesh.faceMaterials[0].materialName, "Skin");
    EXPECT_EQ(mesh.faceMaterials[0].material, 0);
    EXPECT_EQ(mesh.faceMaterials[0].faces, (std::vector<std::uint16_t>{1}));
    EXPECT_EQ(mesh.faceMaterials[1].material, 1);
    EXPECT_EQ(mesh.faceMaterials[1].faces.size(), 2u);
}

TEST(Translator3DSRead, SkipsUnknownChunksWhereverTheyAppear) {
    const auto unknown = [](std::uint16_t id) { return Chunk(id).u32(0xDEADBEEF).u8(0x4D); };
    const auto build = [&](bool withUnknown) {
        const auto maybe = [&](std::uint16_t id) {
            return withUnknown ? std::vector<Chunk>{unknown(id)} : std::vector<Chunk>{};
        };
        Chunk diffuse(0xA020);
        for (const Chunk& c : maybe(0x0012))
            diffuse.add(c);
        diffuse.add(Chunk(0x0010).f32(0.5f).f32(0.25f).f32(1.0f));
        Chunk shininess(0xA040);
        for (const Chunk& c : maybe(0x0032))
            shininess.add(c);
        shininess.add(Chunk(0x0030).u16(30));
        Chunk map(0xA200);
        for (const Chunk& c : maybe(0xA351))
            map.add(c);
        map.add(test::textChunk(0xA300, "A.TGA"));
        Chunk material(0xAFFF);
        for (const Chunk& c : maybe(0xA100))
            material.add(c);
        material.add(test::textChunk(0xA000, "M")).add(diffuse).add(shininess).add(map);
        Chunk faces = test::faceChunk({{0, 1, 2}});
        for (const Chunk& c : maybe(0x4150)) // smoothing groups
            faces.add(c);
        faces.add(test::groupChunk("M", {0}));
        Chunk mesh(0x4100);
        for (const Chunk& c : maybe(0x4111)) // vertex flags
            mesh.add(c);
        mesh.add(test::vertexChunk({0, 0, 0, 1, 0, 0, 0, 1, 0}));
        for (const Chunk& c : maybe(0x4165)) // mesh colour
            mesh.add(c);
        mesh.add(faces);
        Chunk object(0x4000);
        object.text("Wing");
        for (const Chunk& c : maybe(0x4600)) // light
            object.add(c);
        object.add(mesh);
        for (const Chunk& c : maybe(0x4700)) // camera
            object.add(c);
        Chunk editor(0x3D3D);
        for (const Chunk& c : maybe(0x0100)) // master scale
            editor.add(c);
        editor.add(material).add(object);
        Chunk main(0x4D4D);
        for (const Chunk& c : maybe(0x0002))
            main.add(c);
        main.add(editor);
        for (const Chunk& c : maybe(0xB000)) // keyframer
            main.add(c);
        return main.bytes();
    };
    const Scene3DS plain = readScene(build(false));
    const Scene3DS noisy = readScene(build(true));
    ASSERT_EQ(noisy.materials.size(), 1u);
    EXPECT_EQ(noisy.materials[0].diffuse.green, plain.materials[0].diffuse.green);
    EXPECT_EQ(noisy.materials[0].shininess, plain.materials[0].shininess);
    EXPECT_EQ(noisy.materials[0].textureName, "A.TGA");
    ASSERT_EQ(noisy.meshes.size(), 1u);
    EXPECT_EQ(noisy.meshes[0].objectName, "Wing");
    EXPECT_EQ(noisy.meshes[0].positions, plain.meshes[0].positions);
    EXPECT_EQ(noisy.meshes[0].faces, plain.meshes[0].faces);
    ASSERT_EQ(noisy.meshes[0].faceMaterials.size(), 1u);
    EXPECT_EQ(noisy.meshes[0].faceMaterials[0].material, 0);

    // Known ids outside their containers are unknown there: a vertex chunk inside the
    // editor, a colour chunk inside a mesh.
    const Bytes misplaced = test::modelFile(
        {test::vertexChunk({1, 2, 3}),
         test::objectChunk("O", quadMesh({test::colourChunk(0xA020, 1, 1, 1), quadFaces()}))});
    const Scene3DS scene = readScene(misplaced);
    EXPECT_TRUE(scene.materials.empty());
    ASSERT_EQ(scene.meshes.size(), 1u);
    EXPECT_EQ(scene.meshes[0].vertexCount, 4u);
}

TEST(Translator3DSRead, ColourAndPercentageContainersTakeTheirFirstValueChunk) {
    const auto diffuseOf = [](const Chunk& colour) {
        Chunk material(0xAFFF);
        material.add(colour);
        return readScene(Chunk(0x4D4D).add(material).bytes()).materials.at(0).diffuse;
    };
    const Colour3DS bytesFirst = diffuseOf(Chunk(0xA020)
                                               .add(Chunk(0x0011).u8(0).u8(255).u8(51))
                                               .add(Chunk(0x0012).u8(9).u8(9).u8(9))
                                               .add(Chunk(0x0010).f32(0.7f).f32(0.7f).f32(0.7f)));
    EXPECT_EQ(bytesFirst.green, 1.0f);
    EXPECT_EQ(bytesFirst.blue, 51.0f * (1.0f / 255.0f));
    const Colour3DS none = diffuseOf(Chunk(0xA020).add(Chunk(0x0012).u8(9).u8(9).u8(9)));
    EXPECT_EQ(none.red, 0.0f);
    EXPECT_EQ(none.alpha, 0.0f);
    const Colour3DS shortFloats = diffuseOf(Chunk(0xA020).add(Chunk(0x0010).f32(0.5f).f32(0.75f)));
    EXPECT_EQ(shortFloats.green, 0.75f);
    EXPECT_EQ(shortFloats.blue, 0.0f) << "a component the chunk does not hold stays 0";
    const Colour3DS shortBytes = diffuseOf(Chunk(0xA020).add(Chunk(0x0011).u8(255)));
    EXPECT_EQ(shortBytes.red, 1.0f);
    EXPECT_EQ(shortBytes.green, 0.0f);

    const auto shininessOf = [](const Chunk& percentage) {
        return readScene(Chunk(0x4D4D).add(Chunk(0xAFFF).add(percentage)).bytes())
            .materials.at(0)
            .shininess;
    };
    EXPECT_EQ(shininessOf(test::percentChunk(0xA040, 45)), 45.0f * 0.01f);
    EXPECT_EQ(shininessOf(Chunk(0xA040).add(Chunk(0x0031).f32(50.0f))), 0.5f);
    EXPECT_EQ(shininessOf(Chunk(0xA040).add(Chunk(0x0033).u16(7))), 0.0f);
}

// Collects what the reader reports, one line per chunk.
class RecordingListener : public ChunkListener3DS {
public:
    void chunk(std::uint16_t id, std::int32_t length, int depth) override {
        char text[40];
        std::snprintf(text, sizeof text, "%d %04X %d", depth, unsigned(id), int(length));
        lines.push_back(text);
    }
    void detail(const std::string& text) override { lines.back() += " " + text; }
    std::vector<std::string> lines;
};

std::vector<std::string> walk(const Bytes& bytes) {
    io::MemoryFile file(bytes.data(), bytes.size());
    Translator3DS translator;
    Scene3DS scene;
    RecordingListener listener;
    translator.read(file.getInputStream(), -1, scene, &listener);
    return listener.lines;
}

TEST(Translator3DSRead, NamesStopAtTheirZeroAtTheChunkEndOrAtSixtyTwoCharacters) {
    const auto objectNamed = [](const Bytes& body) {
        return walk(test::modelFile({Chunk(0x4000).raw(body)})).back();
    };
    EXPECT_EQ(objectNamed({'A', 'B', 0}), "2 4000 9 name \"AB\"");
    EXPECT_EQ(objectNamed({'A', 'B', 'C', 'D', 'E'}), "2 4000 11 name \"ABCD\"")
        << "a name that fills its chunk without a zero loses its last character";
    EXPECT_EQ(objectNamed({}), "2 4000 6 name \"\"");
    EXPECT_EQ(objectNamed(Bytes(63, 'n')), "2 4000 69 name \"" + std::string(62, 'n') + "\"");

    // Past 62 characters the name is cut and its rest stays in the chunk, where the walk
    // then looks for sub-chunks: here the rest is a well-formed unknown chunk.
    Bytes longName(63, 'n');
    test::append(longName, Chunk(0x1234).u8(0).bytes());
    const std::vector<std::string> lines = walk(test::modelFile({Chunk(0x4000).raw(longName)}));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "2 4000 76 name \"" + std::string(62, 'n') + "\"");
    EXPECT_EQ(lines.back(), "3 1234 7");

    // Group names follow the same rule; a group without faces is dropped.
    const auto groupsOf = [](const Chunk& group) {
        return readScene(
                   test::modelFile({test::objectChunk("O", Chunk(0x4100)
                                                               .add(test::vertexChunk({0, 0, 0}))
                                                               .add(test::faceChunk({{0, 0, 0}}))
                                                               .add(group))}))
            .meshes.at(0)
            .faceMaterials;
    };
    const auto named = groupsOf(Chunk(0x4130).raw({'A', 'B', 0, 1, 0, 0, 0}));
    ASSERT_EQ(named.size(), 1u);
    EXPECT_EQ(named[0].materialName, "AB");
    EXPECT_TRUE(groupsOf(test::groupChunk("AB", {})).empty());
}

TEST(Translator3DSRead, VertexCountIsTheSmallestOfPositionAndCoordinateCountsFaceCountTheLast) {
    const auto meshOf = [](const std::vector<Chunk>& chunks) {
        Chunk mesh(0x4100);
        for (const Chunk& chunk : chunks)
            mesh.add(chunk);
        return readScene(test::modelFile({test::objectChunk("O", mesh)})).meshes.at(0);
    };
    const std::vector<float> ten(30, 1.0f), eight(16, 0.5f), twelve(24, 0.5f);
    EXPECT_EQ(meshOf({test::vertexChunk(ten), test::texCoordChunk(eight)}).vertexCount, 8u);
    EXPECT_EQ(meshOf({test::texCoordChunk(eight), test::vertexChunk(ten)}).vertexCount, 8u);
    EXPECT_EQ(meshOf({test::vertexChunk(ten), test::texCoordChunk(twelve)}).vertexCount, 10u);
    const Mesh3DS lowered = meshOf({test::vertexChunk(ten), test::vertexChunk({}),
                                    test::texCoordChunk(eight), test::faceChunk({{0, 1, 2}})});
    EXPECT_EQ(lowered.vertexCount, 0u) << "a later, smaller count (0 too) lowers it";
    EXPECT_FALSE(lowered.isBuildable());
    const Mesh3DS noPositions = meshOf({test::texCoordChunk(eight), test::faceChunk({{0, 1, 2}})});
    EXPECT_EQ(noPositions.vertexCount, 8u);
    EXPECT_FALSE(noPositions.isBuildable()) << "coordinates without positions build nothing";
    const Mesh3DS noCoordinates = meshOf({test::vertexChunk(ten)});
    EXPECT_FALSE(noCoordinates.hasTexCoords);
    EXPECT_EQ(noCoordinates.vertexCount, 10u);

    const Mesh3DS refaced = meshOf({test::vertexChunk(ten), test::faceChunk({{0, 1, 2}, {1, 2, 3}}),
                                    test::faceChunk({{4, 5, 6}})});
    EXPECT_EQ(refaced.faceCount, 1u);
    EXPECT_EQ(refaced.faces[0], 4u);
    EXPECT_TRUE(refaced.isBuildable());
}

TEST(Translator3DSRead, GroupsTakeTheMaterialOfTheirNameReadBeforeThem) {
    const auto grouped = [](const std::string& material) {
        return test::objectChunk(material + "-user",
                                 quadMesh({quadFaces({test::groupChunk(material, {0})})}));
    };
    Chunk outer(0xAFFF);
    outer.add(test::textChunk(0xA000, "Outer"));
    Chunk unnamed(0xAFFF);
    unnamed.add(test::colourChunk(0xA020, 1, 0, 0));
    Chunk secondEditor(0x3D3D);
    secondEditor.add(test::materialChunk({.name = "Late"})).add(grouped("Late"));
    const Bytes file =
        Chunk(0x4D4D)
            .add(outer)
            .add(Chunk(0x3D3D)
                     .add(test::materialChunk({.name = "Paint", .diffuse = {1, 0, 0}}))
                     .add(grouped("Paint"))
                     .add(grouped("Late"))
                     .add(grouped("paint"))
                     .add(test::materialChunk({.name = "Paint", .diffuse = {0, 0, 1}}))
                     .add(grouped("Paint"))
                     .add(grouped("Outer"))
                     .add(unnamed)
                     .add(grouped("")))
            .add(secondEditor)
            .bytes();
    const Scene3DS scene = readScene(file);
    ASSERT_EQ(scene.materials.size(), 5u);
    EXPECT_EQ(scene.materials[0].name, "Outer") << "a material directly in the main chunk";
    EXPECT_EQ(scene.materials[3].name, "") << "a material without a name chunk";
    EXPECT_EQ(scene.editors, 2);
    ASSERT_EQ(scene.meshes.size(), 7u);
    const auto materialOf = [&](int mesh) {
        return scene.meshes[mesh].faceMaterials.at(0).material;
    };
    EXPECT_EQ(materialOf(0), 1) << "the first Paint";
    EXPECT_EQ(materialOf(1), -1) << "a material that comes later is unknown";
    EXPECT_EQ(materialOf(2), -1) << "names match with case";
    EXPECT_EQ(materialOf(3), 2) << "the second Paint replaced the first";
    EXPECT_EQ(materialOf(4), 0);
    EXPECT_EQ(materialOf(5), 3);
    EXPECT_EQ(materialOf(6), 4);
    EXPECT_EQ(scene.meshes[5].editor, 0);
    EXPECT_EQ(scene.meshes[6].editor, 1) << "the second 3D-editor chunk";
}

// Smoothing groups, two sides, transparency and a map's placement; each chunk is kept
// only where it can be trusted.
TEST(Translator3DSRead, ReadsSmoothingSidesTransparencyAndPlacement) {
    const float infinity = std::numeric_limits<float>::infinity();
    const Bytes file = test::modelFile(
        {test::materialChunk({.name = "Glass",
                              .texture = "GLASS.PNG",
                              .transparency = 40,
                              .twoSided = true,
                              .placement = {.tiling = 0x12,
                                            .uScale = 2,
                                            .vScale = 3,
                                            .uOffset = 0.25f,
                                            .vOffset = infinity,
                                            .rotation = 90}}),
         test::materialChunk({.name = "Plain"}),
         test::objectChunk("Inside", quadMesh({quadFaces({test::smoothingChunk({1, 6})})})),
         test::objectChunk("Beside",
                           quadMesh({quadFaces(), test::smoothingChunk({0, 0x80000000})})),
         test::objectChunk("Short", quadMesh({quadFaces({test::smoothingChunk({1})})})),
         test::objectChunk("Before", quadMesh({test::smoothingChunk({1, 1}), quadFaces()})),
         test::objectChunk("Refaced", quadMesh({quadFaces({test::smoothingChunk({1, 2})}),
                                                test::faceChunk({{0, 1, 2}})}))});
    const Scene3DS scene = readScene(file);
    ASSERT_EQ(scene.materials.size(), 2u);
    const Material3DS& glass = scene.materials[0];
    EXPECT_TRUE(glass.twoSided);
    EXPECT_TRUE(glass.hasTransparency);
    EXPECT_FLOAT_EQ(glass.transparency, 0.4f);
    EXPECT_EQ(glass.mapping.flags, 0x12u);
    EXPECT_EQ(glass.mapping.uScale, 2.0f);
    EXPECT_EQ(glass.mapping.vScale, 3.0f);
    EXPECT_EQ(glass.mapping.uOffset, 0.25f);
    EXPECT_EQ(glass.mapping.vOffset, 0.0f) << "a number that is not finite keeps the default";
    EXPECT_EQ(glass.mapping.rotation, 90.0f);
    const Material3DS& plain = scene.materials[1];
    EXPECT_FALSE(plain.twoSided);
    EXPECT_FALSE(plain.hasTransparency);
    EXPECT_TRUE(plain.mapping.isIdentity());

    ASSERT_EQ(scene.meshes.size(), 5u);
    EXPECT_EQ(scene.meshes[0].smoothing, (std::vector<std::uint32_t>{1, 6}));
    EXPECT_EQ(scene.meshes[1].smoothing, (std::vector<std::uint32_t>{0, 0x80000000}))
        << "masks directly in the mesh count like masks in the faces";
    EXPECT_TRUE(scene.meshes[2].smoothing.empty()) << "one mask for two faces says nothing";
    EXPECT_TRUE(scene.meshes[3].smoothing.empty()) << "masks before any face";
    EXPECT_TRUE(scene.meshes[4].smoothing.empty()) << "masks of faces read over";
}

// Placement of coordinates as the file stores them (v up): scale, then offset, then a
// turn about the map's centre.
TEST(Translator3DSRead, PlacementScalesThenOffsetsThenTurnsAboutTheCentre) {
    TextureMapping3DS mapping;
    mapping.uScale = 2;
    mapping.vScale = 4;
    mapping.uOffset = 0.5f;
    mapping.vOffset = -1;
    float u = 0.25f, v = 0.5f;
    mapping.apply(u, v);
    EXPECT_FLOAT_EQ(u, 1.0f);
    EXPECT_FLOAT_EQ(v, 1.0f);
    mapping = TextureMapping3DS();
    mapping.rotation = 90;
    u = 1, v = 0.5f;
    mapping.apply(u, v);
    EXPECT_NEAR(u, 0.5f, 1e-6f);
    EXPECT_NEAR(v, 1.0f, 1e-6f) << "counter-clockwise: the right edge's middle turns to the top";
}

// ---- What is read of the stream

TEST(Translator3DSRead, ReadsNothingPastTheMainChunk) {
    Bytes file = test::modelFile({test::objectChunk("O", quadMesh({quadFaces()}))});
    const std::size_t mainLength = file.size();
    file.insert(file.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    io::MemoryFile memory(file.data(), file.size());
    Translator3DS translator;
    Scene3DS scene;
    translator.read(memory.getInputStream(), -1, scene);
    EXPECT_EQ(scene.meshes.size(), 1u);
    EXPECT_EQ(memory.position(), int(mainLength));

    // The same file given its exact length.
    io::MemoryFile again(file.data(), file.size());
    translator.read(again.getInputStream(), int(mainLength), scene);
    EXPECT_EQ(scene.meshes.size(), 1u);
}

// Every rejection: what the walk finds when a header is due, and own data that does not
// fit its chunk or does not arrive.
TEST(Translator3DSRead, RejectsDamagedFilesWithFormatExceptions) {
    const Bytes good = test::modelFile({test::objectChunk("O", quadMesh({quadFaces()}))});
    const auto withMesh = [](const Chunk& chunk) {
        return test::modelFile({test::objectChunk("O", Chunk(0x4100).add(chunk))});
    };
    const auto withMaterial = [](const Chunk& chunk) {
        return test::modelFile({Chunk(0xAFFF).add(chunk)});
    };
    Bytes cutShort = good;
    cutShort.resize(good.size() - 10);
    Bytes threeLeft = Chunk(0x4D4D).raw({0, 0, 0}).bytes();
    Bytes negativeLevel = Chunk(0x4D4D).add(Chunk(0x3D3D).forceLength(-20)).bytes();
    Chunk parent(0x3D3D);
    parent.add(Chunk(0x4000).text("O").forceLength(100));

    struct Case {
        const char* what;
        Bytes bytes;
        int length = -1;
    };
    const std::vector<Case> cases = {
        {"an empty stream", {}},
        {"a stream shorter than a header", {0x4D, 0x4D, 6, 0, 0}},
        {"a first chunk other than 4D4D", Chunk(0x3D3D).bytes()},
        {"a main chunk longer than the stream", cutShort},
        {"a main chunk longer than the length given", good, int(good.size()) - 1},
        {"a level with three bytes left", threeLeft},
        {"a chunk length below the header size",
         Chunk(0x4D4D).add(Chunk(2).forceLength(5)).bytes()},
        {"a chunk length of zero", Chunk(0x4D4D).add(Chunk(2).forceLength(0)).bytes()},
        {"a negative chunk length", negativeLevel},
        {"a chunk longer than its parent", Chunk(0x4D4D).add(parent).bytes()},
        {"a header the stream cuts short", Chunk(0x4D4D).forceLength(40).bytes(), 40},
        {"a vertex count beyond the chunk", withMesh(Chunk(0x4110).u16(2).f32(0).f32(0).f32(0))},
        {"a face count beyond the chunk", withMesh(Chunk(0x4120).u16(1).u16(0).u16(0))},
        {"a coordinate count beyond the chunk", withMesh(Chunk(0x4140).u16(1).f32(0))},
        {"a group count beyond the chunk", withMesh(Chunk(0x4130).text("M").u16(2).u16(0))},
        {"a count cut to one byte", withMesh(Chunk(0x4110).u8(0))},
        {"short local axes", withMesh(Chunk(0x4160).u32(0).u32(0))},
        {"a short integer percentage", withMaterial(Chunk(0xA040).add(Chunk(0x0030).u8(5)))},
        {"a short float percentage", withMaterial(Chunk(0xA040).add(Chunk(0x0031).u16(5)))},
    };
    for (const Case& c : cases) {
        io::MemoryFile file(c.bytes.data(), c.bytes.size());
        Translator3DS translator;
        Scene3DS scene;
        EXPECT_THROW(translator.read(file.getInputStream(), c.length, scene),
                     io::TranslatorFormatException)
            << c.what;
    }

    // Data the stream does not deliver although the length given promises it: a name
    // byte, a whole-body string, an array, a colour value.
    const std::vector<Bytes> truncated = {
        test::modelFile({test::objectChunk("Object", quadMesh())}),
        test::modelFile({test::materialChunk({.name = "A long material name"})}),
        test::modelFile({test::objectChunk("O", quadMesh({quadFaces()}))}),
        withMaterial(test::colourChunk(0xA020, 1, 1, 1)),
    };
    const std::vector<std::size_t> cutAt = {40, 48, 60, 54};
    for (std::size_t i = 0; i < truncated.size(); ++i) {
        Bytes bytes = truncated[i];
        const int length = int(bytes.size());
        bytes.resize(cutAt[i]);
        io::MemoryFile file(bytes.data(), bytes.size());
        Translator3DS translator;
        Scene3DS scene;
        EXPECT_THROW(translator.read(file.getInputStream(), length, scene),
                     io::TranslatorFormatException)
            << "cut at " << cutAt[i];
    }
}

// ---- translate()

TEST(Translator3DSTranslate, AnswersNullWithoutEditorAndGoesOnAfterADamagedFile) {
    Translator3DS translator;
    const Bytes materialsOnly =
        Chunk(0x4D4D).add(test::materialChunk({.name = "M"})).add(Chunk(0xB000)).bytes();
    io::MemoryFile bare(materialsOnly.data(), materialsOnly.size());
    EXPECT_EQ(translator.translate(bare.getInputStream(), -1), nullptr);

    // A failed file leaves nothing behind for the next one.
    const Bytes broken = Chunk(0x4D4D).add(Chunk(0x3D3D).forceLength(3)).bytes();
    io::MemoryFile bad(broken.data(), broken.size());
    EXPECT_THROW(translator.translate(bad.getInputStream(), -1), io::TranslatorFormatException);
    const Bytes model = test::modelFile({test::objectChunk("O", quadMesh({quadFaces()}))});
    io::MemoryFile good(model.data(), model.size());
    const auto built =
        object::Pointer<Model>::adopt(translator.translate(good.getInputStream(), -1));
    const auto* staticModel = dynamic_cast<const StaticModel*>(built.get());
    ASSERT_NE(staticModel, nullptr);
    EXPECT_EQ(staticModel->meshCount(), 1u);
}

} // namespace
} // namespace orvane::graphics3d
