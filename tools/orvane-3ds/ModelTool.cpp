#include "tools/orvane-3ds/ModelTool.h"
#include "tools/orvane-3ds/ObjExport.h"

#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/model3ds/Translator3DS.h"
#include "orvane/graphics3d/state/OffscreenContext.h"
#include "orvane/graphics3d/state/TextureManager.h"
#include "orvane/io/SystemFile.h"
#include "orvane/native/Display.h"
#include "orvane/object/Exception.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <new>
#include <set>
#include <string>
#include <vector>

namespace orvane::tools {

namespace {

constexpr const char* usage = "usage: orvane-3ds info [--no-textures | --textures DIR] FILE...\n"
                              "       orvane-3ds dump FILE\n"
                              "       orvane-3ds obj FILE OUT.obj [--textures DIR]\n";

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
            counts.indices += drawnRange(*indexed).count();
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

// ---- obj

struct ObjOptions {
    const char* file = nullptr;
    std::string out;
    const char* textureDirectory = nullptr; // null: the model file's directory
};

bool parseObj(int argc, const char* const* argv, ObjOptions& options) {
    if (argc != 4 && !(argc == 6 && std::strcmp(argv[4], "--textures") == 0))
        return false;
    options.file = argv[2];
    options.out = argv[3];
    if (argc == 6)
        options.textureDirectory = argv[5];
    return std::strncmp(options.file, "--", 2) != 0 && std::strncmp(argv[3], "--", 2) != 0;
}

// OUT.obj's materials file: the same name ending in .mtl.
std::string mtlPathOf(const std::string& objPath) {
    std::filesystem::path path(objPath);
    path.replace_extension(".mtl");
    return path.string();
}

// A file written whole or reported: closes it and answers whether every write got there.
bool finish(std::FILE* file) {
    const bool failed = std::ferror(file) != 0;
    return std::fclose(file) == 0 && !failed;
}

// map_Kd's path for a texture file name: the file the engine would read, relative to the
// MTL's directory when it lies below it, else absolute; a texture that is not there keeps
// the 3DS file's name.
std::function<std::string(const std::string&)>
textureMaps(const ObjOptions& options, const std::string& mtlPath, std::FILE* err) {
    auto factory = object::make<graphics3d::TextureFactory>();
    factory->setDirectory(options.textureDirectory ? options.textureDirectory
                                                   : directoryOf(options.file).c_str());
    const std::filesystem::path base = std::filesystem::absolute(mtlPath).parent_path();
    const std::string file = options.file;
    return [factory, base, file, err](const std::string& name) {
        const std::string found = factory->locate(name.c_str());
        if (found.empty()) {
            std::fprintf(err, "%s: texture \"%s\" not found; map_Kd names it as the file does\n",
                         file.c_str(), name.c_str());
            return name;
        }
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(found, error);
        const std::filesystem::path relative = std::filesystem::relative(absolute, base, error);
        const bool inside = !error && !relative.empty() && *relative.begin() != "..";
        return (inside ? relative : absolute).generic_string();
    };
}

int obj(const ObjOptions& options, std::FILE* out, std::FILE* err) {
    const std::string mtlPath = mtlPathOf(options.out);
    try {
        // No texture is loaded: the buffers stay in ordinary memory and no OpenGL context
        // is needed.
        graphics3d::ModelBuilder3DS builder(nullptr);
        auto file = object::Pointer<io::SystemFile>::adopt(
            io::SystemFile::open(options.file, io::SystemFile::MODE_READ));
        graphics3d::Translator3DS translator;
        auto model = object::Pointer<graphics3d::Model>::adopt(
            translator.translate(file->getInputStream(), -1, builder));
        if (!model) {
            std::fprintf(err, "%s: holds no 3D-editor chunk: no model to write\n", options.file);
            return 1;
        }
        std::FILE* objFile = std::fopen(options.out.c_str(), "w");
        std::FILE* mtlFile = objFile ? std::fopen(mtlPath.c_str(), "w") : nullptr;
        if (!mtlFile) {
            std::fprintf(err, "%s: cannot write: %s\n",
                         objFile ? mtlPath.c_str() : options.out.c_str(), std::strerror(errno));
            if (objFile)
                std::fclose(objFile);
            return 1;
        }
        const ObjCounts counts =
            writeObj(static_cast<const graphics3d::StaticModel&>(*model), builder,
                     std::filesystem::path(mtlPath).filename().string(),
                     textureMaps(options, mtlPath, err), objFile, mtlFile);
        const bool objWritten = finish(objFile), mtlWritten = finish(mtlFile);
        if (!objWritten || !mtlWritten) {
            std::fprintf(err, "%s: cannot write: %s\n",
                         objWritten ? mtlPath.c_str() : options.out.c_str(), std::strerror(errno));
            return 1;
        }
        std::fprintf(out, "wrote %s (%llu vertices, %llu faces) and %s (%zu materials)\n",
                     options.out.c_str(), static_cast<unsigned long long>(counts.vertices),
                     static_cast<unsigned long long>(counts.faces), mtlPath.c_str(),
                     counts.materials);
        return 0;
    } catch (const object::Exception& e) {
        std::fprintf(err, "%s: %s: %s\n", options.file, e.getName().cString(),
                     e.getMessage().cString());
    } catch (const std::bad_alloc&) {
        std::fprintf(err, "%s: out of memory\n", options.file);
    }
    return 1;
}

} // namespace

int runModelTool(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    if (argc == 3 && std::strcmp(argv[1], "dump") == 0)
        return dump(argv[2], out, err);
    InfoOptions options;
    if (argc >= 2 && std::strcmp(argv[1], "info") == 0 && parseInfo(argc, argv, options))
        return info(options, out, err);
    ObjOptions objOptions;
    if (argc >= 2 && std::strcmp(argv[1], "obj") == 0 && parseObj(argc, argv, objOptions))
        return obj(objOptions, out, err);
    std::fputs(usage, err);
    return 2;
}

} // namespace orvane::tools
