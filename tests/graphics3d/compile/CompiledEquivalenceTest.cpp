// A compiled model draws exactly what its meshes draw one by one. Models are generated
// from seeds with what real files and callers give the optimiser: triangle, line, point
// and quad lists, strips and fans; 8-, 16- and 32-bit indices; ranges that are not whole
// primitives or reach past their data; one to three vertex buffers per mesh, two of them
// sometimes feeding the same array; up to 24 components; meshes of another class; meshes
// without appearance. Both call logs are replayed into the primitives they draw, each
// vertex read back from every array that is switched on, with the shader, material and
// texture it is drawn with.

#include "orvane/graphics3d/compile/Optimizer.h"
#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/mesh/VertexMesh.h"
#include "orvane/graphics3d/state/Appearance.h"
#include "orvane/graphics3d/state/Texture.h"
#include "tests/graphics3d/RecordedContext.h"
#include "tests/graphics3d/RenderMarks.h"
#include "tests/support/MeshBuffers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
using test::Calls;
using test::MarkMaterial;
using test::MarkShader;

// The arrays a generated buffer may feed, with their type codes and the names under
// which the recorder logs them.
struct Array {
    std::uint32_t bit;  // the array-mask bit
    std::uint32_t type; // the component's type code
    const char* client; // the client state switched on for it
    int unit;           // texture unit, or -1
};
const Array ARRAYS[] = {
    {VertexFormat::ARRAY_POSITION, 0x000C0324, "GL_VERTEX_ARRAY", -1},
    {VertexFormat::ARRAY_NORMAL, 0x000C0324, "GL_NORMAL_ARRAY", -1},
    {VertexFormat::ARRAY_COLOUR, 0x000C0324, "GL_COLOR_ARRAY", -1},
    {VertexFormat::ARRAY_FOG, 0x00040124, "GL_FOG_COORDINATE_ARRAY_EXT", -1},
    {0x1000, 0x00080224, "GL_TEXTURE_COORD_ARRAY", 0},
    {0x2000, 0x00080224, "GL_TEXTURE_COORD_ARRAY", 1},
    {0x4000, 0x00080224, "GL_TEXTURE_COORD_ARRAY", 2},
    {0x8000, 0x00080224, "GL_TEXTURE_COORD_ARRAY", 3},
    {0x10000, 0x00080224, "GL_TEXTURE_COORD_ARRAY", 4},
    {0x20000, 0x00080224, "GL_TEXTURE_COORD_ARRAY", 5},
    {0x40000, 0x00080224, "GL_TEXTURE_COORD_ARRAY", 6},
    {0x80000, 0x00080224, "GL_TEXTURE_COORD_ARRAY", 7},
};
constexpr int ARRAY_KINDS = int(sizeof ARRAYS / sizeof ARRAYS[0]);

// A mesh of a class the optimiser cannot take apart: the stream calls its own draw().
class OtherMesh : public IndexMesh {};

// Turns a call log into the primitives it draws.
class Replay {
public:
    // Shader, material, texture of unit 0, primitive, then one value per switched-on
    // array per vertex.
    using Piece = std::tuple<int, int, unsigned, std::string, std::vector<float>>;

    explicit Replay(const GLRecorder& recorder)
        : recorder(recorder) {}

    void feed(const Calls& calls) {
        for (const std::string& call : calls)
            step(call);
    }

    std::vector<Piece> pieces;

private:
    struct Pointer {
        unsigned buffer = 0;
        std::uintptr_t address = 0;
        std::uintptr_t stride = 0;
        bool set = false;
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
    static int unitOf(const std::string& name) {
        return std::stoi(name.substr(std::strlen("GL_TEXTURE")));
    }
    int arrayOf(const std::string& client) const {
        for (int kind = 0; kind < ARRAY_KINDS; ++kind)
            if (client == ARRAYS[kind].client &&
                (ARRAYS[kind].unit < 0 || ARRAYS[kind].unit == clientUnit))
                return kind;
        return -1;
    }
    void point(int kind, const std::vector<std::string>& args, std::size_t strideAt) {
        pointers[kind] = {arrayBuffer, number(args[strideAt + 1]), number(args[strideAt]), true};
    }

    void step(const std::string& call) {
        const std::string name = call.substr(0, call.find('('));
        const auto args = arguments(call);
        if (name == "glLineWidth")
            shader = std::stoi(args[0]);
        else if (name == "glPointSize")
            shader = 0;
        else if (name == "glMaterialf")
            material = std::stoi(args[2]);
        else if (name == "glActiveTextureARB")
            unit = unitOf(args[0]);
        else if (name == "glClientActiveTextureARB")
            clientUnit = unitOf(args[0]);
        else if (name == "glBindTexture")
            textures[unit] = unsigned(number(args[1]));
        else if (name == "glBindBufferARB" && args[0] == "GL_ARRAY_BUFFER_ARB")
            arrayBuffer = unsigned(number(args[1]));
        else if (name == "glBindBufferARB")
            elementBuffer = unsigned(number(args[1]));
        else if (name == "glEnableClientState" || name == "glDisableClientState") {
            if (const int kind = arrayOf(args[0]); kind >= 0)
                enabled[kind] = name == "glEnableClientState";
        } else if (name == "glVertexPointer")
            point(0, args, 2);
        else if (name == "glNormalPointer")
            point(1, args, 1);
        else if (name == "glColorPointer")
            point(2, args, 2);
        else if (name == "glFogCoordPointerEXT")
            point(3, args, 1);
        else if (name == "glTexCoordPointer")
            point(4 + clientUnit, args, 2);
        else if (name == "glDrawElements")
            drawElements(args);
        else if (name == "glDrawArrays")
            draw(args[0], number(args[1]), number(args[2]), nullptr, 0);
    }

    const std::uint8_t* memory(unsigned buffer, std::uintptr_t address) {
        if (buffer == 0)
            return reinterpret_cast<const std::uint8_t*>(address);
        auto& bytes = contents[buffer];
        bytes = recorder.bufferContents(buffer);
        return address < bytes.size() ? bytes.data() + address : nullptr;
    }

    void drawElements(const std::vector<std::string>& args) {
        const std::uint32_t size = args[2] == "GL_UNSIGNED_BYTE"    ? 1
                                   : args[2] == "GL_UNSIGNED_SHORT" ? 2
                                                                    : 4;
        draw(args[0], 0, number(args[1]), memory(elementBuffer, number(args[3])), size);
    }

    // What the vertex gives to every switched-on array: the first float of each.
    void vertex(std::uint32_t index, std::vector<float>& out) {
        for (int kind = 0; kind < ARRAY_KINDS; ++kind) {
            if (!enabled[kind])
                continue;
            const Pointer& p = pointers[kind];
            const std::uint8_t* base = p.set ? memory(p.buffer, p.address) : nullptr;
            float value = -1;
            if (base)
                std::memcpy(&value, base + std::size_t(index) * p.stride, sizeof value);
            out.push_back(float(kind) * 10000 + value);
        }
    }

    static std::size_t verticesOfPrimitive(const std::string& primitive) {
        if (primitive == "GL_POINTS")
            return 1;
        if (primitive == "GL_LINES")
            return 2;
        if (primitive == "GL_TRIANGLES")
            return 3;
        if (primitive == "GL_QUADS")
            return 4;
        return 0; // strips, fans, loops: one piece a draw
    }

    void draw(const std::string& primitive, std::uintptr_t first, std::uintptr_t count,
              const std::uint8_t* indices, std::uint32_t size) {
        std::vector<std::vector<float>> vertices;
        for (std::uintptr_t i = 0; i < count; ++i) {
            std::uint32_t index = std::uint32_t(first + i);
            if (indices) {
                index = 0;
                std::memcpy(&index, indices + i * size, size);
            }
            vertices.emplace_back();
            vertex(index, vertices.back());
        }
        const std::size_t per = verticesOfPrimitive(primitive);
        const auto add = [&](std::size_t from, std::size_t to) {
            std::vector<float> values;
            for (std::size_t v = from; v < to; ++v)
                values.insert(values.end(), vertices[v].begin(), vertices[v].end());
            pieces.emplace_back(shader, material, textures[0], primitive, values);
        };
        if (per == 0) {
            // A strip or fan of fewer than three vertices draws nothing.
            if (vertices.size() >= 3)
                add(0, vertices.size());
            return;
        }
        // OpenGL leaves out the vertices that make no whole primitive.
        for (std::size_t v = 0; v + per <= vertices.size(); v += per)
            add(v, v + per);
    }

    const GLRecorder& recorder;
    std::map<unsigned, std::vector<std::uint8_t>> contents;
    int shader = 0, material = 0, unit = 0, clientUnit = 0;
    unsigned textures[8] = {};
    unsigned arrayBuffer = 0, elementBuffer = 0;
    bool enabled[ARRAY_KINDS] = {};
    Pointer pointers[ARRAY_KINDS];
};

// One model from a seed.
struct Model {
    explicit Model(unsigned seed)
        : random(seed) {
        const std::uint32_t everything = 0xFF000 | VertexFormat::ARRAY_POSITION |
                                         VertexFormat::ARRAY_NORMAL | VertexFormat::ARRAY_COLOUR |
                                         VertexFormat::ARRAY_FOG;
        const std::uint32_t masks[3] = {
            VertexFormat::ARRAY_POSITION,
            VertexFormat::ARRAY_POSITION | 0x1000 | VertexFormat::ARRAY_COLOUR, everything};
        for (int i = 0; i < 3; ++i)
            shaders.push_back(object::make<MarkShader>(i + 1, masks[i]));
        for (int i = 0; i < 3; ++i)
            materials.push_back(object::make<MarkMaterial>(i + 1));
        for (int i = 0; i < 2; ++i)
            textures.push_back(object::make<Texture>(GLuint(i + 1), GL_TEXTURE_2D));
        // The first appearance has every piece and the first mesh uses it: what a stream
        // that reorders meshes cannot give back are OpenGL's own defaults.
        looks.push_back(look(0, 0, 0));
        for (int i = 0; i < 5; ++i)
            looks.push_back(look(below(4), below(4), below(3)));
        const int objects = 2 + below(5);
        for (int object = 0; object < objects; ++object)
            addObject();
    }

    int below(int n) { return int(random() % unsigned(n)); }

    Pointer<Appearance> look(int shader, int material, int texture) {
        auto appearance = object::make<Appearance>();
        appearance->setShader(shader < 3 ? shaders[std::size_t(shader)].get() : nullptr);
        appearance->setMaterial(material < 3 ? materials[std::size_t(material)].get() : nullptr);
        appearance->setTexture(texture < 2 ? textures[std::size_t(texture)].get() : nullptr, 0);
        return appearance;
    }

    // A buffer feeding the arrays of `kinds`, each float a number unique to the buffer,
    // the vertex and the component.
    Pointer<VertexBuffer> vertexBuffer(const std::vector<int>& kinds, std::uint32_t vertices) {
        VertexFormat format;
        for (int kind : kinds)
            format.addComponent(ARRAYS[kind].type, ARRAYS[kind].bit);
        std::vector<float> data(std::size_t(vertices) * format.stride() / 4);
        const float base = float(nextNumber);
        nextNumber += 1000;
        for (std::uint32_t v = 0; v < vertices; ++v)
            for (std::size_t c = 0; c < kinds.size(); ++c) {
                const std::uint32_t at = (v * format.stride() + format.componentOffset(int(c))) / 4;
                const std::uint32_t floats = (ARRAYS[kinds[c]].type >> 16 & 0xFF) / 4;
                for (std::uint32_t f = 0; f < floats; ++f)
                    data[at + f] = base + float(v) + 0.25f * float(c) + 0.01f * float(f);
            }
        const int usage = below(2) ? VertexBuffer::USAGE_CLIENT : VertexBuffer::USAGE_STATIC;
        auto buffer = orvane::test::makeVertexBuffer(format, data.data(), vertices, usage);
        buffers.push_back(buffer);
        return buffer;
    }

    // Which arrays each of the streams feeds: every array from at least one stream, so
    // that whatever a shader switches on is read from the mesh's own buffers, and now and
    // then from a second one too (the later stream is the one drawn): twelve to
    // twenty-four components in all.
    std::vector<std::vector<int>> streamArrays(int streams) {
        std::vector<std::vector<int>> kinds{std::size_t(streams)};
        for (int kind = 0; kind < ARRAY_KINDS; ++kind) {
            const int stream = below(streams);
            kinds[std::size_t(stream)].push_back(kind);
            if (streams > 1 && below(3) == 0)
                kinds[std::size_t((stream + 1 + below(streams - 1)) % streams)].push_back(kind);
        }
        for (auto& list : kinds)
            std::shuffle(list.begin(), list.end(), random);
        return kinds;
    }

    GLenum primitive() {
        const GLenum modes[] = {GL_TRIANGLES, GL_TRIANGLES,      GL_TRIANGLES,    GL_LINES,
                                GL_POINTS,    GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_QUADS};
        return modes[below(8)];
    }

    void addObject() {
        const std::uint32_t vertexCount = 6 + std::uint32_t(below(40));
        std::vector<Pointer<VertexBuffer>> streams;
        const int streamCount = 1 + below(3);
        for (const std::vector<int>& kinds : streamArrays(streamCount)) {
            // Now and then a stream with fewer vertices than the others.
            const std::uint32_t count = below(6) == 0 ? vertexCount - 2 : vertexCount;
            streams.push_back(kinds.empty() ? Pointer<VertexBuffer>() : vertexBuffer(kinds, count));
        }
        const bool arrays = below(4) == 0;
        Pointer<IndexBuffer> indices;
        std::uint32_t available = vertexCount - 2;
        if (!arrays) {
            const std::uint32_t size = below(3) == 0 ? 1 : below(2) ? 2 : 4;
            const std::uint32_t count = 10 + std::uint32_t(below(50));
            std::vector<std::uint8_t> bytes(std::size_t(count) * size);
            for (std::uint32_t i = 0; i < count; ++i) {
                // Indices below the shortest stream: every draw reads what exists.
                const std::uint32_t value = std::uint32_t(below(int(vertexCount - 2)));
                std::memcpy(&bytes[std::size_t(i) * size], &value, size);
            }
            indices = Pointer<IndexBuffer>::adopt(IndexBuffer::create(
                size, count, below(2) ? IndexBuffer::USAGE_CLIENT : IndexBuffer::USAGE_STATIC));
            std::memcpy(indices->lock(GL_WRITE_ONLY_ARB), bytes.data(), bytes.size());
            indices->unlock();
            available = count;
            indexBuffers.push_back(indices);
        }
        for (int part = 1 + below(4); part > 0; --part) {
            Pointer<VertexMesh> mesh;
            if (arrays) {
                mesh = object::make<VertexMesh>();
            } else {
                auto indexed = below(6) == 0 ? Pointer<IndexMesh>::adopt(new OtherMesh)
                                             : object::make<IndexMesh>();
                indexed->setIndexBuffer(indices.get());
                mesh = indexed;
            }
            for (std::size_t stream = 0; stream < streams.size(); ++stream)
                mesh->setVertexBuffer(streams[stream].get(), int(stream));
            // Ranges of any length, now and then reaching past the data.
            const auto first = std::uint32_t(below(int(available)));
            const auto end = first + std::uint32_t(below(12)) + (below(5) == 0 ? available : 0);
            mesh->setFirst(first);
            mesh->setEnd(std::max(end, first + 1));
            mesh->setMode(primitive());
            const int appearance = meshes.empty() ? 0 : below(int(looks.size()) + 1);
            if (appearance < int(looks.size()))
                mesh->setAppearance(looks[std::size_t(appearance)].get());
            meshes.push_back(mesh);
        }
    }

    std::mt19937 random;
    int nextNumber = 1000;
    std::vector<Pointer<MarkShader>> shaders;
    std::vector<Pointer<MarkMaterial>> materials;
    std::vector<Pointer<Texture>> textures;
    std::vector<Pointer<Appearance>> looks;
    std::vector<Pointer<VertexBuffer>> buffers;
    std::vector<Pointer<IndexBuffer>> indexBuffers;
    std::vector<Pointer<VertexMesh>> meshes;
};

class CompiledEquivalence : public test::RecordedContext {
protected:
    // Nothing current, as a stream cannot rely on anything.
    void startFromNothing() {
        context->shaderStack.reset();
        context->shaderStack.setClientArrays(0);
        context->materialStack.reset();
        for (int unit = 0; unit < TextureStack::UNITS; ++unit)
            context->textureStack.forget(unit);
        recorder.clear();
    }
    static std::string describe(const Replay::Piece& piece) {
        std::string text = "shader " + std::to_string(std::get<0>(piece)) + " material " +
                           std::to_string(std::get<1>(piece)) + " texture " +
                           std::to_string(std::get<2>(piece)) + " " + std::get<3>(piece) + ":";
        for (float value : std::get<4>(piece))
            text += " " + std::to_string(value);
        return text;
    }
    // Where two sorted lists of primitives part, for the failure message.
    static std::string firstDifference(const std::vector<Replay::Piece>& compiled,
                                       const std::vector<Replay::Piece>& oneByOne) {
        std::size_t i = 0;
        while (i < compiled.size() && i < oneByOne.size() && compiled[i] == oneByOne[i])
            ++i;
        std::string text;
        if (i < compiled.size())
            text += "\n  compiled:    " + describe(compiled[i]);
        if (i < oneByOne.size())
            text += "\n  one by one:  " + describe(oneByOne[i]);
        return text;
    }
    static std::vector<Replay::Piece> sorted(std::vector<Replay::Piece> pieces) {
        std::sort(pieces.begin(), pieces.end());
        return pieces;
    }
};

TEST_F(CompiledEquivalence, AThousandGeneratedModelsDrawTheSamePrimitivesCompiled) {
    int compared = 0, different = 0;
    for (unsigned seed = 1; seed <= 1000; ++seed) {
        Model model(seed);
        startFromNothing();
        for (const auto& mesh : model.meshes)
            mesh->draw();
        Replay oneByOne(recorder);
        oneByOne.feed(recorder.takeCalls());

        Optimizer optimizer;
        for (const auto& mesh : model.meshes)
            optimizer.add(mesh.get());
        auto stream = Pointer<RenderStream>::adopt(optimizer.createRenderStream());
        ASSERT_TRUE(stream) << "seed " << seed;
        startFromNothing();
        stream->run();
        Replay compiled(recorder);
        compiled.feed(recorder.takeCalls());

        ++compared;
        if (sorted(compiled.pieces) != sorted(oneByOne.pieces)) {
            ++different;
            ADD_FAILURE() << "seed " << seed << ": " << compiled.pieces.size()
                          << " primitives compiled, " << oneByOne.pieces.size() << " one by one"
                          << firstDifference(sorted(compiled.pieces), sorted(oneByOne.pieces));
            if (different >= 5)
                break;
        }
    }
    EXPECT_EQ(different, 0) << "of " << compared << " models";
    startFromNothing();
}

} // namespace
} // namespace orvane::graphics3d
