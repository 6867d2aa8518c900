#pragma once

#include "orvane/io/File.h"

#include <cstdint>
#include <vector>

namespace orvane::io {

// A File kept in memory: the same contract as SystemFile without the disk, for decoding
// bytes that are already loaded (tests, fuzzing, benchmarks, embedded data). Readable and
// writable; the times are all 0. Sizes and positions stay within 0 .. 2^31 - 1.
class MemoryFile : public File {
public:
    MemoryFile() = default;
    // A file holding a copy of the given bytes, positioned at the start.
    MemoryFile(const void* data, std::size_t length);

    int write(const void* buffer, int count) override;
    int read(void* buffer, int count) override;
    // Raises IllegalPositionModeException for an unknown mode, and an IOException for a
    // position below 0 or beyond 2^31 - 1 (the position is then unchanged). Positions past
    // the end are allowed; a write there fills the gap with zeros.
    int seek(int offset, int mode) override;
    int position() override;
    bool rewind() override;
    bool flush() override;
    int size() override;
    int setSize(int length) override;
    bool isWritable() override;
    bool isReadable() override;
    system::Timestamp creationTime() override;
    system::Timestamp modificationTime() override;
    system::Timestamp accessTime() override;

    const std::vector<std::uint8_t>& contents() const noexcept { return bytes; }

    types::String getClassName() const override;

private:
    std::vector<std::uint8_t> bytes;
    int at = 0;
};

} // namespace orvane::io
