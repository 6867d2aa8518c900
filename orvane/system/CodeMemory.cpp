#include "orvane/system/CodeMemory.h"

#include "orvane/system/ProgramException.h"

#include <cstring>
#include <new>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace orvane::system {

namespace {
// `ret` on every x86 processor.
constexpr unsigned char returnInstruction = 0xC3;

std::size_t pageSize() noexcept {
    return static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}
} // namespace

CodeMemory::CodeMemory(std::size_t size) {
    const std::size_t page = pageSize();
    if (size > SIZE_MAX - page)
        throw std::bad_alloc();
    const std::size_t mapped = (size + page) / page * page; // at least one byte past the code
    void* memory =
        mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
    start = static_cast<unsigned char*>(memory);
    codeSize = size;
    mappedSize = mapped;
    std::memset(start, returnInstruction, mapped);
}

CodeMemory::CodeMemory(CodeMemory&& other) noexcept
    : start(std::exchange(other.start, nullptr))
    , codeSize(std::exchange(other.codeSize, 0))
    , mappedSize(std::exchange(other.mappedSize, 0))
    , sealed(std::exchange(other.sealed, false)) {}

CodeMemory& CodeMemory::operator=(CodeMemory&& other) noexcept {
    if (this != &other) {
        unmap();
        start = std::exchange(other.start, nullptr);
        codeSize = std::exchange(other.codeSize, 0);
        mappedSize = std::exchange(other.mappedSize, 0);
        sealed = std::exchange(other.sealed, false);
    }
    return *this;
}

CodeMemory::~CodeMemory() {
    unmap();
}

void CodeMemory::seal() {
    if (sealed || !start)
        return;
    if (mprotect(start, mappedSize, PROT_READ | PROT_EXEC) != 0)
        throw ProgramException("code memory cannot be made executable");
    sealed = true;
}

void CodeMemory::unmap() noexcept {
    if (start)
        munmap(start, mappedSize);
    start = nullptr;
    codeSize = mappedSize = 0;
    sealed = false;
}

} // namespace orvane::system
