#include "orvane/graphics3d/model3ds/MeshLayout3DS.h"

#include <cmath>
#include <cstring>

namespace orvane::graphics3d {

MeshLayout3DS::MeshLayout3DS(const Mesh3DS& described)
    : mesh(described) {
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

std::vector<float> MeshLayout3DS::smoothNormals() const {
    std::vector<float> normals(3 * std::size_t(mesh.vertexCount), 0.0f);
    const float* p = mesh.positions.data();
    for (std::uint32_t face = 0; face < mesh.faceCount; ++face) {
        if (!isDrawable(face))
            continue;
        const std::uint16_t* corners = &mesh.faces[4 * std::size_t(face)];
        const float* a = p + 3 * corners[0];
        const float* b = p + 3 * corners[1];
        const float* c = p + 3 * corners[2];
        const float ab[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const float ac[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const float n[3] = {ab[1] * ac[2] - ab[2] * ac[1], ab[2] * ac[0] - ab[0] * ac[2],
                            ab[0] * ac[1] - ab[1] * ac[0]};
        for (int corner = 0; corner < 3; ++corner) {
            float* sum = &normals[3 * std::size_t(corners[corner])];
            sum[0] += n[0];
            sum[1] += n[1];
            sum[2] += n[2];
        }
    }
    for (std::size_t v = 0; v < mesh.vertexCount; ++v) {
        float* n = &normals[3 * v];
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length > 0.0f && std::isfinite(length)) {
            const float scale = 1.0f / length;
            n[0] *= scale;
            n[1] *= scale;
            n[2] *= scale;
        } else {
            std::memcpy(n, UNUSED_NORMAL, sizeof UNUSED_NORMAL);
        }
    }
    return normals;
}

void MeshLayout3DS::writeVertices(void* memory) const {
    const std::vector<float> normals = smoothNormals();
    const std::uint32_t stride = vertexStride();
    auto* out = static_cast<std::uint8_t*>(memory);
    for (std::size_t v = 0; v < mesh.vertexCount; ++v, out += stride) {
        std::memcpy(out + POSITION_OFFSET, &mesh.positions[3 * v], 3 * sizeof(float));
        std::memcpy(out + NORMAL_OFFSET, &normals[3 * v], 3 * sizeof(float));
        if (mesh.hasTexCoords) {
            const float uv[2] = {mesh.texCoords[2 * v], 1.0f - mesh.texCoords[2 * v + 1]};
            std::memcpy(out + TEXCOORD_OFFSET, uv, sizeof uv);
        }
    }
}

void MeshLayout3DS::writeIndices(std::uint16_t* memory) const {
    std::uint16_t* at = memory;
    for (const FaceMaterial3DS& group : mesh.faceMaterials) {
        for (const std::uint16_t face : group.faces) {
            writeFace(face, at);
            at += 3;
        }
    }
    for (const std::uint32_t face : ungrouped) {
        writeFace(face, at);
        at += 3;
    }
}

} // namespace orvane::graphics3d
