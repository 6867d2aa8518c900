#include "orvane/graphics3d/mesh/PositionArray.h"

#include "orvane/graphics3d/mesh/TypeCode.h"

#include <algorithm>
#include <cstring>

namespace orvane::graphics3d {
namespace {

template <class T>
T scalarAt(const std::uint8_t* bytes) noexcept {
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

float floatAt(const std::uint8_t* bytes, std::uint32_t kind) noexcept {
    switch (kind) {
    case TypeCode::BYTE:
        return float(scalarAt<std::int8_t>(bytes));
    case TypeCode::SHORT:
        return float(scalarAt<std::int16_t>(bytes));
    case TypeCode::INT:
        return float(scalarAt<std::int32_t>(bytes));
    case TypeCode::UNSIGNED_BYTE:
        return float(scalarAt<std::uint8_t>(bytes));
    case TypeCode::UNSIGNED_SHORT:
        return float(scalarAt<std::uint16_t>(bytes));
    case TypeCode::UNSIGNED_INT:
        return float(scalarAt<std::uint32_t>(bytes));
    case TypeCode::FLOAT:
        return scalarAt<float>(bytes);
    default:
        return float(scalarAt<double>(bytes));
    }
}

// min and max start at the first vertex; comparisons are made in the component's type.
template <class T>
void boxOf(const std::uint8_t* vertex, std::uint32_t count, std::uint32_t stride,
           BoundingVolume& volume) noexcept {
    T low[3], high[3];
    for (int axis = 0; axis < 3; ++axis)
        low[axis] = high[axis] = scalarAt<T>(vertex + axis * sizeof(T));
    for (std::uint32_t index = 1; index < count; ++index) {
        vertex += stride;
        for (int axis = 0; axis < 3; ++axis) {
            const T value = scalarAt<T>(vertex + axis * sizeof(T));
            if (value < low[axis])
                low[axis] = value;
            else if (value > high[axis])
                high[axis] = value;
        }
    }
    volume.setBox({{float(low[0]), float(low[1]), float(low[2])}},
                  {{float(high[0]), float(high[1]), float(high[2])}});
}

// Releases the buffer's lock however the reading ends.
class ReadLock {
public:
    explicit ReadLock(VertexBuffer& buffer)
        : buffer(buffer)
        , memory(static_cast<const std::uint8_t*>(buffer.lock(GL_READ_ONLY_ARB))) {}
    ~ReadLock() { buffer.unlock(); }
    ReadLock(const ReadLock&) = delete;
    ReadLock& operator=(const ReadLock&) = delete;

    VertexBuffer& buffer;
    const std::uint8_t* const memory;
};

} // namespace

PositionArray PositionArray::find(const object::Pointer<VertexBuffer>* buffers,
                                  int count) noexcept {
    PositionArray found;
    for (int stream = 0; stream < count; ++stream) {
        VertexBuffer* buffer = buffers[stream].get();
        if (!buffer || !(buffer->arrayMask() & VertexFormat::ARRAY_POSITION))
            continue;
        for (int index = 0; index < VertexFormat::MAX_COMPONENTS; ++index) {
            const VertexFormat::Component& entry = buffer->format().component(index);
            if ((entry.mask & VertexFormat::ARRAY_POSITION) && entry.type != 0) {
                found.buffer = buffer;
                found.component = &entry;
                return found;
            }
        }
        return found;
    }
    return found;
}

bool PositionArray::fits(std::uint32_t scalars) const noexcept {
    return std::uint64_t(component->offset) + scalars * TypeCode::scalarSize(component->type) <=
           buffer->stride();
}

bool PositionArray::bounds(std::uint32_t first, std::uint32_t end, BoundingVolume& volume) const {
    end = std::min(end, buffer->vertexCount());
    if (first >= end)
        return false;
    const std::uint32_t type = component->type;
    switch (type) {
    case 0x00030301:
    case 0x00040401:
    case 0x000C0304:
    case 0x00100404:
    case 0x000C0324:
    case 0x00100424:
    case 0x00180328:
    case 0x00200428:
        break;
    default:
        return false;
    }
    if (!fits(3))
        return false;
    ReadLock lock(*buffer);
    if (!lock.memory)
        return false;
    const std::uint32_t stride = buffer->stride();
    const std::uint8_t* vertex = lock.memory + std::uint64_t(first) * stride + component->offset;
    const std::uint32_t count = end - first;
    switch (TypeCode::kind(type)) {
    case TypeCode::BYTE:
        boxOf<std::int8_t>(vertex, count, stride, volume);
        break;
    case TypeCode::INT:
        boxOf<std::int32_t>(vertex, count, stride, volume);
        break;
    case TypeCode::FLOAT:
        boxOf<float>(vertex, count, stride, volume);
        break;
    default:
        boxOf<double>(vertex, count, stride, volume);
        break;
    }
    return true;
}

bool PositionArray::copy(std::uint32_t first, std::uint32_t end,
                         geometry::TriangleMesh3<float>& mesh) const {
    const std::uint32_t kind = TypeCode::kind(component->type);
    const std::uint32_t scalars = std::min<std::uint32_t>(TypeCode::count(component->type), 3);
    if (TypeCode::glType(component->type) == 0 || scalars == 0 || !fits(scalars))
        return false;
    ReadLock lock(*buffer);
    if (!lock.memory)
        return false;
    end = std::min(end, buffer->vertexCount());
    if (first >= end)
        return true;
    const std::uint32_t count = end - first;
    const std::uint32_t stride = buffer->stride();
    const std::uint32_t scalarBytes = TypeCode::scalarSize(component->type);
    const std::uint32_t start = mesh.vertexCount();
    mesh.setVertexCount(start + count);
    const std::uint8_t* vertex = lock.memory + std::uint64_t(first) * stride + component->offset;
    for (std::uint32_t index = 0; index < count; ++index, vertex += stride) {
        math::Vector<float, 3> point{{0, 0, 0}};
        for (std::uint32_t axis = 0; axis < scalars; ++axis)
            point[axis] = floatAt(vertex + axis * scalarBytes, kind);
        mesh.setVertex(start + index, point);
    }
    return true;
}

} // namespace orvane::graphics3d
