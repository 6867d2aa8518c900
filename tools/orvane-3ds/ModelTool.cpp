#include "tools/orvane-3ds/ModelTool.h"

#include "orvane/graphics3d/Translator3DS.h"
#include "orvane/io/SystemFile.h"
#include "orvane/object/Exception.h"

#include <cstring>
#include <new>
#include <string>

namespace orvane::tools {

namespace {

constexpr const char* usage = "usage: orvane-3ds dump FILE\n";

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

} // namespace

int runModelTool(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    if (argc == 3 && std::strcmp(argv[1], "dump") == 0)
        return dump(argv[2], out, err);
    if (argc >= 2 && std::strcmp(argv[1], "info") == 0) {
        std::fprintf(err, "orvane-3ds: info needs models built from 3DS files, which this "
                          "build cannot make yet; dump works\n");
        return 2;
    }
    std::fputs(usage, err);
    return 2;
}

} // namespace orvane::tools
