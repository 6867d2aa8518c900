#include "orvane/sample/Scene.h"

#include "orvane/container/Array.h"
#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/mesh/Mesh.h"
#include "orvane/graphics3d/model/StaticModel.h"
#include "orvane/graphics3d/state/TextureShader.h"
#include "orvane/sample/ModelLoader.h"

#include <cstring>

namespace orvane::sample {
namespace {

using namespace graphics3d;

// Every mesh of the model, in the model's order; only static models have meshes to give.
void collectMeshes(Model& model, container::Array<Mesh*>& meshes) {
    if (auto* staticModel = dynamic_cast<StaticModel*>(&model))
        staticModel->collectMeshes(meshes);
}

} // namespace

Scene::Scene() {
    camera.near = 10.0f;
    camera.far = 800.0f;
    camera.apply();

    mode.depthFunc = GL_LESS;
    mode.depthMask = true;

    const float position[3] = {900.0f, 790.0f, 400.0f};
    const float ambient[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    const float diffuse[4] = {1.0f, 1.0f, 1.0f, 0.0f};
    const float specular[4] = {0.3f, 0.3f, 0.3f, 0.0f};
    std::memcpy(light.position, position, sizeof position);
    std::memcpy(light.ambient, ambient, sizeof ambient);
    std::memcpy(light.diffuse, diffuse, sizeof diffuse);
    std::memcpy(light.specular, specular, sizeof specular);
}

Scene::~Scene() {
    if (parameters)
        parameters->release();
}

bool Scene::load(const std::string& modelPath, const std::string& textureDirectory) {
    ModelLoader loader(modelPath, textureDirectory);
    model = object::Pointer<Model>::adopt(loader.load());
    why = loader.failure();
    if (!model)
        return false;
    shareTextureShader();
    // Counted before compiling, which may leave the meshes' buffers to the render stream.
    triangleCount = countTriangles();
    if (compileModel)
        model->compile();
    parameters = ParameterBuffer::create(model->getParameterFormat());
    if (!parameters || !parameters->parameter("position")) {
        why = "the model has no position parameter";
        model = nullptr;
        return false;
    }
    return true;
}

// One texture shader for every textured appearance, so that drawing the model switches
// shaders only where it goes from textured to plain parts. Appearances without a texture
// keep the shader the builder gave them: under a texture shader they would show whatever
// texture the previous mesh left bound.
void Scene::shareTextureShader() {
    container::Array<Mesh*> meshes;
    collectMeshes(*model, meshes);
    const auto shader = object::make<TextureShader>();
    for (std::uint32_t i = 0; i < meshes.count(); ++i) {
        Appearance* appearance = meshes[i]->getAppearance();
        if (appearance && appearance->texture(0))
            appearance->setShader(shader.get());
    }
}

std::uint64_t Scene::countTriangles() const {
    container::Array<Mesh*> meshes;
    collectMeshes(*model, meshes);
    std::uint64_t count = 0;
    for (std::uint32_t i = 0; i < meshes.count(); ++i)
        if (auto* exported = meshes[i]->createTriangleMesh()) {
            count += exported->triangleCount();
            exported->release();
        }
    return count;
}

void Scene::render(Context& context, const float placement[16]) {
    context.modeStack.select(&mode);
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (!model)
        return;
    context.matrixStack.setMatrixMode(GL_MODELVIEW);
    gl.glLoadIdentity();
    context.lightStack.select(&light, 0);
    gl.glEnable(GL_LIGHTING);
    gl.glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    gl.glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    gl.glEnable(GL_CULL_FACE);
    gl.glCullFace(GL_BACK);
    std::memcpy(parameters->parameter("position"), placement, 16 * sizeof(float));
    model->draw(*parameters);
}

types::String Scene::getClassName() const {
    return object::classPath(Object::getClassName(), ":Scene");
}

} // namespace orvane::sample
