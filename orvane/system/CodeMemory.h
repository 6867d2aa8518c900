#pragma once

#include <cstddef>

namespace orvane::system {

// Memory for machine code: mapped read-write while it is filled, then sealed read-execute
// (never both at once), unmapped on destruction.
//
// The mapping always has room for the code and at least one byte more; everything past
// the code is filled with return instructions, so code that runs off its end returns.
class CodeMemory {
public:
    CodeMemory() noexcept = default;
    // Maps room for size bytes of code, writable. Throws std::bad_alloc when no memory
    // can be mapped.
    explicit CodeMemory(std::size_t size);
    CodeMemory(CodeMemory&& other) noexcept;
    CodeMemory& operator=(CodeMemory&& other) noexcept;
    CodeMemory(const CodeMemory&) = delete;
    CodeMemory& operator=(const CodeMemory&) = delete;
    ~CodeMemory();

    // Where to write the code; only until seal().
    unsigned char* writable() noexcept { return sealed ? nullptr : start; }
    const unsigned char* data() const noexcept { return start; }
    std::size_t size() const noexcept { return codeSize; }
    bool isSealed() const noexcept { return sealed; }

    // Makes the memory read-execute. Throws ProgramException when the system refuses.
    void seal();

private:
    void unmap() noexcept;

    unsigned char* start = nullptr;
    std::size_t codeSize = 0;
    std::size_t mappedSize = 0;
    bool sealed = false;
};

} // namespace orvane::system
