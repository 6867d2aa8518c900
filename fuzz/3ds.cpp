// Fuzz target for the 3DS translator: recognise one input held in memory and build its
// model the way translate() does, without textures (no file is opened) and without an
// OpenGL context (the buffers are ordinary memory). Malformed input may only end in
// TranslatorFormatException; every mesh built must draw inside its buffers.

#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/model3ds/ModelBuilder3DS.h"
#include "orvane/graphics3d/model3ds/Translator3DS.h"
#include "orvane/io/MemoryFile.h"
#include "orvane/io/TranslatorException.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace orvane::graphics3d;

// The mesh's range lies in its index buffer and names only vertices its buffer holds.
void checkMesh(const IndexMesh& mesh) {
    const VertexBuffer* vertices = mesh.vertexBuffer(0);
    const IndexBuffer* indices = mesh.getIndexBuffer();
    // 32-bit indices only where a split made more vertices than 16 bits can name.
    const std::uint32_t size = indices ? indices->elementSize() : 0;
    if (!vertices || (size != 2 && size != 4) || mesh.getMode() != GL_TRIANGLES ||
        (size == 4) != (vertices->vertexCount() > 0xFFFF))
        std::abort();
    if (mesh.getFirst() > mesh.getEnd() || mesh.getEnd() > indices->indexCount() ||
        (mesh.getEnd() - mesh.getFirst()) % 3 != 0)
        std::abort();
    const auto* index16 = static_cast<const std::uint16_t*>(indices->data());
    const auto* index32 = static_cast<const std::uint32_t*>(indices->data());
    for (std::uint32_t i = mesh.getFirst(); i < mesh.getEnd(); ++i)
        if ((size == 2 ? index16[i] : index32[i]) >= vertices->vertexCount())
            std::abort();
    // Normals are unit vectors or the defined fallback, never NaN.
    const auto* bytes = static_cast<const std::uint8_t*>(vertices->data());
    for (std::uint32_t v = 0; v < vertices->vertexCount(); ++v) {
        const auto* normal = reinterpret_cast<const float*>(bytes + v * vertices->stride() + 12);
        if (std::isnan(normal[0]) || std::isnan(normal[1]) || std::isnan(normal[2]))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvane::io::MemoryFile file(data, size);
    Translator3DS translator;
    translator.identify(&file);
    if (file.position() != 0)
        std::abort(); // identify must put the file back
    ModelBuilder3DS builder(nullptr);
    Model* model = nullptr;
    try {
        model = translator.translate(file.getInputStream(), -1, builder);
    } catch (const orvane::io::TranslatorFormatException&) {
        return 0;
    }
    if (!model)
        return 0;
    auto* built = dynamic_cast<StaticModel*>(model);
    if (!built)
        std::abort();
    for (std::uint32_t m = 0; m < built->meshCount(); ++m) {
        const auto* mesh = dynamic_cast<const IndexMesh*>(built->mesh(m));
        if (!mesh)
            std::abort();
        checkMesh(*mesh);
    }
    model->release();
    return 0;
}
