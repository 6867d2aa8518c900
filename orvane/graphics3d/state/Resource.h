#pragma once

#include "orvane/object/Object.h"
#include "orvane/types/String.h"

#include <cstdint>

namespace orvane::graphics3d {

// The base of every renderable object (cameras, lights, materials, appearances, shaders,
// textures, modes, buffers, meshes, models, render streams): a counted engine object
// with a name that builders assign directly.
//
// Every resource draws a creation number from one process-wide counter (1, 2, 3, ...;
// a copy draws its own). Code that orders resources by identity (the render optimiser's
// sort, the render compiler's resource set) uses it instead of addresses, so that the
// same scene is ordered the same way on every run, wherever the allocator put it.
class Resource : public object::Object {
public:
    Resource() noexcept;
    Resource(const Resource& other) noexcept;
    // Copies the name; each side keeps its creation number.
    Resource& operator=(const Resource& other);

    // The creation number: unique among resources, never 0.
    std::uint64_t sequence() const noexcept { return creation; }

    types::String getName() const override;
    types::String getClassName() const override;

    types::String name;

private:
    std::uint64_t creation;
};

// Creation numbers of possibly null resources: 0 for null.
inline std::uint64_t sequenceOf(const Resource* resource) noexcept {
    return resource ? resource->sequence() : 0;
}

} // namespace orvane::graphics3d
