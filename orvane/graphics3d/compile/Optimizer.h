#pragma once

#include "orvane/container/Array.h"
#include "orvane/graphics3d/compile/Compiler.h"
#include "orvane/graphics3d/compile/MeshMerger.h"
#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/mesh/IndexBuffer.h"
#include "orvane/graphics3d/mesh/Mesh.h"
#include "orvane/graphics3d/mesh/VertexBuffer.h"
#include "orvane/graphics3d/state/Material.h"
#include "orvane/graphics3d/state/Mode.h"
#include "orvane/graphics3d/state/Shader.h"
#include "orvane/graphics3d/state/Texture.h"
#include "orvane/object/Object.h"
#include "orvane/object/Pointer.h"
#include "orvane/system/Program.h"

#include <cstdint>
#include <vector>

namespace orvane::graphics3d {

// Turns a list of meshes into one render stream that draws them all with as few state
// changes and draw calls as it can:
//
// 1. each mesh becomes a job: the complete state it needs and its draw call;
// 2. the jobs are sorted so that equal state is adjacent, the costliest outermost (mode,
//    shader, textures, material, index buffer, vertex buffers, then first and primitive),
//    after the one rule that comes first: jobs whose shader blends go after all others;
//    a texture on a unit the job's shader does not sample (Shader::sampledUnits) is
//    neither a sort key nor bound for the job;
// 3. the vertex and index data of IndexMesh and VertexMesh jobs is merged into shared
//    buffers (MeshMerger) in the sorted order, ranges of a shared index buffer each on
//    its own, and the jobs' ranges moved with it;
// 4. adjacent jobs with equal state and contiguous ranges become one draw call, and the
//    result is emitted through a Compiler, which drops every change to what is set.
//
// Meshes of other classes cannot be taken apart: the stream calls their own draw().
//
// Resources are ordered by their creation numbers, not their addresses, so the same
// meshes give the same stream, and the same OpenGL calls, on every run.
//
// Used once per model on the rendering thread, whose render context must be current (the
// merged buffers are buffer objects where the driver has them).
class Optimizer : public object::Object {
public:
    static constexpr int TEXTURE_UNITS = 8;
    static constexpr int ARRAY_BITS = 20;

    // Everything one draw call needs. Copies retain what they hold.
    struct Job {
        using BitwiseRelocatable = void;
        // Only for meshes of other classes than IndexMesh and VertexMesh: they are sorted
        // with the rest and drawn by their own draw(), their buffers left as they are.
        object::Pointer<Mesh> mesh;
        object::Pointer<Material> material;
        object::Pointer<Shader> shader;
        object::Pointer<Texture> textures[TEXTURE_UNITS];
        object::Pointer<Mode> mode;
        object::Pointer<VertexBuffer> arrays[ARRAY_BITS]; // the buffer of each array bit
        object::Pointer<IndexBuffer> indexBuffer;         // null: drawn as arrays
        // The mesh's vertex buffers by stream (held by the mesh while it is optimised), for
        // the merger, which must know their order.
        MeshMerger::BufferTuple streams;
        bool hasStreams = false;
        std::uint32_t first = 0; // first index, or first vertex without an index buffer
        std::uint32_t count = 0;
        GLenum primitive = GL_TRIANGLES;
        // The index buffer and first index the job had before its range was copied into a
        // buffer of its own for merging; taken back when the copy is not merged.
        struct Range {
            object::Pointer<IndexBuffer> buffer;
            std::uint32_t first = 0;
        } unmerged;
        void restoreIndices() {
            if (unmerged.buffer) {
                indexBuffer = std::move(unmerged.buffer);
                first = unmerged.first;
            }
        }
    };

    // Plain pointers to the pieces of state a job can name.
    struct State {
        Texture* textures[TEXTURE_UNITS] = {};
        Material* material = nullptr;
        Shader* shader = nullptr;
        Mode* mode = nullptr;
        VertexBuffer* arrays[ARRAY_BITS] = {};
        IndexBuffer* indexBuffer = nullptr;
    };

    Optimizer();

    // Forgets every job and the carried state.
    void reset();

    // Appends the job of one mesh. A mesh without appearance, or whose appearance lacks a
    // material, shader or the texture of a unit, inherits those the meshes added before it
    // left, as drawing the meshes one by one would leave them current. An IndexMesh
    // without index buffer draws nothing and adds no job. Ranges are cut at the mesh's
    // data as its own draw cuts them.
    void add(Mesh* mesh);
    // Appends a draw of the carried state alone: its material, shader, mode and textures,
    // the arrays the carried shader uses (all without a shader) and, for elements, the
    // carried index buffer.
    void addDrawArrays(GLenum primitive, std::uint32_t first, std::uint32_t count);
    void addDrawElements(GLenum primitive, std::uint32_t first, std::uint32_t count);

    // Sorts, merges, joins and emits the jobs: a new stream (count 1, the caller's) with
    // its program for the host or the given backend; null when no program could be made.
    RenderStream*
    createRenderStream(system::Program::Machine machine = system::Program::hostMachine);

    const container::Array<Job>& getJobs() const noexcept { return jobs; }
    // The compiler the last stream was emitted through; it still holds its commands.
    const Compiler& getCompiler() const noexcept { return compiler; }

    // Whether two jobs drawn one after the other may become one draw call: lists of
    // points, lines, triangles and quads. Strips, fans, loops and polygons would connect
    // the two ranges into other primitives.
    static bool isJoinable(GLenum primitive) noexcept;
    // The vertices of one primitive of a list (1, 2, 3, 4); 0 for strips, fans, loops and
    // polygons.
    static std::uint32_t verticesPerPrimitive(GLenum primitive) noexcept;

    types::String getClassName() const override;

private:
    void inherit(Job& job);
    // Emits what makes the job's mode, shader, material and the textures it samples current.
    void selectState(const Job& job, State& current);
    // Binds the job's textures that are not bound: those it samples, or all of them. The
    // end of the stream binds all of the last job's, so that a draw that samples none
    // still leaves every unit's texture as drawing the jobs in order would.
    void bindTextures(const Job& job, State& current, bool unsampledToo);
    void sortJobs();
    // Gives each job that shares its index buffer with others a copy of its own range, so
    // that the merger lays the ranges out in the sorted order: in the file's order, the
    // ranges of jobs that sort next to each other are rarely adjacent, and each would stay
    // a draw call of its own. A copy that is not merged is given up again.
    void regroupIndexRanges();
    void regroupIndexRanges(const std::vector<std::uint32_t>& group);
    void mergeBuffers();
    void joinJobs();
    void emit();

    container::Array<Job> jobs;
    Compiler compiler;
    State streamState;  // what the emitted stream starts from
    State currentState; // carried from job to job while adding
};

} // namespace orvane::graphics3d
