#include "orvane/graphics3d/model/StaticModel.h"

#include "orvane/graphics3d/compile/Optimizer.h"
#include "orvane/graphics3d/state/Context.h"

#include <cstring>
#include <utility>

namespace orvane::graphics3d {
namespace {

constexpr std::uint32_t MATRIX_TYPE = 0x00401024; // sixteen floats, 64 bytes

// Loads a row-major matrix; where the driver lacks the transpose entry point the matrix
// is transposed here and loaded as OpenGL's column-major one.
void loadTransposeMatrix(const float (&rows)[16]) {
    if (gl.glLoadTransposeMatrixfARB) {
        gl.glLoadTransposeMatrixfARB(rows);
        return;
    }
    float columns[16];
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            columns[column * 4 + row] = rows[row * 4 + column];
    gl.glLoadMatrixf(columns);
}

} // namespace

void StaticModel::addMesh(Mesh* mesh) {
    if (mesh)
        meshes.add(object::Pointer<Mesh>(mesh));
}

void StaticModel::removeMesh(Mesh* mesh) {
    std::uint32_t index = 0;
    while (index < meshes.count() && meshes[index].get() != mesh)
        ++index;
    if (index == meshes.count())
        return;
    for (; index + 1 < meshes.count(); ++index)
        meshes[index] = std::move(meshes[index + 1]);
    meshes.removeLast();
}

void StaticModel::collectMeshes(container::Array<Mesh*>& out) const {
    for (const auto& mesh : meshes)
        out.add(mesh.get());
}

void StaticModel::initialise() {
    ParameterFormat position;
    position.add("position", MATRIX_TYPE, 0);
    parameterFormat.clear();
    parameterFormat.append(position);
    parameterFormat.compact();
    joints.clear();
    BoundingVolume united;
    for (const auto& mesh : meshes) {
        BoundingVolume volume;
        if (mesh->getBounds(volume))
            united.unite(volume);
    }
    bounds = united;
}

void StaticModel::draw(ParameterBuffer& parameters) {
    Context* context = Context::current();
    float matrix[16];
    if (!context || parameters.size() < sizeof matrix)
        return;
    context->matrixStack.setMatrixMode(GL_MODELVIEW);
    std::memcpy(matrix, parameters.data(), sizeof matrix);
    loadTransposeMatrix(matrix);
    if (compiled) {
        if (renderStream)
            renderStream->run();
        return;
    }
    for (const auto& mesh : meshes)
        mesh->draw();
}

bool StaticModel::compileNow() {
    Optimizer optimizer;
    for (const auto& mesh : meshes)
        optimizer.add(mesh.get());
    renderStream = object::Pointer<RenderStream>::adopt(optimizer.createRenderStream());
    meshes.clear();
    return renderStream != nullptr;
}

types::String StaticModel::getClassName() const {
    return object::classPath(Model::getClassName(), ":StaticModel");
}

} // namespace orvane::graphics3d
