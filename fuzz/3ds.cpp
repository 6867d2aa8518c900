// Fuzz target for the 3DS reader: recognise and read one input held in memory, then lay
// out every mesh the way the model builder does. Malformed input may only end in
// TranslatorFormatException; the layouts are checked to stay inside their buffers.

#include "orvane/graphics3d/MeshLayout3DS.h"
#include "orvane/graphics3d/Translator3DS.h"
#include "orvane/io/MemoryFile.h"
#include "orvane/io/TranslatorException.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void layOut(const orvane::graphics3d::Mesh3DS& mesh) {
    const orvane::graphics3d::MeshLayout3DS layout(mesh);
    std::vector<std::uint8_t> vertices(std::size_t(layout.vertexCount()) * layout.vertexStride());
    layout.writeVertices(vertices.data());
    std::vector<std::uint16_t> indices(layout.indexCount());
    layout.writeIndices(indices.data());
    for (std::uint16_t index : indices)
        if (index >= layout.vertexCount())
            std::abort(); // an index the vertex buffer does not hold
    std::uint32_t end = 0;
    for (const auto& range : layout.ranges()) {
        if (range.first != end)
            std::abort();
        end += range.count;
    }
    if (end != layout.indexCount())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvane::io::MemoryFile file(data, size);
    orvane::graphics3d::Translator3DS translator;
    translator.identify(&file);
    if (file.position() != 0)
        std::abort(); // identify must put the file back
    orvane::graphics3d::Scene3DS scene;
    try {
        translator.read(file.getInputStream(), -1, scene);
    } catch (const orvane::io::TranslatorFormatException&) {
        return 0;
    }
    for (const auto& mesh : scene.meshes)
        if (mesh.isBuildable())
            layOut(mesh);
    return 0;
}
