#pragma once

#include <cstdint>
#include <string>

namespace orvane::graphics3d {

// Watches Translator3DS walk a file: every chunk header it reads, and what it took from
// the chunks it knows. Diagnostic tools print the tree from it.
class ChunkListener3DS {
public:
    virtual ~ChunkListener3DS() = default;
    // A chunk header was read: its id, its length field, and its depth (0 for the main
    // chunk, 1 for the chunks inside it, ...).
    virtual void chunk(std::uint16_t id, std::int32_t length, int depth) = 0;
    // What the reader decoded from the latest chunk: a count, a name, a value.
    virtual void detail(const std::string& text) = 0;
};

} // namespace orvane::graphics3d
