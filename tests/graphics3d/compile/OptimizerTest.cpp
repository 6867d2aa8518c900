#include "orvane/graphics3d/compile/Optimizer.h"

#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/mesh/VertexMesh.h"
#include "orvane/graphics3d/model/StaticModel.h"
#include "orvane/graphics3d/state/Appearance.h"
#include "tests/graphics3d/RecordedContext.h"
#include "tests/graphics3d/RenderMarks.h"
#include "tests/support/MeshBuffers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace orvane::graphics3d {
namespace {

using object::Pointer;
using orvane::test::makePositionBuffer;
using system::Program;
using test::Calls;
using test::MarkMaterial;
using test::MarkShader;

// Positions whose x is a number unique to the vertex, so that a call log can be turned
// back into the vertices it draws.
std::vector<float> numbered(std::uint32_t count, float base) {
    std::vector<float> xyz;
    for (std::uint32_t v = 0; v < count; ++v)
        xyz.insert(xyz.end(), {base + float(v), 0, 0});
    return xyz;
}

Pointer<IndexBuffer> indexBuffer(std::uint32_t elementSize,
                                 const std::vector<std::uint32_t>& values,
                                 int usage = IndexBuffer::USAGE_CLIENT) {
    auto buffer = Pointer<IndexBuffer>::adopt(
        IndexBuffer::create(elementSize, std::uint32_t(values.size()), usage));
    auto* bytes = static_cast<std::uint8_t*>(buffer->lock(GL_WRITE_ONLY_ARB));
    for (std::size_t i = 0; i < values.size(); ++i)
        std::memcpy(bytes + i * elementSize, &values[i], elementSize); // little-endian
    buffer->unlock();
    return buffer;
}

std::vector<std::uint32_t> upTo(std::uint32_t count) {
    std::vector<std::uint32_t> values(count);
    for (std::uint32_t i = 0; i < count; ++i)
        values[i] = i % 7;
    return values;
}

Pointer<IndexMesh> indexMesh(VertexBuffer* vertices, IndexBuffer* indices, std::uint32_t first,
                             std::uint32_t end, Appearance* appearance,
                             GLenum primitive = GL_TRIANGLES) {
    auto mesh = object::make<IndexMesh>();
    mesh->setVertexBuffer(vertices, 0);
    mesh->setIndexBuffer(indices);
    mesh->setFirst(first);
    mesh->setEnd(end);
    mesh->setAppearance(appearance);
    mesh->setMode(primitive);
    return mesh;
}

Pointer<Appearance> appearanceOf(Shader* shader, Material* material, Texture* texture = nullptr) {
    auto appearance = object::make<Appearance>();
    appearance->setShader(shader);
    appearance->setMaterial(material);
    appearance->setTexture(texture, 0);
    return appearance;
}

Calls drawCalls(const Calls& calls) {
    Calls draws;
    for (const auto& call : calls)
        if (call.rfind("glDraw", 0) == 0)
            draws.push_back(call);
    return draws;
}

class OptimizerTest : public test::RecordedContext {
protected:
    // The calls of one run of the stream the optimiser makes of the meshes.
    Calls compiledCalls(std::initializer_list<Mesh*> meshes) {
        Optimizer optimizer;
        for (Mesh* mesh : meshes)
            optimizer.add(mesh);
        auto stream = Pointer<RenderStream>::adopt(optimizer.createRenderStream());
        recorder.clear();
        stream->run();
        return recorder.takeCalls();
    }

    Pointer<MarkShader> shader = object::make<MarkShader>(1, VertexFormat::ARRAY_POSITION);
    Pointer<MarkMaterial> material = object::make<MarkMaterial>(1);
    Pointer<Appearance> appearance = appearanceOf(shader.get(), material.get());
    Pointer<VertexBuffer> vertices = makePositionBuffer(numbered(10, 0));
};

TEST_F(OptimizerTest, JoinsContiguousRangesOfListsButNeverStripsOrFans) {
    auto indices = indexBuffer(2, upTo(60));
    auto a = indexMesh(vertices.get(), indices.get(), 0, 30, appearance.get());
    auto b = indexMesh(vertices.get(), indices.get(), 30, 60, appearance.get());
    EXPECT_EQ(drawCalls(compiledCalls({b.get(), a.get()})),
              Calls{"glDrawElements(GL_TRIANGLES, 60, GL_UNSIGNED_SHORT, 0)"})
        << "0..30 and 30..60 become one draw of 60 indices";

    for (GLenum primitive : {GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_LINE_STRIP, GL_POLYGON}) {
        a->setMode(primitive);
        b->setMode(primitive);
        EXPECT_EQ(drawCalls(compiledCalls({a.get(), b.get()})).size(), 2u)
            << "joined, primitive " << primitive << " would connect the two ranges";
    }

    // Vertex meshes: contiguous vertex ranges join the same way.
    auto arraysA = object::make<VertexMesh>();
    arraysA->setVertexBuffer(vertices.get(), 0);
    arraysA->setEnd(6);
    arraysA->setAppearance(appearance.get());
    auto arraysB = object::make<VertexMesh>();
    arraysB->setVertexBuffer(vertices.get(), 0);
    arraysB->setFirst(6);
    arraysB->setEnd(9);
    EXPECT_EQ(drawCalls(compiledCalls({arraysA.get(), arraysB.get()})),
              Calls{"glDrawArrays(GL_TRIANGLES, 0, 9)"});
}

// Ranges that are not whole primitives draw their leftover vertices as nothing; joined,
// those would start primitives that neither range draws.
TEST_F(OptimizerTest, JoinsOnlyRangesOfWholePrimitives) {
    auto indices = indexBuffer(2, upTo(24));
    const std::pair<GLenum, std::uint32_t> lists[] = {
        {GL_TRIANGLES, 4}, {GL_LINES, 3}, {GL_QUADS, 6}};
    for (const auto& [primitive, cut] : lists) {
        auto a = indexMesh(vertices.get(), indices.get(), 0, cut, appearance.get(), primitive);
        auto b =
            indexMesh(vertices.get(), indices.get(), cut, 2 * cut + 1, appearance.get(), primitive);
        EXPECT_EQ(drawCalls(compiledCalls({a.get(), b.get()})).size(), 2u) << primitive;
        auto whole = indexMesh(vertices.get(), indices.get(), 0, 12, appearance.get(), primitive);
        auto next = indexMesh(vertices.get(), indices.get(), 12, 24, appearance.get(), primitive);
        EXPECT_EQ(drawCalls(compiledCalls({whole.get(), next.get()})).size(), 1u) << primitive;
    }
}

// A mesh of another class is drawn by its own draw() from the state it inherits, as it
// is one by one: the stream selects that state first.
TEST_F(OptimizerTest, AMeshOfAnotherClassDrawsWithTheStateItInherits) {
    class OwnMesh : public IndexMesh {};
    auto other = object::make<MarkShader>(2, VertexFormat::ARRAY_POSITION);
    auto otherLook = appearanceOf(other.get(), material.get());
    auto indices = indexBuffer(2, upTo(6));
    auto first = indexMesh(vertices.get(), indices.get(), 0, 3, appearance.get());
    auto second = indexMesh(vertices.get(), indices.get(), 3, 6, otherLook.get());
    auto own = Pointer<IndexMesh>::adopt(new OwnMesh);
    own->setVertexBuffer(vertices.get(), 0);
    own->setIndexBuffer(indices.get());
    // One by one: first, own (inheriting shader 1), second. Sorted, own lies after first.
    Optimizer optimizer;
    for (Mesh* mesh : std::vector<Mesh*>{first.get(), own.get(), second.get()})
        optimizer.add(mesh);
    auto stream = Pointer<RenderStream>::adopt(optimizer.createRenderStream());
    context->shaderStack.select(other.get()); // what an earlier frame left current
    recorder.clear();
    stream->run();
    const Calls calls = recorder.takeCalls();
    int shader = 0;
    std::vector<int> shadersOfDraws;
    for (const std::string& call : calls) {
        if (call.rfind("glLineWidth(", 0) == 0)
            shader = std::stoi(call.substr(12));
        if (call.rfind("glDraw", 0) == 0)
            shadersOfDraws.push_back(shader);
    }
    EXPECT_EQ(shadersOfDraws, (std::vector<int>{1, 1, 2})) << "own draws with shader 1";
    context->shaderStack.reset();
}

TEST_F(OptimizerTest, GroupsDrawsByShaderThenTexturesThenMaterial) {
    auto shaderB = object::make<MarkShader>(2, VertexFormat::ARRAY_POSITION);
    auto materialB = object::make<MarkMaterial>(2);
    auto texture = object::make<Texture>(5, GL_TEXTURE_2D);
    auto indices = indexBuffer(1, upTo(80));
    // Created in this order: shader 1, material 1, shader 2, material 2, texture 5.
    const Pointer<Appearance> looks[] = {
        appearanceOf(shaderB.get(), material.get()),                // 2, no texture, 1
        appearanceOf(shader.get(), materialB.get(), texture.get()), // 1, texture, 2
        appearanceOf(shader.get(), materialB.get()),                // 1, no texture, 2
        appearanceOf(shader.get(), material.get(), texture.get()),  // 1, texture, 1
    };
    std::vector<Pointer<IndexMesh>> meshes;
    for (std::uint32_t k = 0; k < 8; ++k)
        meshes.push_back(
            indexMesh(vertices.get(), indices.get(), k * 9, k * 9 + 3, looks[k % 4].get()));
    Optimizer optimizer;
    for (const auto& mesh : meshes)
        optimizer.add(mesh.get());
    // Mesh 2 has no texture of its own but inherits the texture mesh 1 left bound, as it
    // would be drawn one by one; mesh 0 has none to inherit.
    EXPECT_EQ(optimizer.getJobs()[2].textures[0].get(), texture.get());
    EXPECT_EQ(optimizer.getJobs()[0].textures[0].get(), nullptr);
    auto stream = Pointer<RenderStream>::adopt(optimizer.createRenderStream());
    recorder.clear();
    stream->run();
    Calls selections;
    for (const auto& call : recorder.takeCalls())
        if (call.rfind("glLineWidth", 0) == 0 || call.rfind("glBindTexture", 0) == 0 ||
            call.rfind("glMaterialf", 0) == 0 || call.rfind("glDraw", 0) == 0)
            selections.push_back(call);
    const std::string m1 = "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 1)";
    const std::string m2 = "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 2)";
    const std::string t5 = "glBindTexture(GL_TEXTURE_2D, 5)";
    auto draw = [](int count, int first) {
        return "glDrawElements(GL_TRIANGLES, " + std::to_string(count) + ", GL_UNSIGNED_BYTE, " +
               test::pointerText(first) + ")";
    };
    // The meshes' ranges of the one index buffer are laid out in the sorted order, so that
    // neighbours of one state join: meshes 3 and 7, then 1, 2, 5 and 6; meshes 0 and 4 stay
    // apart, 4 having the texture 3 left bound.
    EXPECT_EQ(selections, (Calls{"glLineWidth(1)", m1, t5, draw(6, 0), // shader 1, texture
                                 m2, draw(12, 6),                      // then material 2
                                 "glLineWidth(2)", m1, draw(3, 18), draw(3, 21)})); // shader 2
}

// Blended meshes go after all others whatever their state costs, and their shader's
// blending and depth mask wrap only their draws; a two-sided one switches culling off
// for its own draw only.
TEST_F(OptimizerTest, BlendedMeshesDrawLastInsideTheirBlendingState) {
    auto glass = object::make<MarkShader>(2, VertexFormat::ARRAY_POSITION); // created first
    glass->blended = true;
    auto leaf = object::make<MarkShader>(3, VertexFormat::ARRAY_POSITION);
    leaf->twoSided = true;
    auto opaque = object::make<MarkShader>(4, VertexFormat::ARRAY_POSITION);
    auto indices = indexBuffer(2, upTo(9));
    auto glassLook = appearanceOf(glass.get(), material.get());
    auto leafLook = appearanceOf(leaf.get(), material.get());
    auto opaqueLook = appearanceOf(opaque.get(), material.get());
    auto blended = indexMesh(vertices.get(), indices.get(), 0, 3, glassLook.get());
    auto twoSided = indexMesh(vertices.get(), indices.get(), 3, 6, leafLook.get());
    auto plain = indexMesh(vertices.get(), indices.get(), 6, 9, opaqueLook.get());
    gl.glEnable(GL_CULL_FACE);
    recorder.setInteger(GL_DEPTH_WRITEMASK, GL_TRUE);
    Calls order;
    for (const auto& call : compiledCalls({blended.get(), twoSided.get(), plain.get()}))
        if (call.rfind("glLineWidth", 0) == 0 || call.rfind("glDraw", 0) == 0 ||
            call.rfind("glEnable(GL_CULL", 0) == 0 || call.rfind("glDisable(GL_CULL", 0) == 0 ||
            call.rfind("glEnable(GL_BLEND", 0) == 0 || call.rfind("glDisable(GL_BLEND", 0) == 0 ||
            call.rfind("glDepthMask", 0) == 0)
            order.push_back(call);
    const auto draw = [](int first) {
        return "glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_SHORT, " + test::pointerText(first) +
               ")";
    };
    // The three ranges of the one index buffer are laid out in the order they draw in.
    EXPECT_EQ(order, (Calls{"glLineWidth(3)", "glDisable(GL_CULL_FACE)", draw(0),
                            "glEnable(GL_CULL_FACE)", "glLineWidth(4)", draw(6), "glLineWidth(2)",
                            "glEnable(GL_BLEND)", "glDepthMask(GL_FALSE)", draw(12)}));
    recorder.clear();
    context->shaderStack.reset();
    Calls after;
    for (const auto& call : recorder.takeCalls())
        if (call.rfind("glDepthMask", 0) == 0 || call.rfind("glDisable(GL_BLEND", 0) == 0)
            after.push_back(call);
    EXPECT_EQ(after, (Calls{"glDepthMask(GL_TRUE)", "glDisable(GL_BLEND)"}))
        << "leaving the blended shader puts back what was there";
}

TEST_F(OptimizerTest, CarriesMaterialAndShaderToMeshesWithoutAppearance) {
    auto indices = indexBuffer(2, upTo(30));
    auto dressed = indexMesh(vertices.get(), indices.get(), 0, 9, appearance.get());
    auto bare = indexMesh(vertices.get(), indices.get(), 9, 18, nullptr);
    Optimizer optimizer;
    optimizer.add(bare.get());
    optimizer.add(dressed.get());
    optimizer.add(bare.get());
    const auto& jobs = optimizer.getJobs();
    ASSERT_EQ(jobs.count(), 3u);
    EXPECT_EQ(jobs[0].material.get(), nullptr) << "nothing before it to inherit";
    EXPECT_EQ(jobs[2].material.get(), material.get());
    EXPECT_EQ(jobs[2].shader.get(), shader.get());
    EXPECT_EQ(jobs[2].arrays[0].get(), vertices.get());
    EXPECT_EQ(jobs[2].indexBuffer.get(), indices.get());

    // The dressed mesh and the second bare one share everything and join (the ranges laid
    // out in the order they draw in).
    auto stream = Pointer<RenderStream>::adopt(optimizer.createRenderStream());
    recorder.clear();
    stream->run();
    EXPECT_EQ(drawCalls(recorder.takeCalls()),
              (Calls{"glDrawElements(GL_TRIANGLES, 9, GL_UNSIGNED_SHORT, 0)",
                     "glDrawElements(GL_TRIANGLES, 18, GL_UNSIGNED_SHORT, 0x12)"}));

    // addDrawElements draws with the carried state alone.
    optimizer.reset();
    optimizer.add(dressed.get());
    optimizer.addDrawElements(GL_POINTS, 2, 4);
    optimizer.addDrawArrays(GL_LINES, 1, 2);
    ASSERT_EQ(optimizer.getJobs().count(), 3u);
    const auto& drawn = optimizer.getJobs()[1];
    EXPECT_EQ(drawn.material.get(), material.get());
    EXPECT_EQ(drawn.indexBuffer.get(), indices.get());
    EXPECT_EQ(drawn.arrays[0].get(), vertices.get()) << "the shader's position array";
    EXPECT_EQ(drawn.arrays[2].get(), nullptr);
    EXPECT_EQ(optimizer.getJobs()[2].indexBuffer.get(), nullptr);
    EXPECT_EQ(optimizer.getClassName(), "Object:Optimizer");
}

TEST_F(OptimizerTest, BindsEachBufferOnceWithTheMaskOfItsArraysAndThenOnlyDraws) {
    VertexFormat format;
    format.addComponent(0x000C0324, VertexFormat::ARRAY_POSITION);
    format.addComponent(0x00040411, VertexFormat::ARRAY_COLOUR);
    const std::vector<std::uint8_t> bytes(16 * 4, 1);
    auto coloured =
        orvane::test::makeVertexBuffer(format, bytes.data(), 4, VertexBuffer::USAGE_CLIENT);
    auto indices = indexBuffer(4, upTo(40), IndexBuffer::USAGE_STATIC);
    auto both =
        object::make<MarkShader>(2, VertexFormat::ARRAY_POSITION | VertexFormat::ARRAY_COLOUR);
    auto look = appearanceOf(both.get(), material.get());
    auto a = indexMesh(coloured.get(), indices.get(), 0, 9, look.get());
    auto b = indexMesh(coloured.get(), indices.get(), 18, 27, look.get());

    Optimizer optimizer;
    optimizer.add(a.get());
    optimizer.add(b.get());
    auto stream = Pointer<RenderStream>::adopt(optimizer.createRenderStream());
    // One vertex buffer binding with both arrays (mask 0x11), one index buffer.
    std::uint32_t bindings = 0;
    for (const auto& command : optimizer.getCompiler().getAssembler().getCommands())
        if (command.type == system::Assembler::CALL_CDECL &&
            command.operand1 == reinterpret_cast<system::Assembler::Word>(gl.glColorPointer))
            ++bindings;
    EXPECT_EQ(bindings, 1u);
    recorder.clear();
    stream->run();
    const Calls calls = recorder.takeCalls();
    const auto firstDraw = std::find_if(calls.begin(), calls.end(), [](const std::string& call) {
        return call.rfind("glDraw", 0) == 0;
    });
    ASSERT_EQ(calls.end() - firstDraw, 1) << "the two ranges, laid out one after the other, join";
    EXPECT_EQ(*firstDraw, "glDrawElements(GL_TRIANGLES, 18, GL_UNSIGNED_INT, 0)");
    const Calls binding(firstDraw - 4, firstDraw);
    EXPECT_EQ(binding, (Calls{"glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 2)",
                              "glBindBufferARB(GL_ARRAY_BUFFER_ARB, 3)",
                              "glVertexPointer(3, GL_FLOAT, 16, 0)",
                              "glColorPointer(4, GL_UNSIGNED_BYTE, 16, 0xc)"}))
        << "merged into buffer objects: indices first (name 2), then vertices (3)";
    context->shaderStack.reset();

    // A shader that leaves the colour array off: its pointer is not set.
    auto plain = indexMesh(coloured.get(), indices.get(), 0, 9, appearance.get());
    const Calls positionOnly = compiledCalls({plain.get()});
    EXPECT_EQ(
        std::count_if(positionOnly.begin(), positionOnly.end(),
                      [](const std::string& call) { return call.starts_with("glColorPointer"); }),
        0);
    EXPECT_EQ(
        std::count_if(positionOnly.begin(), positionOnly.end(),
                      [](const std::string& call) { return call.starts_with("glVertexPointer"); }),
        1);
}

// Turns call logs into what they draw: for every draw, the state it draws with and the
// numbers of the vertices of each triangle (strips and fans whole), read back from the
// recorder's buffer objects or from ordinary memory. Counts state calls that set what
// was set already.
class Replay {
public:
    using Piece = std::tuple<int, int, unsigned, std::string, std::vector<float>>;

    explicit Replay(const GLRecorder& recorder)
        : recorder(recorder) {}

    void feed(const Calls& calls) {
        for (const auto& call : calls)
            step(call);
    }

    std::vector<Piece> pieces;
    int draws = 0;
    int redundant = 0;

private:
    struct ArrayPointer {
        unsigned buffer = 0;
        std::uintptr_t address = 0;
        int stride = 0;
        bool operator==(const ArrayPointer&) const = default;
    };

    static std::vector<std::string> arguments(const std::string& call) {
        std::vector<std::string> list;
        std::string text = call.substr(call.find('(') + 1);
        text.pop_back();
        std::size_t start = 0;
        while (start <= text.size()) {
            const std::size_t comma = text.find(", ", start);
            list.push_back(text.substr(start, comma - start));
            if (comma == std::string::npos)
                break;
            start = comma + 2;
        }
        return list;
    }
    static std::uintptr_t number(const std::string& text) {
        return std::uintptr_t(std::stoull(text, nullptr, 0));
    }
    static void change(int& redundantCalls, auto& value, const auto& next) {
        if (value == next)
            ++redundantCalls;
        value = next;
    }

    void step(const std::string& call) {
        const std::string name = call.substr(0, call.find('('));
        const auto args = arguments(call);
        if (name == "glLineWidth")
            change(redundant, shader, int(std::stoi(args[0])));
        else if (name == "glPointSize")
            shader = 0; // unapplied
        else if (name == "glMaterialf")
            change(redundant, material, int(std::stoi(args[2])));
        else if (name == "glActiveTextureARB")
            unit = std::stoi(args[0].substr(std::strlen("GL_TEXTURE")));
        else if (name == "glBindTexture")
            change(redundant, textures[unit], unsigned(number(args[1])));
        else if (name == "glBindBufferARB" && args[0] == "GL_ARRAY_BUFFER_ARB")
            arrayBuffer = unsigned(number(args[1]));
        else if (name == "glBindBufferARB")
            change(redundant, elementBuffer, unsigned(number(args[1])));
        else if (name == "glVertexPointer")
            change(redundant, vertexPointer,
                   ArrayPointer{arrayBuffer, number(args[3]), int(number(args[2]))});
        else if (name == "glDrawElements")
            drawElements(args);
        else if (name == "glDrawArrays")
            draw(args[0], number(args[1]), number(args[2]), nullptr, 0);
    }

    const std::uint8_t* memory(unsigned buffer, std::uintptr_t address) {
        if (buffer == 0)
            return reinterpret_cast<const std::uint8_t*>(address);
        contents[buffer] = recorder.bufferContents(buffer);
        return contents[buffer].data() + address;
    }

    void drawElements(const std::vector<std::string>& args) {
        const std::uint32_t size = args[2] == "GL_UNSIGNED_BYTE"    ? 1
                                   : args[2] == "GL_UNSIGNED_SHORT" ? 2
                                                                    : 4;
        draw(args[0], 0, number(args[1]), memory(elementBuffer, number(args[3])), size);
    }

    void draw(const std::string& primitive, std::uintptr_t first, std::uintptr_t count,
              const std::uint8_t* indices, std::uint32_t size) {
        ++draws;
        const std::uint8_t* vertices = memory(vertexPointer.buffer, vertexPointer.address);
        std::vector<float> numbers;
        for (std::uintptr_t i = 0; i < count; ++i) {
            std::uint32_t vertex = std::uint32_t(first + i);
            if (indices) {
                vertex = 0;
                std::memcpy(&vertex, indices + i * size, size);
            }
            float x;
            std::memcpy(&x, vertices + std::size_t(vertex) * std::size_t(vertexPointer.stride), 4);
            numbers.push_back(x);
        }
        if (primitive != "GL_TRIANGLES") {
            pieces.emplace_back(shader, material, textures[0], primitive, numbers);
            return;
        }
        for (std::size_t t = 0; t + 3 <= numbers.size(); t += 3)
            pieces.emplace_back(
                shader, material, textures[0], primitive,
                std::vector<float>(numbers.begin() + long(t), numbers.begin() + long(t) + 3));
    }

    const GLRecorder& recorder;
    std::map<unsigned, std::vector<std::uint8_t>> contents;
    int shader = 0, material = 0, unit = 0;
    unsigned textures[8] = {};
    unsigned arrayBuffer = 0, elementBuffer = 0;
    ArrayPointer vertexPointer;
};

// A model as a translator might make one, from a seed: objects with their own vertex
// buffer and an 8-, 16- or 32-bit index buffer cut into meshes of triangle lists, strips
// and fans, vertex meshes, appearances of two shaders, three materials and two textures,
// some meshes without appearance. The last indices and vertices of every buffer are
// left unused, so ranges of different buffers never touch once merged.
struct GeneratedModel {
    struct Unit { // what the test expects one mesh to need
        int shader, material, texture, buffer;
        std::uint32_t first, count;
        GLenum primitive;
    };

    explicit GeneratedModel(unsigned seed) {
        std::mt19937 random(seed);
        auto below = [&](int n) { return int(random() % unsigned(n)); };
        for (int i = 0; i < 2; ++i)
            shaders.push_back(object::make<MarkShader>(i + 1, VertexFormat::ARRAY_POSITION));
        for (int i = 0; i < 3; ++i)
            materials.push_back(object::make<MarkMaterial>(i + 1));
        for (int i = 0; i < 2; ++i)
            textures.push_back(object::make<Texture>(GLuint(i + 1), GL_TEXTURE_2D));
        // The first appearance has every piece and the first mesh uses it: a mesh drawn
        // before any material, shader or texture was chosen draws with OpenGL's defaults,
        // which a stream that reorders meshes cannot give back.
        for (int i = 0; i < 5; ++i) {
            const int s = i == 0 ? 0 : below(3), m = i == 0 ? 0 : below(4),
                      t = i == 0 ? 0 : below(3);
            looks.push_back(appearanceOf(s < 2 ? shaders[s].get() : nullptr,
                                         m < 3 ? materials[m].get() : nullptr,
                                         t < 2 ? textures[t].get() : nullptr));
            pieces.push_back({s < 2 ? s + 1 : 0, m < 3 ? m + 1 : 0, t < 2 ? t + 1 : 0});
        }
        float nextVertex = 1;
        const int objects = 3 + below(4);
        for (int object = 0; object < objects; ++object) {
            const std::uint32_t vertexCount = 8 + std::uint32_t(below(40));
            const int usage = below(2) ? VertexBuffer::USAGE_CLIENT : VertexBuffer::USAGE_STATIC;
            auto vertices = makePositionBuffer(numbered(vertexCount, nextVertex), usage);
            nextVertex += float(vertexCount);
            const bool arrays = below(4) == 0;
            std::vector<std::pair<std::uint32_t, GLenum>> parts;
            std::uint32_t total = 0;
            for (int part = 1 + below(4); part > 0; --part) {
                const int kind = below(6);
                const GLenum primitive = kind < 4    ? GL_TRIANGLES
                                         : kind == 4 ? GL_TRIANGLE_STRIP
                                                     : GL_TRIANGLE_FAN;
                const std::uint32_t length = primitive == GL_TRIANGLES
                                                 ? 3 * std::uint32_t(1 + below(4))
                                                 : 3 + std::uint32_t(below(5));
                if (arrays && total + length + 1 > vertexCount)
                    break;
                parts.push_back({length, primitive});
                total += length;
            }
            Pointer<IndexBuffer> indices;
            if (!arrays) {
                const std::uint32_t size = vertexCount < 256 && below(3) == 0 ? 1
                                           : below(2)                         ? 2
                                                                              : 4;
                std::vector<std::uint32_t> values;
                for (std::uint32_t i = 0; i < total + 3; ++i)
                    values.push_back(std::uint32_t(below(int(vertexCount))));
                indices = indexBuffer(
                    size, values, below(2) ? IndexBuffer::USAGE_CLIENT : IndexBuffer::USAGE_STATIC);
            }
            std::uint32_t first = 0;
            for (const auto& [length, primitive] : parts) {
                const int look = meshes.empty() ? 0 : below(6); // 5: no appearance
                Pointer<VertexMesh> mesh;
                if (arrays) {
                    mesh = object::make<VertexMesh>();
                    mesh->setVertexBuffer(vertices.get(), 0);
                } else {
                    auto indexed = object::make<IndexMesh>();
                    indexed->setVertexBuffer(vertices.get(), 0);
                    indexed->setIndexBuffer(indices.get());
                    mesh = indexed;
                }
                mesh->setFirst(first);
                mesh->setEnd(first + length);
                mesh->setMode(primitive);
                if (look < 5)
                    mesh->setAppearance(looks[look].get());
                meshes.push_back(mesh);
                units.push_back({0, 0, 0, object, first, length, primitive});
                lookOf.push_back(look);
                first += length;
            }
            buffers.push_back(vertices);
            indexBuffers.push_back(indices);
        }
        // The state each mesh draws with when drawn one by one.
        int shader = 0, material = 0, texture = 0;
        for (std::size_t k = 0; k < units.size(); ++k) {
            if (lookOf[k] < 5) {
                const auto& piece = pieces[std::size_t(lookOf[k])];
                shader = piece[0] ? piece[0] : shader;
                material = piece[1] ? piece[1] : material;
                texture = piece[2] ? piece[2] : texture;
            }
            units[k].shader = shader;
            units[k].material = material;
            units[k].texture = texture;
        }
    }

    // The draw calls of joining within each object: one per run of triangle-list meshes of
    // one state and one buffer whose ranges follow each other; every strip and fan on its
    // own. The ranges of an index buffer that several meshes share are laid out anew in
    // their draw order (by state, then by first index), so there neighbours in that order
    // follow each other. Objects whose data the merger puts side by side may join further.
    int drawsJoinedWithinObjects() const {
        std::map<std::tuple<int, int, int, int>, std::vector<std::pair<std::uint32_t, const Unit*>>>
            groups;
        std::map<int, int> sharers;
        for (const Unit& unit : units) {
            groups[{unit.shader, unit.texture, unit.material, unit.buffer}].push_back(
                {unit.first, &unit});
            ++sharers[unit.buffer];
        }
        int draws = 0;
        for (auto& [state, members] : groups) {
            std::sort(members.begin(), members.end());
            std::uint32_t end = ~0u;
            GLenum previous = GL_POINTS;
            for (const auto& [first, unit] : members) {
                const bool laidOutAnew =
                    indexBuffers[std::size_t(unit->buffer)] && sharers.at(unit->buffer) > 1;
                const bool follows = first == end || (laidOutAnew && end != ~0u);
                if (!(unit->primitive == GL_TRIANGLES && previous == GL_TRIANGLES && follows))
                    ++draws;
                end = first + unit->count;
                previous = unit->primitive;
            }
        }
        return draws;
    }

    std::vector<Pointer<MarkShader>> shaders;
    std::vector<Pointer<MarkMaterial>> materials;
    std::vector<Pointer<Texture>> textures;
    std::vector<Pointer<Appearance>> looks;
    std::vector<std::array<int, 3>> pieces;
    std::vector<Pointer<VertexBuffer>> buffers;
    std::vector<Pointer<IndexBuffer>> indexBuffers;
    std::vector<Pointer<VertexMesh>> meshes;
    std::vector<Unit> units;
    std::vector<int> lookOf;
};

// Under a shader that samples no texture (plain colour), the textures meshes carry are
// neither bound nor sort keys: such meshes group by material alone. The stream still
// ends with every unit's texture as its last draw names it.
TEST_F(OptimizerTest, DrawsThatSampleNoTextureBindNoneAndGroupByMaterial) {
    auto plain = object::make<MarkShader>(2, VertexFormat::ARRAY_POSITION);
    plain->textureUnits = 0;
    auto materialB = object::make<MarkMaterial>(2);
    auto five = object::make<Texture>(5, GL_TEXTURE_2D);
    auto six = object::make<Texture>(6, GL_TEXTURE_2D);
    auto indices = indexBuffer(2, upTo(12));
    const Pointer<Appearance> looks[] = {appearanceOf(plain.get(), material.get(), five.get()),
                                         appearanceOf(plain.get(), materialB.get(), six.get()),
                                         appearanceOf(plain.get(), material.get(), six.get())};
    std::vector<Pointer<IndexMesh>> meshes;
    for (std::uint32_t k = 0; k < 3; ++k)
        meshes.push_back(
            indexMesh(vertices.get(), indices.get(), k * 3, k * 3 + 3, looks[k].get()));
    Calls selections;
    for (const auto& call : compiledCalls({meshes[0].get(), meshes[1].get(), meshes[2].get()}))
        if (call.starts_with("glBindTexture") || call.starts_with("glMaterialf") ||
            call.starts_with("glDraw"))
            selections.push_back(call);
    EXPECT_EQ(selections, (Calls{"glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 1)",
                                 "glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, 0)",
                                 "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 2)",
                                 "glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_SHORT, 0xc)",
                                 "glBindTexture(GL_TEXTURE_2D, 6)"}))
        << "meshes 0 and 2 join across their textures; texture 6 is bound at the end";
    context->shaderStack.reset();

    // A shader that may sample (the default) keeps them apart and binds each.
    plain->textureUnits = Shader::ALL_TEXTURE_UNITS;
    EXPECT_EQ(drawCalls(compiledCalls({meshes[0].get(), meshes[1].get(), meshes[2].get()})).size(),
              3u);
    context->shaderStack.reset();

    // A draw of the carried state past the end of the indices is not copied with the
    // ranges beside it, and does not hold them back from drawing.
    Optimizer optimizer;
    optimizer.add(meshes[0].get());
    optimizer.addDrawElements(GL_TRIANGLES, 9, 30);
    auto stream = Pointer<RenderStream>::adopt(optimizer.createRenderStream());
    ASSERT_TRUE(stream);
    ASSERT_EQ(optimizer.getJobs().count(), 2u);
    EXPECT_EQ(optimizer.getJobs()[0].count, 3u);
    EXPECT_EQ(optimizer.getJobs()[1].count, 3u) << "cut to the indices there are, once merged";
    context->shaderStack.reset();

    // A mesh that draws itself under that shader still finds its texture bound.
    class OwnMesh : public IndexMesh {};
    auto own = Pointer<IndexMesh>::adopt(new OwnMesh);
    own->setVertexBuffer(vertices.get(), 0);
    own->setIndexBuffer(indices.get());
    own->setAppearance(looks[0].get());
    plain->textureUnits = 0;
    const Calls ownCalls = compiledCalls({own.get()});
    const auto bind =
        std::find(ownCalls.begin(), ownCalls.end(), "glBindTexture(GL_TEXTURE_2D, 5)");
    const auto draw = std::find_if(ownCalls.begin(), ownCalls.end(), [](const std::string& call) {
        return call.starts_with("glDraw");
    });
    EXPECT_LT(bind, draw) << "texture 5 bound before the mesh's own draw";
    context->shaderStack.reset();
}

TEST_F(OptimizerTest, GeneratedModelsCompileIntoJoinedDrawsNativeAsInterpreted) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        GeneratedModel model(seed);

        // Drawn one by one.
        for (const auto& mesh : model.meshes)
            mesh->draw();
        Replay oneByOne(recorder);
        oneByOne.feed(recorder.takeCalls());

        Optimizer optimizer;
        for (const auto& mesh : model.meshes)
            optimizer.add(mesh.get());
        auto native = Pointer<RenderStream>::adopt(optimizer.createRenderStream());
        auto interpreted = Pointer<RenderStream>::adopt(
            optimizer.getCompiler().finish(Program::Machine::INTERPRETER));
        ASSERT_TRUE(native && interpreted);
        // Both runs start from the state the stream cannot rely on: nothing current.
        context->shaderStack.reset();
        context->materialStack.reset();
        recorder.clear();
        native->run();
        const Calls nativeCalls = recorder.takeCalls();
        context->shaderStack.reset();
        context->materialStack.reset();
        recorder.clear();
        interpreted->run();
        EXPECT_EQ(recorder.takeCalls(), nativeCalls);

        Replay compiled(recorder);
        compiled.feed(nativeCalls);
        EXPECT_EQ(compiled.redundant, 0) << "no call sets what is set already";
        EXPECT_LE(compiled.draws, model.drawsJoinedWithinObjects());
        auto sorted = [](std::vector<Replay::Piece> pieces) {
            std::sort(pieces.begin(), pieces.end());
            return pieces;
        };
        EXPECT_EQ(sorted(compiled.pieces), sorted(oneByOne.pieces))
            << "the same triangles with the same shader, material and texture";
    }
}

// The calls of the stream of a freshly generated model, with buffer object names
// numbered in order of appearance (the recorder names every new buffer anew).
Calls streamOfFreshModel(unsigned seed, GLRecorder& recorder) {
    GeneratedModel model(seed);
    Optimizer optimizer;
    for (const auto& mesh : model.meshes)
        optimizer.add(mesh.get());
    auto stream = Pointer<RenderStream>::adopt(optimizer.createRenderStream());
    recorder.clear();
    stream->run();
    std::map<std::string, int> names;
    Calls calls;
    for (std::string call : recorder.takeCalls()) {
        if (call.rfind("glBindBufferARB(", 0) == 0) {
            const std::size_t comma = call.find(", ");
            const std::string name = call.substr(comma + 2, call.size() - comma - 3);
            call = call.substr(0, comma + 2) + "#" +
                   std::to_string(names.emplace(name, int(names.size())).first->second) + ")";
        }
        calls.push_back(call);
    }
    return calls;
}

TEST_F(OptimizerTest, TheSameModelCompilesIntoTheSameCallsWhereverItLies) {
    for (unsigned seed = 1; seed <= 10; ++seed) {
        // The second model reuses the first one's freed memory in another order.
        const Calls first = streamOfFreshModel(seed, recorder);
        context->shaderStack.reset();
        context->shaderStack.setClientArrays(0);
        context->materialStack.reset();
        const Calls second = streamOfFreshModel(seed, recorder);
        context->shaderStack.reset();
        context->shaderStack.setClientArrays(0);
        context->materialStack.reset();
        EXPECT_EQ(first, second) << "seed " << seed;
    }
}

} // namespace
} // namespace orvane::graphics3d
