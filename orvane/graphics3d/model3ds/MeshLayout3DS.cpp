#include "orvane/graphics3d/model3ds/MeshLayout3DS.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

namespace orvane::graphics3d {
namespace {

using Normal = std::array<float, 3>;

constexpr std::uint32_t NONE = 0xFFFFFFFFu;

Normal unitOr(const float* sum, const float* fallback) {
    const float length = std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
    if (length > 0.0f && std::isfinite(length)) {
        const float scale = 1.0f / length;
        return {sum[0] * scale, sum[1] * scale, sum[2] * scale};
    }
    return {fallback[0], fallback[1], fallback[2]};
}

// The cross product of a face's edges from its first corner: its normal, as long as
// twice its area.
inline void crossOf(const Mesh3DS& mesh, std::uint32_t face, float n[3]) noexcept {
    const float* p = mesh.positions.data();
    const std::uint16_t* corners = &mesh.faces[4 * std::size_t(face)];
    const float* a = p + 3 * corners[0];
    const float* b = p + 3 * corners[1];
    const float* c = p + 3 * corners[2];
    const float ab[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const float ac[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    n[0] = ab[1] * ac[2] - ab[2] * ac[1];
    n[1] = ab[2] * ac[0] - ab[0] * ac[2];
    n[2] = ab[0] * ac[1] - ab[1] * ac[0];
}

// The normals the corners of smoothed faces take at each vertex: for every mask met
// there, the unit sum of the faces whose masks share a bit with it, each face weighed
// by its area as the ungrouped normals are.
class SmoothedNormals {
public:
    SmoothedNormals(const Mesh3DS& mesh, const std::vector<float>& faceNormals,
                    const std::vector<bool>& drawable) {
        const std::uint32_t vertices = mesh.vertexCount;
        std::vector<std::uint32_t> degree(vertices + 1, 0);
        for (std::uint32_t face = 0; face < mesh.faceCount; ++face)
            if (drawable[face])
                for (int corner = 0; corner < 3; ++corner)
                    ++degree[mesh.faces[4 * std::size_t(face) + corner]];
        std::vector<std::uint32_t> start(vertices + 1, 0);
        for (std::uint32_t v = 0; v < vertices; ++v)
            start[v + 1] = start[v] + degree[v];
        std::vector<std::uint32_t> incident(start[vertices]);
        std::vector<std::uint32_t> filled(start.begin(), start.end() - 1);
        for (std::uint32_t face = 0; face < mesh.faceCount; ++face)
            if (drawable[face])
                for (int corner = 0; corner < 3; ++corner)
                    incident[filled[mesh.faces[4 * std::size_t(face) + corner]]++] = face;

        first.assign(vertices + 1, 0);
        std::vector<std::pair<std::uint32_t, std::uint32_t>> byMask;
        for (std::uint32_t v = 0; v < vertices; ++v) {
            first[v] = std::uint32_t(masks.size());
            byMask.clear();
            for (std::uint32_t i = start[v]; i < start[v + 1]; ++i)
                byMask.push_back({mesh.smoothing[incident[i]], incident[i]});
            std::sort(byMask.begin(), byMask.end());
            const std::size_t from = masks.size();
            // The sum of the faces of each mask met here.
            for (const auto& [mask, face] : byMask) {
                if (mask == 0)
                    continue;
                if (masks.size() == from || masks.back() != mask) {
                    masks.push_back(mask);
                    sums.push_back({0, 0, 0});
                }
                for (int axis = 0; axis < 3; ++axis)
                    sums.back()[axis] += faceNormals[3 * std::size_t(face) + axis];
            }
            // Each mask's normal takes in every mask it shares a bit with; where too many
            // masks meet, each keeps to its own.
            const std::size_t count = masks.size() - from;
            for (std::size_t a = from; a < masks.size(); ++a) {
                float total[3] = {0, 0, 0};
                for (std::size_t b = from; b < masks.size(); ++b)
                    if (count <= MeshLayout3DS::MASKS_SMOOTHED_ACROSS ? (masks[a] & masks[b]) != 0
                                                                      : a == b)
                        for (int axis = 0; axis < 3; ++axis)
                            total[axis] += sums[b][axis];
                normals.push_back(unitOr(total, MeshLayout3DS::UNUSED_NORMAL));
            }
        }
        first[vertices] = std::uint32_t(masks.size());
    }

    // The normal of a corner at `vertex` of a face of `mask` (not 0).
    Normal at(std::uint32_t vertex, std::uint32_t mask) const {
        const auto begin = masks.begin() + first[vertex], end = masks.begin() + first[vertex + 1];
        const auto found = std::lower_bound(begin, end, mask);
        if (found == end || *found != mask)
            return {MeshLayout3DS::UNUSED_NORMAL[0], MeshLayout3DS::UNUSED_NORMAL[1],
                    MeshLayout3DS::UNUSED_NORMAL[2]};
        return normals[std::size_t(found - masks.begin())];
    }

private:
    std::vector<std::uint32_t> first; // per vertex, its first entry below
    std::vector<std::uint32_t> masks; // per vertex, the masks met there, ascending
    std::vector<Normal> sums;
    std::vector<Normal> normals;
};

} // namespace

MeshLayout3DS::MeshLayout3DS(const Mesh3DS& described, const std::vector<Material3DS>* known)
    : mesh(described)
    , materials(known) {
    std::vector<bool> named(mesh.faceCount, false);
    for (const FaceMaterial3DS& group : mesh.faceMaterials) {
        const auto count = std::uint32_t(3 * group.faces.size());
        meshRanges.push_back({indices, count, group.material});
        indices += count;
        for (const std::uint16_t face : group.faces)
            if (face < mesh.faceCount)
                named[face] = true;
    }
    for (std::uint32_t face = 0; face < mesh.faceCount; ++face)
        if (!named[face])
            ungrouped.push_back(face);
    if (!ungrouped.empty()) {
        const auto count = std::uint32_t(3 * ungrouped.size());
        meshRanges.push_back({indices, count, -1});
        indices += count;
    }

    mappings.push_back(TextureMapping3DS());
    const bool smoothed = mesh.faceCount > 0 && mesh.smoothing.size() == mesh.faceCount;
    bool placed = false;
    if (materials && mesh.hasTexCoords)
        for (const Range& range : meshRanges)
            if (range.material >= 0 && std::size_t(range.material) < materials->size()) {
                const Material3DS& material = (*materials)[std::size_t(range.material)];
                placed = placed || (material.textured && !material.mapping.isIdentity());
            }
    if (smoothed || placed)
        split();
}

std::uint32_t MeshLayout3DS::vertexCount() const noexcept {
    return splitting ? std::uint32_t(made.size()) : mesh.vertexCount;
}

std::uint32_t MeshLayout3DS::indexSize() const noexcept {
    return vertexCount() > 0xFFFFu ? 4 : 2;
}

bool MeshLayout3DS::isDrawable(std::uint32_t face) const noexcept {
    if (face >= mesh.faceCount)
        return false;
    const std::uint16_t* corners = &mesh.faces[4 * std::size_t(face)];
    return corners[0] < mesh.vertexCount && corners[1] < mesh.vertexCount &&
           corners[2] < mesh.vertexCount;
}

void MeshLayout3DS::writeFace(std::uint32_t face, std::uint16_t* at) const noexcept {
    if (!isDrawable(face)) {
        at[0] = at[1] = at[2] = 0;
        return;
    }
    std::memcpy(at, &mesh.faces[4 * std::size_t(face)], 3 * sizeof(std::uint16_t));
}

// The cross product of a drawable face's edges: its normal, as long as twice its area.
// Every face's cross product (zero for faces that are not drawn).
std::vector<float> MeshLayout3DS::faceNormals() const {
    std::vector<float> normals(3 * std::size_t(mesh.faceCount), 0.0f);
    for (std::uint32_t face = 0; face < mesh.faceCount; ++face)
        if (isDrawable(face))
            crossOf(mesh, face, &normals[3 * std::size_t(face)]);
    return normals;
}

std::vector<float> MeshLayout3DS::smoothNormals() const {
    std::vector<float> sums(3 * std::size_t(mesh.vertexCount), 0.0f);
    for (std::uint32_t face = 0; face < mesh.faceCount; ++face) {
        if (!isDrawable(face))
            continue;
        float n[3];
        crossOf(mesh, face, n);
        const std::uint16_t* corners = &mesh.faces[4 * std::size_t(face)];
        for (int corner = 0; corner < 3; ++corner) {
            float* sum = &sums[3 * std::size_t(corners[corner])];
            sum[0] += n[0];
            sum[1] += n[1];
            sum[2] += n[2];
        }
    }
    for (float* sum = sums.data(); sum != sums.data() + sums.size(); sum += 3) {
        const Normal unit = unitOr(sum, UNUSED_NORMAL);
        sum[0] = unit[0];
        sum[1] = unit[1];
        sum[2] = unit[2];
    }
    return sums;
}

template <class Visit>
void MeshLayout3DS::forEachDrawnFace(Visit visit) const {
    for (const FaceMaterial3DS& group : mesh.faceMaterials)
        for (const std::uint16_t face : group.faces)
            visit(std::uint32_t(face), group.material);
    for (const std::uint32_t face : ungrouped)
        visit(face, -1);
}

// Makes one vertex per distinct (file vertex, normal, placement) the drawn corners need.
void MeshLayout3DS::split() {
    splitting = true;
    const bool smoothed = mesh.smoothing.size() == mesh.faceCount;
    const std::vector<float> perFace = faceNormals();
    std::vector<bool> drawable(mesh.faceCount);
    for (std::uint32_t face = 0; face < mesh.faceCount; ++face)
        drawable[face] = isDrawable(face);
    const std::vector<float> plain = smoothed ? std::vector<float>() : smoothNormals();
    const SmoothedNormals groups =
        smoothed ? SmoothedNormals(mesh, perFace, drawable) : SmoothedNormals(Mesh3DS(), {}, {});

    // The placement of each material's coordinates, as an index into `mappings`.
    std::unordered_map<int, std::uint32_t> placementOf;
    const auto placement = [&](int material) -> std::uint32_t {
        if (material < 0 || !materials || std::size_t(material) >= materials->size())
            return 0;
        const auto known = placementOf.find(material);
        if (known != placementOf.end())
            return known->second;
        const Material3DS& described = (*materials)[std::size_t(material)];
        std::uint32_t index = 0;
        if (described.textured && !described.mapping.isIdentity()) {
            index = std::uint32_t(std::find(mappings.begin(), mappings.end(), described.mapping) -
                                  mappings.begin());
            if (index == mappings.size())
                mappings.push_back(described.mapping);
        }
        placementOf.emplace(material, index);
        return index;
    };

    // The vertices made of each file vertex, chained: they are few (one per normal and
    // placement met there), so a walk along the chain beats hashing.
    std::vector<std::uint32_t> firstMade(mesh.vertexCount, NONE), nextMade;
    nextMade.reserve(indices);
    made.reserve(mesh.vertexCount);
    madeIndices.reserve(indices);
    const auto vertexFor = [&](std::uint32_t vertex, const Normal& normal, std::uint32_t mapping) {
        for (std::uint32_t m = firstMade[vertex]; m != NONE; m = nextMade[m])
            if (made[m].mapping == mapping &&
                std::memcmp(made[m].normal, normal.data(), sizeof made[m].normal) == 0)
                return m;
        const auto m = std::uint32_t(made.size());
        made.push_back({vertex, {normal[0], normal[1], normal[2]}, mapping});
        nextMade.push_back(firstMade[vertex]);
        firstMade[vertex] = m;
        return m;
    };
    forEachDrawnFace([&](std::uint32_t face, int material) {
        if (face >= mesh.faceCount || !drawable[face]) {
            madeIndices.insert(madeIndices.end(), {0, 0, 0}); // drawn as nothing
            return;
        }
        const std::uint32_t mapping = placement(material);
        const std::uint32_t mask = smoothed ? mesh.smoothing[face] : 0;
        const Normal flat = unitOr(&perFace[3 * std::size_t(face)], UNUSED_NORMAL);
        for (int corner = 0; corner < 3; ++corner) {
            const std::uint32_t vertex = mesh.faces[4 * std::size_t(face) + corner];
            Normal normal;
            if (!smoothed)
                normal = {plain[3 * vertex], plain[3 * vertex + 1], plain[3 * vertex + 2]};
            else
                normal = mask == 0 ? flat : groups.at(vertex, mask);
            madeIndices.push_back(vertexFor(vertex, normal, mapping));
        }
    });
    // Faces that draw nothing name vertex 0, which must exist.
    if (made.empty() && mesh.vertexCount > 0)
        made.push_back({0, {UNUSED_NORMAL[0], UNUSED_NORMAL[1], UNUSED_NORMAL[2]}, 0});
}

void MeshLayout3DS::writeVertices(void* memory) const {
    const std::uint32_t stride = vertexStride();
    auto* out = static_cast<std::uint8_t*>(memory);
    const auto write = [&](std::uint32_t source, const float* normal, float u, float v) {
        std::memcpy(out + POSITION_OFFSET, &mesh.positions[3 * std::size_t(source)],
                    3 * sizeof(float));
        std::memcpy(out + NORMAL_OFFSET, normal, 3 * sizeof(float));
        if (mesh.hasTexCoords) {
            const float uv[2] = {u, 1.0f - v};
            std::memcpy(out + TEXCOORD_OFFSET, uv, sizeof uv);
        }
        out += stride;
    };
    const auto texCoord = [&](std::uint32_t source, int k) {
        return mesh.hasTexCoords ? mesh.texCoords[2 * std::size_t(source) + k] : 0.0f;
    };
    if (splitting) {
        for (const Made& vertex : made) {
            float u = texCoord(vertex.source, 0), v = texCoord(vertex.source, 1);
            mappings[vertex.mapping].apply(u, v);
            write(vertex.source, vertex.normal, u, v);
        }
        return;
    }
    const std::vector<float> normals = smoothNormals();
    for (std::uint32_t v = 0; v < mesh.vertexCount; ++v)
        write(v, &normals[3 * std::size_t(v)], texCoord(v, 0), texCoord(v, 1));
}

void MeshLayout3DS::writeIndices(void* memory) const {
    if (splitting) {
        if (indexSize() == 4) {
            std::memcpy(memory, madeIndices.data(), madeIndices.size() * sizeof(std::uint32_t));
            return;
        }
        auto* out = static_cast<std::uint16_t*>(memory);
        for (std::size_t i = 0; i < madeIndices.size(); ++i)
            out[i] = std::uint16_t(madeIndices[i]);
        return;
    }
    auto* at = static_cast<std::uint16_t*>(memory);
    forEachDrawnFace([&](std::uint32_t face, int) {
        writeFace(face, at);
        at += 3;
    });
}

} // namespace orvane::graphics3d
