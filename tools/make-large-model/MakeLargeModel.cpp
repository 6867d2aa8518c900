// Writes a large 3DS model and its textures for measuring scale:
//   make-large-model DIRECTORY [FACES [OBJECTS [MATERIALS]]]
// (defaults 2,000,000 faces in 40 objects with 20 textured materials) as DIRECTORY/large.3ds
// beside TEX00.TGA, TEX01.TGA, ...

#include "tests/support/LargeModel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

bool save(const std::filesystem::path& path, const orvane::test::Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

} // namespace

constexpr const char* USAGE = "usage: make-large-model DIRECTORY [FACES [OBJECTS [MATERIALS]]]\n";

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    // An option is never a directory to fill.
    if (argc < 2 || argc > 5 || argv[1][0] == '-') {
        std::fputs(USAGE, stderr);
        return 2;
    }
    const long faces = argc > 2 ? std::atol(argv[2]) : 2000000;
    const int objects = argc > 3 ? std::atoi(argv[3]) : 40;
    const int materials = argc > 4 ? std::atoi(argv[4]) : 20;
    // Each object takes an equal share, the first ones a face more where it does not divide.
    if (objects < 1 || materials < 1 || faces < objects ||
        (faces + objects - 1) / objects > 65534) {
        std::fprintf(stderr, "make-large-model: at least one object and material, a face an "
                             "object, and at most 65,534 faces an object\n");
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    std::filesystem::create_directories(directory);
    bool written =
        save(directory / "large.3ds", orvane::test::largeModel(faces, objects, materials));
    for (int m = 0; m < materials; ++m)
        written = written && save(directory / orvane::test::largeModelTextureName(m),
                                  orvane::test::largeModelTexture(m));
    if (!written) {
        std::fprintf(stderr, "make-large-model: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
