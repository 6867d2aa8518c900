#pragma once

#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/model/StaticModel.h"
#include "orvane/graphics3d/model3ds/ModelBuilder3DS.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace orvane::tools {

// The indices an index mesh draws, [first, end): its range cut at the buffer's end, or the
// whole buffer for an empty range.
struct DrawnRange {
    std::uint32_t first = 0;
    std::uint32_t end = 0;
    std::uint32_t count() const noexcept { return end - first; }
};
DrawnRange drawnRange(const graphics3d::IndexMesh& mesh);

// What one export wrote.
struct ObjCounts {
    std::uint64_t vertices = 0;
    std::uint64_t faces = 0;
    std::size_t materials = 0;
};

// Writes a model as `builder` built it from a 3DS file (its buffers in ordinary memory or
// mappable) as Wavefront OBJ text to `obj` and its materials to `mtl`, which the OBJ names
// as `mtlName`:
//
// - per vertex buffer, when a mesh first draws from it, its v, vn and vt lines (positions
//   and normals with %.9g, enough digits to read back the same floats; coordinates with v
//   counted up from the bottom again, as the 3DS file and OBJ count it, the placement of
//   the texture map already applied);
// - per mesh a g line (its object's name), a usemtl line (its appearance) and an f line
//   per triangle, skipping those the layout draws as nothing (all corners one vertex);
// - per appearance used, in the MTL, newmtl, Ka, Kd, Ks (the colours as drawn), Ns (the
//   shininess as OpenGL is given it), d (the diffuse alpha where the appearance draws
//   blended, else 1: unblended, the alpha does not show) and, for a material with a
//   texture map, map_Kd with what `mapOf` answers for the map's file name.
//
// Names are made fit for OBJ (white space becomes '_', an empty name "unnamed") and kept
// apart ("-2", "-3" after a name already used).
ObjCounts writeObj(const graphics3d::StaticModel& model, const graphics3d::ModelBuilder3DS& builder,
                   const std::string& mtlName,
                   const std::function<std::string(const std::string&)>& mapOf, std::FILE* obj,
                   std::FILE* mtl);

} // namespace orvane::tools
