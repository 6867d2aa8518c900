#include "orvane/native/Process.h"

#include <climits>
#include <filesystem>
#include <malloc.h>
#include <system_error>

namespace orvane::native {

std::string programDirectory() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.parent_path().string();
}

void keepLargeBlocksOnTheHeap(std::size_t largest) {
    const std::size_t limit = INT_MAX / 2; // mallopt takes an int
    const int threshold = int(largest < limit ? largest : limit);
    mallopt(M_MMAP_THRESHOLD, threshold);
    mallopt(M_TRIM_THRESHOLD, 2 * threshold);
}

} // namespace orvane::native
