// Replays fuzz inputs without libFuzzer: every file named on the command line, and every
// file in every directory named, goes once through LLVMFuzzerTestOneInput. Test builds
// link each fuzz target with this driver and run it over the target's seed corpus, so the
// sanitizer build checks every seed and every crash kept as a regression input.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    replay(entry.path());
                    ++replayed;
                }
            }
        } else if (std::filesystem::is_regular_file(path)) {
            replay(path);
            ++replayed;
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    return replayed > 0 ? 0 : 1; // an empty or missing corpus is a mistake, not a pass
}
