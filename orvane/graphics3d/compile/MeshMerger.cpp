#include "orvane/graphics3d/compile/MeshMerger.h"

#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/mesh/TypeCode.h"
#include "orvane/graphics3d/mesh/VertexMesh.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>
#include <vector>

namespace orvane::graphics3d {
namespace {

using BufferTuple = MeshMerger::BufferTuple;

// Bytes of one source buffer's vertex that go to one place of a merged vertex.
struct Span {
    std::uint32_t slot;   // the tuple slot of the source buffer
    std::uint32_t source; // offset in the source vertex
    std::uint32_t target; // offset in the merged vertex
    std::uint32_t size;
};

// Whether a component has data a vertex can hold.
bool isUsable(const VertexFormat::Component& component, const VertexFormat& format) {
    return component.mask != 0 && component.type != 0 &&
           std::uint64_t(component.offset) + TypeCode::size(component.type) <= format.stride();
}

// The arrays of each slot's components that no later component feeds: where two buffers
// (or two components) feed the same array, the later one is what binding them in stream
// order leaves in place, so the merged vertex keeps that one.
std::vector<std::uint32_t> ownMasks(const BufferTuple& tuple) {
    std::vector<std::uint32_t> masks(MeshMerger::SLOTS * VertexFormat::MAX_COMPONENTS, 0);
    std::uint32_t claimed = 0;
    for (std::uint32_t slot = MeshMerger::SLOTS; slot-- > 0;) {
        if (!tuple[slot])
            continue;
        const VertexFormat& format = tuple[slot]->format();
        for (std::uint32_t index = format.componentCount(); index-- > 0;) {
            const VertexFormat::Component& component = format.component(int(index));
            if (!isUsable(component, format))
                continue;
            masks[slot * VertexFormat::MAX_COMPONENTS + index] = component.mask & ~claimed;
            claimed |= component.mask;
        }
    }
    return masks;
}

// The combined format of a tuple (the buffers' formats appended in tuple order, each array
// from the component that feeds it last) and, when asked, where each component's bytes
// go. Components that lie outside their own vertex are left out; `complete` says whether
// every other component found an entry (a format holds 16).
VertexFormat combinedLayout(const BufferTuple& tuple, bool& complete,
                            std::vector<Span>* spans = nullptr) {
    VertexFormat combined;
    complete = true;
    const std::vector<std::uint32_t> masks = ownMasks(tuple);
    for (std::uint32_t slot = 0; slot < MeshMerger::SLOTS; ++slot) {
        const VertexBuffer* buffer = tuple[slot];
        if (!buffer)
            continue;
        const VertexFormat& format = buffer->format();
        for (std::uint32_t index = 0; index < format.componentCount(); ++index) {
            const VertexFormat::Component& component = format.component(int(index));
            const std::uint32_t mask = masks[slot * VertexFormat::MAX_COMPONENTS + index];
            const std::uint32_t size = TypeCode::size(component.type);
            if (mask == 0)
                continue;
            const int added = combined.addComponent(component.type, mask);
            if (added < 0) {
                complete = false;
                continue;
            }
            if (!spans)
                continue;
            const std::uint32_t target = combined.componentOffset(added);
            if (!spans->empty() && spans->back().slot == slot &&
                spans->back().source + spans->back().size == component.offset &&
                spans->back().target + spans->back().size == target)
                spans->back().size += size; // contiguous on both sides: one copy
            else
                spans->push_back({slot, component.offset, target, size});
        }
    }
    return combined;
}

std::uint32_t largestVertexCount(const BufferTuple& tuple) {
    std::uint32_t count = 0;
    for (std::uint32_t slot = 0; slot < MeshMerger::SLOTS; ++slot)
        if (tuple[slot])
            count = std::max(count, tuple[slot]->vertexCount());
    return count;
}

// The vertices a mesh over the tuple draws: as many as its shortest buffer has.
std::uint32_t smallestVertexCount(const BufferTuple& tuple) {
    std::uint32_t count = 0;
    bool any = false;
    for (std::uint32_t slot = 0; slot < MeshMerger::SLOTS; ++slot)
        if (tuple[slot]) {
            count = any ? std::min(count, tuple[slot]->vertexCount()) : tuple[slot]->vertexCount();
            any = true;
        }
    return count;
}

std::uint32_t readIndex(const std::uint8_t* indices, std::uint32_t i, std::uint32_t size) {
    switch (size) {
    case 1:
        return indices[i];
    case 2: {
        std::uint16_t value;
        std::memcpy(&value, indices + std::size_t(i) * 2, 2);
        return value;
    }
    default: {
        std::uint32_t value;
        std::memcpy(&value, indices + std::size_t(i) * 4, 4);
        return value;
    }
    }
}

void writeIndex(std::uint8_t* indices, std::uint32_t i, std::uint32_t size, std::uint32_t value) {
    switch (size) {
    case 1:
        indices[i] = std::uint8_t(value);
        break;
    case 2: {
        const auto narrow = std::uint16_t(value);
        std::memcpy(indices + std::size_t(i) * 2, &narrow, 2);
        break;
    }
    default:
        std::memcpy(indices + std::size_t(i) * 4, &value, 4);
        break;
    }
}

std::uint64_t largestValue(std::uint32_t elementSize) {
    return elementSize >= 4 ? 0xFFFFFFFFull : (1ull << (8 * elementSize)) - 1;
}

// The largest index of a buffer; the largest its width can hold when it cannot be read.
std::uint64_t largestIndex(IndexBuffer& buffer) {
    const auto* indices = static_cast<const std::uint8_t*>(buffer.lock(GL_READ_ONLY_ARB));
    std::uint64_t largest = indices ? 0 : largestValue(buffer.elementSize());
    if (indices)
        for (std::uint32_t i = 0; i < buffer.indexCount(); ++i)
            largest = std::max<std::uint64_t>(largest, readIndex(indices, i, buffer.elementSize()));
    buffer.unlock();
    return largest;
}

// The element width the shifted indices of a buffer need: its own, or wider when the
// shift would overflow it; 0 when not even 32 bits hold them.
std::uint32_t shiftedWidth(IndexBuffer& buffer, std::uint32_t vertexOffset) {
    const std::uint32_t own = buffer.elementSize();
    if (vertexOffset == 0)
        return own;
    const std::uint64_t largest = largestIndex(buffer) + vertexOffset;
    for (std::uint32_t width = own; width <= 4; width *= 2)
        if (largest <= largestValue(width))
            return width;
    return 0;
}

BufferTuple streamsOf(const VertexMesh& mesh) {
    BufferTuple tuple = MeshMerger::emptyTuple();
    for (int stream = 0; stream < VertexMesh::STREAMS; ++stream)
        tuple[std::uint32_t(stream)] = mesh.vertexBuffer(stream);
    return tuple;
}

// A range first .. end inside `count` elements moved to `offset`; an empty range stays
// empty unless `emptyIsWhole`, where it stands for all `count`.
void shiftRange(VertexMesh& mesh, std::uint32_t offset, std::uint32_t count, bool emptyIsWhole) {
    std::uint32_t first = mesh.getFirst(), end = mesh.getEnd();
    if (first == end && emptyIsWhole) {
        first = 0;
        end = count;
    }
    end = std::min(end, count);
    first = std::min(first, end);
    mesh.setFirst(offset + first);
    mesh.setEnd(offset + end);
}

} // namespace

MeshMerger::BufferTuple MeshMerger::emptyTuple() noexcept {
    BufferTuple tuple;
    for (std::uint32_t slot = 0; slot < SLOTS; ++slot)
        tuple[slot] = nullptr;
    return tuple;
}

std::uint32_t MeshMerger::addVertexBuffers(const BufferTuple& tuple) {
    if (const auto* known = vertexMap.find(tuple))
        return known->value.offset;
    const std::uint32_t count = largestVertexCount(tuple);
    if (count == 0)
        return 0;
    bool complete = true;
    const VertexFormat format = combinedLayout(tuple, complete);
    // A tuple whose components do not all fit one format keeps its own buffers: merged,
    // the arrays left out would not be drawn.
    if (!complete)
        return 0;
    VbInfo* group = nullptr;
    for (VbInfo& candidate : vertexGroups)
        if (candidate.format == format) {
            group = &candidate;
            break;
        }
    if (!group) {
        group = &vertexGroups.pushBack();
        group->format = format;
    }
    const std::uint32_t offset = group->vertexCount;
    group->vertexCount += count;
    vertexMap.insert(tuple, VbMapping{group, offset, smallestVertexCount(tuple)});
    return offset;
}

std::uint32_t MeshMerger::addVertexBuffer(VertexBuffer* buffer) {
    BufferTuple tuple = emptyTuple();
    tuple[0] = buffer;
    return addVertexBuffers(tuple);
}

std::uint32_t MeshMerger::addIndexBuffer(IndexBuffer* indexBuffer, std::uint32_t vertexOffset) {
    if (!indexBuffer)
        return 0;
    if (const auto* known = indexMap.find(indexBuffer))
        return known->value.offset;
    const std::uint32_t count = indexBuffer->indexCount();
    if (count == 0)
        return 0;
    const std::uint32_t width = shiftedWidth(*indexBuffer, vertexOffset);
    if (width == 0)
        return 0;
    IbInfo* group = nullptr;
    for (IbInfo& candidate : indexGroups)
        if (candidate.elementSize == width) {
            group = &candidate;
            break;
        }
    if (!group) {
        group = &indexGroups.pushBack();
        group->elementSize = width;
    }
    const std::uint32_t offset = group->indexCount;
    group->indexCount += count;
    indexMap.insert(indexBuffer, IbMapping{group, offset, count, vertexOffset});
    return offset;
}

std::uint32_t MeshMerger::add(const BufferTuple& tuple, IndexBuffer* indexBuffer) {
    return addIndexBuffer(indexBuffer, addVertexBuffers(tuple));
}

void MeshMerger::addIndexBuffer(VertexBuffer* vertexBuffer, IndexBuffer* indexBuffer) {
    BufferTuple tuple = emptyTuple();
    tuple[0] = vertexBuffer;
    add(tuple, indexBuffer);
}

bool MeshMerger::addMesh(Mesh* mesh) {
    if (!mesh)
        return false;
    if (typeid(*mesh) == typeid(IndexMesh)) {
        auto* indexMesh = static_cast<IndexMesh*>(mesh);
        add(streamsOf(*indexMesh), indexMesh->getIndexBuffer());
    } else if (typeid(*mesh) == typeid(VertexMesh)) {
        addVertexBuffers(streamsOf(*static_cast<VertexMesh*>(mesh)));
    } else {
        return false;
    }
    meshes.pushBack(mesh);
    return true;
}

void MeshMerger::merge() {
    // A buffer that cannot be made, or mapped, leaves every user on its own buffers: the
    // merged buffers would lack its data.
    if (!mergeIndices() || !mergeVertices()) {
        for (IbInfo& group : indexGroups)
            group.buffer = nullptr;
        for (VbInfo& group : vertexGroups)
            group.buffer = nullptr;
        return;
    }
    rewriteMeshes();
}

bool MeshMerger::mergeIndices() {
    bool filled = true;
    for (IbInfo& group : indexGroups) {
        group.buffer = object::Pointer<IndexBuffer>::adopt(
            IndexBuffer::create(group.elementSize, group.indexCount, IndexBuffer::USAGE_STATIC));
        // Stays mapped until every part is in.
        filled = filled && group.buffer && group.buffer->lock(GL_WRITE_ONLY_ARB);
    }
    for (const auto& entry : indexMap) {
        if (!filled)
            break;
        IndexBuffer& source = *entry.key;
        const IbMapping& mapping = entry.value;
        IndexBuffer* merged = mapping.group->buffer.get();
        auto* to = static_cast<std::uint8_t*>(merged->lock(GL_WRITE_ONLY_ARB));
        const auto* from = static_cast<const std::uint8_t*>(source.lock(GL_READ_ONLY_ARB));
        filled = to && from;
        for (std::uint32_t i = 0; filled && i < mapping.count; ++i)
            writeIndex(to, mapping.offset + i, merged->elementSize(),
                       readIndex(from, i, source.elementSize()) + mapping.vertexOffset);
        source.unlock();
    }
    for (IbInfo& group : indexGroups)
        if (group.buffer)
            group.buffer->unlock();
    return filled;
}

bool MeshMerger::mergeVertices() {
    bool filled = true;
    for (VbInfo& group : vertexGroups) {
        group.buffer = object::Pointer<VertexBuffer>::adopt(
            VertexBuffer::create(group.format, group.vertexCount, VertexBuffer::USAGE_STATIC));
        void* memory = group.buffer ? group.buffer->lock(GL_WRITE_ONLY_ARB) : nullptr;
        // Zeros where a tuple's shorter buffers have no vertices.
        if (memory)
            std::memset(memory, 0, std::size_t(group.vertexCount) * group.format.stride());
        filled = filled && memory;
    }
    std::vector<Span> spans;
    for (const auto& entry : vertexMap) {
        if (!filled)
            break;
        VertexBuffer* merged = entry.value.group->buffer.get();
        auto* to = static_cast<std::uint8_t*>(merged->lock(GL_WRITE_ONLY_ARB));
        spans.clear();
        bool complete = true;
        combinedLayout(entry.key, complete, &spans);
        const std::uint32_t stride = merged->stride();
        const std::uint32_t reserved = largestVertexCount(entry.key);
        for (std::uint32_t slot = 0; filled && slot < SLOTS; ++slot) {
            VertexBuffer* source = entry.key[slot];
            if (!source)
                continue;
            const auto* from = static_cast<const std::uint8_t*>(source->lock(GL_READ_ONLY_ARB));
            filled = to && from;
            const std::uint32_t vertices = std::min(reserved, source->vertexCount());
            for (std::uint32_t v = 0; filled && v < vertices; ++v) {
                const std::uint8_t* vertex = from + std::size_t(v) * source->stride();
                std::uint8_t* target = to + std::size_t(entry.value.offset + v) * stride;
                for (const Span& span : spans)
                    if (span.slot == slot)
                        std::memcpy(target + span.target, vertex + span.source, span.size);
            }
            source->unlock();
        }
    }
    for (VbInfo& group : vertexGroups)
        if (group.buffer)
            group.buffer->unlock();
    return filled;
}

void MeshMerger::rewriteMeshes() {
    for (Mesh* mesh : meshes) {
        auto& vertexMesh = static_cast<VertexMesh&>(*mesh);
        const VertexPlace vertices = lookupVertexBuffers(streamsOf(vertexMesh));
        if (!vertices.buffer)
            continue;
        if (typeid(*mesh) == typeid(IndexMesh)) {
            auto& indexMesh = static_cast<IndexMesh&>(*mesh);
            const IndexPlace indices = lookupIndexBuffer(indexMesh.getIndexBuffer());
            if (!indices.buffer || indices.vertexOffset != vertices.offset)
                continue; // its indices would name other vertices: left as it is
            indexMesh.setIndexBuffer(indices.buffer);
            shiftRange(indexMesh, indices.offset, indices.count, true);
        } else {
            shiftRange(vertexMesh, vertices.offset, vertices.count, false);
        }
        vertexMesh.clearVertexBuffers();
        vertexMesh.setVertexBuffer(vertices.buffer, 0);
    }
}

MeshMerger::VertexPlace MeshMerger::lookupVertexBuffers(const BufferTuple& tuple) const {
    const auto* found = vertexMap.find(tuple);
    if (!found)
        return {};
    const VbMapping& mapping = found->value;
    return {mapping.group->buffer.get(), mapping.offset, mapping.count};
}

MeshMerger::IndexPlace MeshMerger::lookupIndexBuffer(IndexBuffer* indexBuffer) const {
    const auto* found = indexBuffer ? indexMap.find(indexBuffer) : nullptr;
    if (!found)
        return {};
    const IbMapping& mapping = found->value;
    return {mapping.group->buffer.get(), mapping.offset, mapping.count, mapping.vertexOffset};
}

types::String MeshMerger::getClassName() const {
    return object::classPath(Object::getClassName(), ":MeshMerger");
}

} // namespace orvane::graphics3d
