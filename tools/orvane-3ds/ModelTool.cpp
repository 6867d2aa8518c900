#include "tools/orvane-3ds/ModelTool.h"

#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/model3ds/Translator3DS.h"
#include "orvane/graphics3d/state/OffscreenContext.h"
#include "orvane/graphics3d/state/TextureManager.h"
#include "orvane/io/SystemFile.h"
#include "orvane/native/Display.h"
#include "orvane/object/Exception.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <set>
#include <string>
#include <vector>

namespace orvane::tools {

namespace {

constexpr const char* usage = "usage: orvane-3ds info [--no-textures | --textures DIR] FILE...\n"
                              "       orvane-3ds dump FILE\n";

// Prints one line per chunk; details of a chunk arrive after its header and join its line.
class TreePrinter : public graphics3d::ChunkListener3DS {
public:
    explicit TreePrinter(std::FILE* out)
        : out(out) {}
    ~TreePrinter() override { flush(); }

    void chunk(std::uint16_t id, std::int32_t length, int depth) override {
        flush();
        char head[64];
        std::snprintf(head, sizeof head, "%*s%04X length %d depth %d", 2 * depth, "", unsigned(id),
                      int(length), depth);
        line = head;
    }
    void detail(const std::string& text) override { line += "  " + text; }

    void flush() {
        if (!line.empty())
            std::fprintf(out, "%s\n", line.c_str());
        line.clear();
    }

private:
    std::FILE* out;
    std::string line;
};

void summarise(std::FILE* out, const graphics3d::Scene3DS& scene) {
    std::uint64_t vertices = 0, faces = 0;
    for (const graphics3d::Mesh3DS& mesh : scene.meshes) {
        vertices += mesh.vertexCount;
        faces += mesh.faceCount;
    }
    std::fprintf(out, "editors %d materials %zu meshes %zu vertices %llu faces %llu\n",
                 scene.editors, scene.materials.size(), scene.meshes.size(),
                 static_cast<unsigned long long>(vertices), static_cast<unsigned long long>(faces));
}

int dump(const char* name, std::FILE* out, std::FILE* err) {
    try {
        auto file = object::Pointer<io::SystemFile>::adopt(
            io::SystemFile::open(name, io::SystemFile::MODE_READ));
        graphics3d::Translator3DS translator;
        graphics3d::Scene3DS scene;
        {
            TreePrinter printer(out);
            translator.read(file->getInputStream(), -1, scene, &printer);
        }
        summarise(out, scene);
        return 0;
    } catch (const object::Exception& e) {
        std::fflush(out);
        std::fprintf(err, "%s: %s: %s\n", name, e.getName().cString(), e.getMessage().cString());
    } catch (const std::bad_alloc&) {
        std::fprintf(err, "%s: out of memory\n", name);
    }
    return 1;
}

// ---- info

struct InfoOptions {
    bool loadTextures = true;
    const char* textureDirectory = nullptr; // null: the model file's directory
    std::vector<const char*> files;
};

// What info counts of one model.
struct ModelCounts {
    std::size_t meshes = 0;
    std::size_t vertexBuffers = 0;
    std::uint64_t vertices = 0;
    std::uint64_t indices = 0;
    std::size_t appearances = 0;
    std::size_t textures = 0;
    graphics3d::BoundingVolume bounds;
};

// The indices an index mesh draws: its range cut at the buffer's end, or the whole
// buffer for an empty range.
std::uint64_t drawnIndices(const graphics3d::IndexMesh& mesh) {
    const graphics3d::IndexBuffer* buffer = mesh.getIndexBuffer();
    if (!buffer)
        return 0;
    const std::uint32_t count = buffer->indexCount();
    if (mesh.getFirst() == mesh.getEnd())
        return count;
    const std::uint32_t end = std::min(mesh.getEnd(), count);
    return end > mesh.getFirst() ? end - mesh.getFirst() : 0;
}

ModelCounts count(const graphics3d::StaticModel& model, const graphics3d::ModelBuilder3DS& builder,
                  bool texturesLoaded) {
    ModelCounts counts;
    counts.meshes = model.meshCount();
    counts.bounds = model.getBounds();
    std::set<const graphics3d::VertexBuffer*> vertexBuffers;
    std::set<const graphics3d::Appearance*> appearances;
    for (std::uint32_t m = 0; m < model.meshCount(); ++m) {
        const auto* mesh = dynamic_cast<const graphics3d::VertexMesh*>(model.mesh(m));
        if (!mesh)
            continue;
        for (int stream = 0; stream < graphics3d::VertexMesh::STREAMS; ++stream)
            if (const graphics3d::VertexBuffer* buffer = mesh->vertexBuffer(stream))
                if (vertexBuffers.insert(buffer).second)
                    counts.vertices += buffer->vertexCount();
        if (const auto* indexed = dynamic_cast<const graphics3d::IndexMesh*>(mesh))
            counts.indices += drawnIndices(*indexed);
        if (mesh->getAppearance())
            appearances.insert(mesh->getAppearance());
    }
    counts.vertexBuffers = vertexBuffers.size();
    counts.appearances = appearances.size();
    if (texturesLoaded) {
        std::set<const graphics3d::Texture*> textures;
        for (const graphics3d::Appearance* appearance : appearances)
            for (int unit = 0; unit < graphics3d::Appearance::UNITS; ++unit)
                if (appearance->texture(unit))
                    textures.insert(appearance->texture(unit));
        counts.textures = textures.size();
    } else {
        // No texture was loaded: the file names the used appearances' materials map.
        std::set<std::string> names;
        for (std::size_t i = 0; i < builder.materials().size(); ++i)
            if (builder.materials()[i].textured && appearances.count(builder.appearance(i)))
                names.insert(builder.materials()[i].textureName);
        counts.textures = names.size();
    }
    return counts;
}

void printCounts(std::FILE* out, const ModelCounts& counts) {
    std::fprintf(out, "meshes %zu\nvertex-buffers %zu\nvertices %llu\nindices %llu\n",
                 counts.meshes, counts.vertexBuffers,
                 static_cast<unsigned long long>(counts.vertices),
                 static_cast<unsigned long long>(counts.indices));
    std::fprintf(out, "appearances %zu\ntextures %zu\n", counts.appearances, counts.textures);
    const graphics3d::BoundingVolume& b = counts.bounds;
    if (b.isEmpty())
        std::fprintf(out, "bounds empty\n");
    else
        std::fprintf(out, "bounds %.6g %.6g %.6g %.6g %.6g %.6g\n", double(b.minimum[0]),
                     double(b.minimum[1]), double(b.minimum[2]), double(b.maximum[0]),
                     double(b.maximum[1]), double(b.maximum[2]));
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Builds one file's model and reports it; false when the file failed.
bool info(const char* path, const InfoOptions& options, std::FILE* out) {
    std::fprintf(out, "file %s\n", path);
    try {
        object::Pointer<graphics3d::TextureManager> textures;
        if (options.loadTextures) {
            textures = object::make<graphics3d::TextureManager>();
            textures->getFactory().setDirectory(
                options.textureDirectory ? options.textureDirectory : directoryOf(path).c_str());
        }
        graphics3d::ModelBuilder3DS builder(textures.get());
        auto file = object::Pointer<io::SystemFile>::adopt(
            io::SystemFile::open(path, io::SystemFile::MODE_READ));
        graphics3d::Translator3DS translator;
        auto model = object::Pointer<graphics3d::Model>::adopt(
            translator.translate(file->getInputStream(), -1, builder));
        if (!model) {
            std::fprintf(out, "status null\n");
            return true;
        }
        std::fprintf(out, "status ok\n");
        printCounts(out, count(static_cast<const graphics3d::StaticModel&>(*model), builder,
                               options.loadTextures));
        return true;
    } catch (const object::Exception& e) {
        std::fprintf(out, "status %s: %s\n", e.getName().cString(), e.getMessage().cString());
    } catch (const std::bad_alloc&) {
        std::fprintf(out, "status TranslatorMemoryException: out of memory\n");
    }
    return false;
}

bool parseInfo(int argc, const char* const* argv, InfoOptions& options) {
    int at = 2;
    if (at < argc && std::strcmp(argv[at], "--no-textures") == 0) {
        options.loadTextures = false;
        ++at;
    } else if (at < argc && std::strcmp(argv[at], "--textures") == 0) {
        if (++at == argc)
            return false;
        options.textureDirectory = argv[at++];
    }
    for (; at < argc; ++at) {
        if (std::strncmp(argv[at], "--", 2) == 0)
            return false;
        options.files.push_back(argv[at]);
    }
    return !options.files.empty();
}

int info(const InfoOptions& options, std::FILE* out, std::FILE* err) {
    // Textures are OpenGL objects: they need a context, which lives until every model and
    // texture made in it is gone.
    object::Pointer<graphics3d::OffscreenContext> context;
    if (options.loadTextures) {
        context = object::Pointer<graphics3d::OffscreenContext>::adopt(
            graphics3d::OffscreenContext::create(1, 1));
        if (!context) {
            std::fprintf(err,
                         "orvane-3ds: no offscreen OpenGL context to load textures in (%s); "
                         "--no-textures needs none\n",
                         native::lastError().c_str());
            return 2;
        }
    }
    bool failed = false;
    for (const char* path : options.files)
        failed |= !info(path, options, out);
    return failed ? 1 : 0;
}

} // namespace

int runModelTool(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    if (argc == 3 && std::strcmp(argv[1], "dump") == 0)
        return dump(argv[2], out, err);
    InfoOptions options;
    if (argc >= 2 && std::strcmp(argv[1], "info") == 0 && parseInfo(argc, argv, options))
        return info(options, out, err);
    std::fputs(usage, err);
    return 2;
}

} // namespace orvane::tools
