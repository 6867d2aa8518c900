#include "orvane/graphics3d/compile/Optimizer.h"

#include "orvane/graphics3d/compile/MeshMerger.h"
#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/mesh/VertexMesh.h"
#include "orvane/graphics3d/state/Appearance.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>
#include <utility>
#include <vector>

namespace orvane::graphics3d {
namespace {

using Job = Optimizer::Job;

template <class T>
int compareCreation(const object::Pointer<T>& a, const object::Pointer<T>& b) noexcept {
    const std::uint64_t x = sequenceOf(a.get()), y = sequenceOf(b.get());
    return x < y ? -1 : (y < x ? 1 : 0);
}

int compareNumbers(std::uint32_t a, std::uint32_t b) noexcept {
    return a < b ? -1 : (b < a ? 1 : 0);
}

bool isBlended(const Job& job) noexcept {
    return job.shader && job.shader->blended;
}

// Whether drawing under the shader may read the texture bound on a unit; without a shader,
// whatever is switched on may.
bool sampledUnder(const Shader* shader, int unit) noexcept {
    return !shader || (shader->sampledUnits() >> unit & 1u);
}

// Whether the job's drawing may read the texture bound on a unit. A mesh that draws
// itself may read any: it binds and switches on what it needs.
bool samples(const Job& job, int unit) noexcept {
    return job.mesh || sampledUnder(job.shader.get(), unit);
}

// The sort keys: what is drawn blended after everything else, so that what it covers is
// there to show through; then the costliest state first; resources by creation number.
int compareJobs(const Job& a, const Job& b) noexcept {
    if (isBlended(a) != isBlended(b))
        return isBlended(a) ? 1 : -1;
    if (int order = compareCreation(a.mode, b.mode))
        return order;
    if (int order = compareCreation(a.shader, b.shader))
        return order;
    // Equal shaders from here on: their units are the ones that count for both.
    for (int unit = 0; unit < Optimizer::TEXTURE_UNITS; ++unit)
        if (sampledUnder(a.shader.get(), unit))
            if (int order = compareCreation(a.textures[unit], b.textures[unit]))
                return order;
    if (int order = compareCreation(a.material, b.material))
        return order;
    if (int order = compareCreation(a.indexBuffer, b.indexBuffer))
        return order;
    for (int bit = 0; bit < Optimizer::ARRAY_BITS; ++bit)
        if (int order = compareCreation(a.arrays[bit], b.arrays[bit]))
            return order;
    if (int order = compareNumbers(a.first, b.first))
        return order;
    return compareNumbers(a.primitive, b.primitive);
}

bool sameState(const Job& a, const Job& b) noexcept {
    if (a.primitive != b.primitive || a.mode != b.mode || a.shader != b.shader ||
        a.material != b.material || a.indexBuffer != b.indexBuffer)
        return false;
    for (int bit = 0; bit < Optimizer::ARRAY_BITS; ++bit)
        if (a.arrays[bit] != b.arrays[bit])
            return false;
    for (int unit = 0; unit < Optimizer::TEXTURE_UNITS; ++unit)
        if (sampledUnder(a.shader.get(), unit) && a.textures[unit] != b.textures[unit])
            return false;
    return true;
}

// The vertex buffers of a job as the merger takes them: a mesh's streams in stream order
// (where two feed one array the merger keeps the later, as drawing the mesh does); for a
// draw of the carried state, its distinct buffers in order of first appearance, a 17th
// dropped.
MeshMerger::BufferTuple bufferTuple(const Job& job) {
    if (job.hasStreams)
        return job.streams;
    MeshMerger::BufferTuple tuple = MeshMerger::emptyTuple();
    std::uint32_t used = 0;
    for (const auto& buffer : job.arrays) {
        if (!buffer)
            continue;
        bool known = false;
        for (std::uint32_t slot = 0; slot < used && !known; ++slot)
            known = tuple[slot] == buffer.get();
        if (!known && used < MeshMerger::SLOTS)
            tuple[used++] = buffer.get();
    }
    return tuple;
}

// The arrays a job's buffers feed.
std::uint32_t arrayMaskOf(const Job& job) {
    std::uint32_t mask = 0;
    for (int bit = 0; bit < Optimizer::ARRAY_BITS; ++bit)
        if (job.arrays[bit])
            mask |= 1u << bit;
    return mask;
}

// Cuts first .. first + count to `available` elements.
void cutRange(Job& job, std::uint32_t available) {
    job.first = std::min(job.first, available);
    job.count = std::min(job.count, available - job.first);
}

void setRange(Job& job, std::uint32_t first, std::uint32_t end, std::uint32_t available) {
    const std::uint32_t last = std::min(end, available);
    job.first = first;
    job.count = last > first ? last - first : 0;
}

void takeStreams(Job& job, const VertexMesh& mesh) {
    job.streams = MeshMerger::emptyTuple();
    job.hasStreams = true;
    for (int stream = 0; stream < VertexMesh::STREAMS; ++stream) {
        VertexBuffer* buffer = mesh.vertexBuffer(stream);
        job.streams[std::uint32_t(stream)] = buffer;
        if (!buffer)
            continue;
        for (int bit = 0; bit < Optimizer::ARRAY_BITS; ++bit)
            if (buffer->arrayMask() & (1u << bit))
                job.arrays[bit] = buffer;
    }
}

} // namespace

Optimizer::Optimizer() {
    reset();
}

void Optimizer::reset() {
    currentState = State();
    streamState = State();
    jobs.clear();
}

bool Optimizer::isJoinable(GLenum primitive) noexcept {
    return verticesPerPrimitive(primitive) != 0;
}

std::uint32_t Optimizer::verticesPerPrimitive(GLenum primitive) noexcept {
    switch (primitive) {
    case GL_POINTS:
        return 1;
    case GL_LINES:
        return 2;
    case GL_TRIANGLES:
        return 3;
    case GL_QUADS:
        return 4;
    default:
        return 0;
    }
}

void Optimizer::add(Mesh* mesh) {
    if (!mesh)
        return;
    Job job;
    if (typeid(*mesh) == typeid(IndexMesh)) {
        const auto& indexMesh = static_cast<const IndexMesh&>(*mesh);
        IndexBuffer* indices = indexMesh.getIndexBuffer();
        if (!indices)
            return; // draws nothing, not even its appearance
        const std::uint32_t available = indices->indexCount();
        if (indexMesh.getFirst() == indexMesh.getEnd())
            setRange(job, 0, available, available);
        else
            setRange(job, indexMesh.getFirst(), indexMesh.getEnd(), available);
        job.indexBuffer = indices;
        takeStreams(job, indexMesh);
    } else if (typeid(*mesh) == typeid(VertexMesh)) {
        const auto& vertexMesh = static_cast<const VertexMesh&>(*mesh);
        setRange(job, vertexMesh.getFirst(), vertexMesh.getEnd(), vertexMesh.getVertexCount());
        takeStreams(job, vertexMesh);
    } else {
        job.mesh = mesh;
    }
    job.primitive = mesh->getMode();
    if (const Appearance* appearance = mesh->getAppearance()) {
        job.material = appearance->material;
        job.shader = appearance->shader;
        for (int unit = 0; unit < TEXTURE_UNITS; ++unit)
            job.textures[unit] = appearance->texture(unit);
    }
    job.mode = currentState.mode;
    inherit(job);
    jobs.add(std::move(job));
}

void Optimizer::inherit(Job& job) {
    if (job.material)
        currentState.material = job.material.get();
    else
        job.material = currentState.material;
    if (job.shader)
        currentState.shader = job.shader.get();
    else
        job.shader = currentState.shader;
    if (job.indexBuffer)
        currentState.indexBuffer = job.indexBuffer.get();
    for (int bit = 0; bit < ARRAY_BITS; ++bit)
        if (job.arrays[bit])
            currentState.arrays[bit] = job.arrays[bit].get();
    for (int unit = 0; unit < TEXTURE_UNITS; ++unit) {
        if (job.textures[unit])
            currentState.textures[unit] = job.textures[unit].get();
        else
            job.textures[unit] = currentState.textures[unit];
    }
}

void Optimizer::addDrawArrays(GLenum primitive, std::uint32_t first, std::uint32_t count) {
    Job job;
    job.material = currentState.material;
    job.shader = currentState.shader;
    job.mode = currentState.mode;
    for (int unit = 0; unit < TEXTURE_UNITS; ++unit)
        job.textures[unit] = currentState.textures[unit];
    const std::uint32_t used = currentState.shader ? currentState.shader->arrayMask : 0xFFFFFu;
    for (int bit = 0; bit < ARRAY_BITS; ++bit)
        if (used & (1u << bit))
            job.arrays[bit] = currentState.arrays[bit];
    job.primitive = primitive;
    job.first = first;
    job.count = count;
    jobs.add(std::move(job));
}

void Optimizer::addDrawElements(GLenum primitive, std::uint32_t first, std::uint32_t count) {
    addDrawArrays(primitive, first, count);
    jobs[jobs.count() - 1].indexBuffer = currentState.indexBuffer;
}

RenderStream* Optimizer::createRenderStream(system::Program::Machine machine) {
    sortJobs();
    regroupIndexRanges();
    mergeBuffers();
    joinJobs();
    emit();
    RenderStream* stream = compiler.finish(machine);
    if (!stream->getProgram()) {
        stream->release();
        return nullptr;
    }
    return stream;
}

void Optimizer::sortJobs() {
    std::stable_sort(jobs.begin(), jobs.end(),
                     [](const Job& a, const Job& b) { return compareJobs(a, b) < 0; });
}

void Optimizer::regroupIndexRanges() {
    // The jobs over each index buffer, in their sorted order.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> users;
    for (std::uint32_t index = 0; index < jobs.count(); ++index)
        if (!jobs[index].mesh && jobs[index].indexBuffer)
            users.emplace_back(jobs[index].indexBuffer->sequence(), index);
    std::stable_sort(users.begin(), users.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::uint32_t> group;
    for (std::size_t start = 0; start < users.size();) {
        std::size_t end = start;
        group.clear();
        while (end < users.size() && users[end].first == users[start].first)
            group.push_back(users[end++].second);
        if (group.size() > 1)
            regroupIndexRanges(group);
        start = end;
    }
}

void Optimizer::regroupIndexRanges(const std::vector<std::uint32_t>& group) {
    IndexBuffer& source = *jobs[group.front()].indexBuffer;
    // A draw of the carried state names its range itself: it may reach past the indices.
    for (std::uint32_t index : group)
        if (std::uint64_t(jobs[index].first) + jobs[index].count > source.indexCount())
            return;
    const auto* from = static_cast<const std::uint8_t*>(source.lock(GL_READ_ONLY_ARB));
    if (!from)
        return;
    const std::uint32_t size = source.elementSize();
    for (std::uint32_t index : group) {
        Job& job = jobs[index];
        auto copy = object::Pointer<IndexBuffer>::adopt(
            IndexBuffer::create(size, job.count, IndexBuffer::USAGE_CLIENT));
        auto* to =
            copy && job.count ? static_cast<std::uint8_t*>(copy->lock(GL_WRITE_ONLY_ARB)) : nullptr;
        if (!to)
            continue;
        std::memcpy(to, from + std::size_t(job.first) * size, std::size_t(job.count) * size);
        copy->unlock();
        job.unmerged = {job.indexBuffer, job.first};
        job.indexBuffer = copy;
        job.first = 0;
    }
    source.unlock();
}

void Optimizer::mergeBuffers() {
    MeshMerger merger;
    for (const Job& job : jobs)
        if (!job.mesh)
            merger.add(bufferTuple(job), job.indexBuffer.get());
    merger.merge();
    for (Job& job : jobs) {
        if (job.mesh)
            continue;
        const MeshMerger::BufferTuple tuple = bufferTuple(job);
        bool hasArrays = false;
        for (std::uint32_t slot = 0; slot < MeshMerger::SLOTS; ++slot)
            hasArrays = hasArrays || tuple[slot] != nullptr;
        const MeshMerger::VertexPlace vertices =
            hasArrays ? merger.lookupVertexBuffers(tuple) : MeshMerger::VertexPlace();
        if (hasArrays && !vertices.buffer) {
            job.restoreIndices(); // not merged: the job keeps its own buffers
            continue;
        }
        if (job.indexBuffer) {
            const MeshMerger::IndexPlace indices = merger.lookupIndexBuffer(job.indexBuffer.get());
            // An index buffer shared with other vertices has their offset: left as it is.
            if (!indices.buffer || indices.vertexOffset != vertices.offset) {
                job.restoreIndices();
                continue;
            }
            cutRange(job, indices.count);
            job.indexBuffer = indices.buffer;
            job.first += indices.offset;
            job.unmerged = {}; // merged: the source it was copied from is not needed again
        } else if (hasArrays) {
            cutRange(job, vertices.count);
            job.first += vertices.offset;
        }
        for (auto& buffer : job.arrays)
            if (buffer)
                buffer = vertices.buffer;
    }
}

void Optimizer::joinJobs() {
    container::Array<Job> joined;
    std::uint32_t previous = 0;
    bool hasPrevious = false;
    std::uint64_t nextFirst = 0;
    for (Job& job : jobs) {
        if (job.mesh) {
            // Nothing joins across it: what follows draws after what it draws.
            joined.add(std::move(job));
            hasPrevious = false;
            continue;
        }
        // Only ranges of whole primitives join: the vertices left over at the end of a
        // range draw nothing alone, but joined they would start a primitive of their own.
        const std::uint32_t size = verticesPerPrimitive(job.primitive);
        if (hasPrevious && job.first == nextFirst && isJoinable(job.primitive) &&
            sameState(joined[previous], job) && joined[previous].count % size == 0 &&
            job.count % size == 0) {
            joined[previous].count += job.count;
            // What it does not sample it leaves as the later draw had it.
            for (int unit = 0; unit < TEXTURE_UNITS; ++unit)
                joined[previous].textures[unit] = std::move(job.textures[unit]);
            nextFirst += job.count;
            continue;
        }
        nextFirst = std::uint64_t(job.first) + job.count;
        previous = joined.add(std::move(job));
        hasPrevious = true;
    }
    jobs = std::move(joined);
}

void Optimizer::emit() {
    compiler.begin();
    State current = streamState;
    for (const Job& job : jobs) {
        selectState(job, current);
        if (job.mesh) {
            // The mesh draws from the state it inherited, as it would one by one, then
            // binds whatever it needs itself.
            compiler.drawMesh(job.mesh.get());
            State after = streamState;
            after.mode = current.mode;
            current = after;
            continue;
        }
        if (job.indexBuffer && job.indexBuffer.get() != current.indexBuffer)
            compiler.setIndexBuffer(job.indexBuffer.get());

        // The arrays each buffer now has to supply, bound in creation order of the buffers:
        // those the job's shader switches on (an array it leaves off is never read, so its
        // pointer waits until a job needs it), all of them without a shader.
        struct Binding {
            VertexBuffer* buffer;
            std::uint32_t mask;
        };
        Binding bindings[ARRAY_BITS];
        int bindingCount = 0;
        const std::uint32_t used = job.shader ? job.shader->arrayMask : 0xFFFFFu;
        for (int bit = 0; bit < ARRAY_BITS; ++bit) {
            VertexBuffer* buffer = job.arrays[bit].get();
            if (!buffer || buffer == current.arrays[bit] || !(used & (1u << bit)))
                continue;
            current.arrays[bit] = buffer;
            int index = 0;
            while (index < bindingCount && bindings[index].buffer != buffer)
                ++index;
            if (index == bindingCount)
                bindings[bindingCount++] = {buffer, 0};
            bindings[index].mask |= 1u << bit;
        }
        std::sort(bindings, bindings + bindingCount, [](const Binding& a, const Binding& b) {
            return a.buffer->sequence() < b.buffer->sequence();
        });
        for (int index = 0; index < bindingCount; ++index)
            compiler.setVertexBuffer(bindings[index].buffer, bindings[index].mask);

        if (!job.shader)
            compiler.useArraysWithoutShader(arrayMaskOf(job));
        if (job.indexBuffer)
            compiler.drawElements(job.primitive, job.first, job.count);
        else
            compiler.drawArrays(job.primitive, job.first, job.count);
        current.indexBuffer = job.indexBuffer.get();
    }
    // After a mesh that drew itself, what it bound is what drawing in order leaves.
    if (!jobs.isEmpty() && !jobs[jobs.count() - 1].mesh)
        bindTextures(jobs[jobs.count() - 1], current, true);
    compiler.end();
}

void Optimizer::selectState(const Job& job, State& current) {
    if (job.mode.get() != current.mode) {
        if (job.mode)
            compiler.setMode(job.mode.get());
        else
            compiler.clearMode();
    }
    if (job.shader.get() != current.shader) {
        if (job.shader)
            compiler.setShader(job.shader.get());
        else
            compiler.clearShader();
    }
    if (job.material && job.material.get() != current.material)
        compiler.setMaterial(job.material.get());
    bindTextures(job, current, false);
    current.mode = job.mode.get();
    current.shader = job.shader.get();
    if (job.material)
        current.material = job.material.get();
}

void Optimizer::bindTextures(const Job& job, State& current, bool unsampledToo) {
    for (int unit = 0; unit < TEXTURE_UNITS; ++unit) {
        Texture* texture = job.textures[unit].get();
        if (texture == current.textures[unit] || !(unsampledToo || samples(job, unit)))
            continue;
        current.textures[unit] = texture;
        if (texture)
            compiler.setTexture(texture, unit);
    }
}

types::String Optimizer::getClassName() const {
    return object::classPath(Object::getClassName(), ":Optimizer");
}

} // namespace orvane::graphics3d
