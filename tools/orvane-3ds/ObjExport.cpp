#include "tools/orvane-3ds/ObjExport.h"

#include "orvane/graphics3d/state/ColourMaterial.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <map>
#include <set>
#include <vector>

namespace orvane::tools {

using namespace graphics3d;

DrawnRange drawnRange(const IndexMesh& mesh) {
    const IndexBuffer* buffer = mesh.getIndexBuffer();
    if (!buffer)
        return {};
    const std::uint32_t count = buffer->indexCount();
    if (mesh.getFirst() == mesh.getEnd())
        return {0, count};
    const std::uint32_t end = std::min(mesh.getEnd(), count);
    return end > mesh.getFirst() ? DrawnRange{mesh.getFirst(), end} : DrawnRange{};
}

namespace {

constexpr int POSITION_SLOT = std::countr_zero(VertexFormat::ARRAY_POSITION);
constexpr int NORMAL_SLOT = std::countr_zero(VertexFormat::ARRAY_NORMAL);
constexpr int TEXCOORD_SLOT = std::countr_zero(VertexFormat::ARRAY_TEXCOORD0);

// A buffer locked for reading while it is written out; null data when it cannot be.
template <class Buffer>
class ReadLock {
public:
    explicit ReadLock(Buffer& buffer)
        : buffer(buffer)
        , data(static_cast<const std::uint8_t*>(buffer.lock(GL_READ_ONLY_ARB))) {}
    ~ReadLock() { buffer.unlock(); }
    ReadLock(const ReadLock&) = delete;
    ReadLock& operator=(const ReadLock&) = delete;

    Buffer& buffer;
    const std::uint8_t* const data;
};

// Names fit for OBJ and MTL, each given once.
class Names {
public:
    std::string unique(const std::string& wanted) {
        std::string name = wanted.empty() ? "unnamed" : wanted;
        for (char& c : name)
            if (std::isspace(static_cast<unsigned char>(c)) || c == '#')
                c = '_';
        std::string candidate = name;
        for (int n = 2; !used.insert(candidate).second; ++n)
            candidate = name + "-" + std::to_string(n);
        return candidate;
    }

private:
    std::set<std::string> used;
};

// Where one vertex buffer's lines start (1-based, as OBJ counts).
struct Written {
    std::uint64_t vertex = 0;   // of its v and vn lines
    std::uint64_t texCoord = 0; // of its vt lines; 0: it has none
};

class ObjWriter {
public:
    ObjWriter(const ModelBuilder3DS& builder,
              const std::function<std::string(const std::string&)>& mapOf, std::FILE* obj,
              std::FILE* mtl)
        : builder(builder)
        , mapOf(mapOf)
        , obj(obj)
        , mtl(mtl) {}

    void writeMesh(const IndexMesh& mesh) {
        VertexBuffer* vertices = mesh.vertexBuffer(0);
        IndexBuffer* indices = mesh.getIndexBuffer();
        if (!vertices || !indices || !vertices->slot(POSITION_SLOT).count)
            return;
        const Written at = linesOf(*vertices);
        std::fprintf(obj, "g %s\n", groups.unique(mesh.name.cString()).c_str());
        if (const Appearance* appearance = mesh.getAppearance())
            std::fprintf(obj, "usemtl %s\n", materialOf(*appearance).c_str());
        writeFaces(mesh, *indices, vertices->vertexCount(), at);
    }

    ObjCounts counts;

private:
    // The buffer's lines, written when it is first met.
    Written linesOf(VertexBuffer& vertices) {
        const auto known = written.find(&vertices);
        if (known != written.end())
            return known->second;
        Written at{nextVertex, 0};
        const ReadLock lock(vertices);
        const std::uint32_t count = lock.data ? vertices.vertexCount() : 0;
        writeArray(lock.data, vertices, POSITION_SLOT, count, "v");
        if (vertices.slot(NORMAL_SLOT).count == 3)
            writeArray(lock.data, vertices, NORMAL_SLOT, count, "vn");
        if (vertices.slot(TEXCOORD_SLOT).count == 2 && count > 0) {
            at.texCoord = nextTexCoord;
            for (std::uint32_t v = 0; v < count; ++v) {
                const float* uv = floatsAt(lock.data, vertices, TEXCOORD_SLOT, v);
                std::fprintf(obj, "vt %.9g %.9g\n", double(uv[0]), 1.0 - double(uv[1]));
            }
            nextTexCoord += count;
        }
        nextVertex += count;
        counts.vertices += count;
        written.emplace(&vertices, at);
        return at;
    }

    static const float* floatsAt(const std::uint8_t* data, const VertexBuffer& vertices, int slot,
                                 std::uint32_t vertex) {
        return reinterpret_cast<const float*>(data + std::size_t(vertex) * vertices.stride() +
                                              vertices.slot(slot).offset);
    }

    void writeArray(const std::uint8_t* data, const VertexBuffer& vertices, int slot,
                    std::uint32_t count, const char* keyword) {
        for (std::uint32_t v = 0; v < count; ++v) {
            const float* xyz = floatsAt(data, vertices, slot, v);
            std::fprintf(obj, "%s %.9g %.9g %.9g\n", keyword, double(xyz[0]), double(xyz[1]),
                         double(xyz[2]));
        }
    }

    void writeFaces(const IndexMesh& mesh, IndexBuffer& indices, std::uint32_t vertexCount,
                    const Written& at) {
        const DrawnRange range = drawnRange(mesh);
        const ReadLock lock(indices);
        if (!lock.data)
            return;
        const std::uint32_t size = indices.elementSize();
        const auto index = [&](std::uint32_t i) -> std::uint32_t {
            const std::uint8_t* p = lock.data + std::size_t(i) * size;
            if (size == 1)
                return *p;
            if (size == 2)
                return *reinterpret_cast<const std::uint16_t*>(p);
            return *reinterpret_cast<const std::uint32_t*>(p);
        };
        for (std::uint32_t i = range.first; i + 3 <= range.end; i += 3) {
            const std::uint32_t corners[3] = {index(i), index(i + 1), index(i + 2)};
            if (corners[0] == corners[1] && corners[1] == corners[2])
                continue; // a face the layout draws as nothing
            if (std::max({corners[0], corners[1], corners[2]}) >= vertexCount)
                continue;
            std::fputc('f', obj);
            for (const std::uint32_t corner : corners) {
                const unsigned long long v = at.vertex + corner;
                const unsigned long long t = at.texCoord + corner;
                if (at.texCoord)
                    std::fprintf(obj, " %llu/%llu/%llu", v, t, v);
                else
                    std::fprintf(obj, " %llu//%llu", v, v);
            }
            std::fputc('\n', obj);
            ++counts.faces;
        }
    }

    // The appearance's MTL name, its entry written when it is first used.
    std::string materialOf(const Appearance& appearance) {
        const auto known = materials.find(&appearance);
        if (known != materials.end())
            return known->second;
        const Material3DS* described = describedOf(appearance);
        const std::string name = materialNames.unique(
            described ? described->name
                      : (&appearance == builder.defaultAppearance() ? "default"
                                                                    : appearance.name.cString()));
        materials.emplace(&appearance, name);
        writeMaterial(name, appearance, described);
        ++counts.materials;
        return name;
    }

    const Material3DS* describedOf(const Appearance& appearance) const {
        for (std::size_t i = 0; i < builder.materials().size(); ++i)
            if (builder.appearance(i) == &appearance)
                return &builder.materials()[i];
        return nullptr;
    }

    void writeMaterial(const std::string& name, const Appearance& appearance,
                       const Material3DS* described) {
        std::fprintf(mtl, "newmtl %s\n", name.c_str());
        const auto* colours = dynamic_cast<const ColourMaterial*>(appearance.material.get());
        if (colours) {
            writeColour("Ka", colours->ambient);
            writeColour("Kd", colours->diffuse);
            writeColour("Ks", colours->specular);
            std::fprintf(mtl, "Ns %.9g\n", double(colours->shininess));
        }
        const bool blended = appearance.shader && appearance.shader->blended;
        std::fprintf(mtl, "d %.9g\n", blended && colours ? double(colours->diffuse[3]) : 1.0);
        if (described && described->textured && !described->textureName.empty()) {
            const std::string map = mapOf(described->textureName);
            if (!map.empty())
                std::fprintf(mtl, "map_Kd %s\n", map.c_str());
        }
        std::fputc('\n', mtl);
    }

    void writeColour(const char* keyword, const float (&rgba)[4]) {
        std::fprintf(mtl, "%s %.9g %.9g %.9g\n", keyword, double(rgba[0]), double(rgba[1]),
                     double(rgba[2]));
    }

    const ModelBuilder3DS& builder;
    const std::function<std::string(const std::string&)>& mapOf;
    std::FILE* obj;
    std::FILE* mtl;
    std::map<const VertexBuffer*, Written> written;
    std::map<const Appearance*, std::string> materials;
    Names groups, materialNames;
    std::uint64_t nextVertex = 1;
    std::uint64_t nextTexCoord = 1;
};

} // namespace

ObjCounts writeObj(const StaticModel& model, const ModelBuilder3DS& builder,
                   const std::string& mtlName,
                   const std::function<std::string(const std::string&)>& mapOf, std::FILE* obj,
                   std::FILE* mtl) {
    std::fprintf(obj, "# written by orvane-3ds\nmtllib %s\n", mtlName.c_str());
    std::fprintf(mtl, "# written by orvane-3ds\n\n");
    ObjWriter writer(builder, mapOf, obj, mtl);
    for (std::uint32_t m = 0; m < model.meshCount(); ++m)
        if (const auto* mesh = dynamic_cast<const IndexMesh*>(model.mesh(m)))
            writer.writeMesh(*mesh);
    return writer.counts;
}

} // namespace orvane::tools
