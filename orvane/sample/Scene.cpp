#include "orvane/sample/Scene.h"

#include "orvane/container/Array.h"
#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/mesh/Mesh.h"
#include "orvane/graphics3d/model/StaticModel.h"
#include "orvane/sample/Framing.h"
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

// product = a x b, 4 x 4, row by row.
void multiply(const float a[16], const float b[16], float product[16]) {
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a[row * 4 + k] * b[k * 4 + column];
            product[row * 4 + column] = sum;
        }
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

bool Scene::load(const std::string& modelPath, const std::string& textureDirectory, bool framed,
                 float scale) {
    ModelLoader loader(modelPath, textureDirectory);
    model = object::Pointer<Model>::adopt(loader.load());
    why = loader.failure();
    notes = loader.warnings();
    if (!model)
        return false;
    shareTextureShader();
    // Measured before compiling, which may leave the meshes' buffers to the render stream.
    measure(framed, scale);
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
    for (std::uint32_t i = 0; i < meshes.count(); ++i) {
        Appearance* appearance = meshes[i]->getAppearance();
        if (!appearance || !appearance->texture(0))
            continue;
        // Two-sided and blended parts keep their way of being drawn.
        const bool twoSided = appearance->shader && appearance->shader->twoSided;
        const bool blended = appearance->shader && appearance->shader->blended;
        auto& shared = textureShaders[twoSided][blended];
        if (!shared) {
            shared = object::make<SwitchableTextureShader>();
            shared->twoSided = twoSided;
            shared->blended = blended;
        }
        appearance->setShader(shared.get());
    }
}

// The triangles the statistics show and the sphere the framing and the zoom limits use,
// from one export of every mesh.
void Scene::measure(bool framed, float scale) {
    container::Array<Mesh*> meshes;
    collectMeshes(*model, meshes);
    Framing framing;
    triangleCount = 0;
    for (std::uint32_t i = 0; i < meshes.count(); ++i) {
        auto exported =
            object::Pointer<geometry::TriangleMesh3<float>>::adopt(meshes[i]->createTriangleMesh());
        if (!exported)
            continue;
        triangleCount += exported->triangleCount();
        framing.add(std::move(exported));
    }
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::memcpy(frame, identity, sizeof frame);
    if (framed)
        framing.fitToSample(frame);
    for (int element = 0; element < 12; ++element)
        frame[element] *= scale;
    scaled = (framed && framing.scale() != 1.0f) || scale != 1.0f;
    farthest = framing.reach(frame);
}

void Scene::setAspect(std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0)
        return;
    const float aspect = float(width) / float(height);
    camera.width = camera.height * aspect;
    camera.left = -camera.width / 2;
    camera.apply();
}

void Scene::showTextures(Context& context, bool shown) {
    switches.textures = shown;
    for (auto& sides : textureShaders)
        for (auto& shader : sides) {
            if (!shader || shader->showTextures == shown)
                continue;
            // A shader that stays current is not applied again: let it go, so that the
            // next selection applies it with the new setting.
            if (context.shaderStack.shader == shader.get())
                context.shaderStack.reset();
            shader->showTextures = shown;
        }
}

void Scene::render(Context& context, const float placement[16]) {
    context.modeStack.select(&mode);
    gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (!model)
        return;
    context.matrixStack.setMatrixMode(GL_MODELVIEW);
    gl.glLoadIdentity();
    context.lightStack.select(&light, 0);
    if (switches.lighting)
        gl.glEnable(GL_LIGHTING);
    else
        gl.glDisable(GL_LIGHTING);
    // What nothing else in the viewer changes is set on the first frame only: the light
    // model, the side culling removes and the rescaling of normals. Lighting and culling
    // themselves the in-scene GUI switches off, so every frame switches them on.
    if (!constantsSet) {
        gl.glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
        gl.glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    }
    if (switches.culling) {
        gl.glEnable(GL_CULL_FACE);
        if (!constantsSet)
            gl.glCullFace(GL_BACK);
    } else {
        gl.glDisable(GL_CULL_FACE);
    }
    // A uniform scale keeps normals at right angles but not at unit length.
    if (scaled && !constantsSet)
        gl.glEnable(GL_RESCALE_NORMAL);
    constantsSet = switches.culling || constantsSet;
    auto* matrix = static_cast<float*>(parameters->parameter("position"));
    if (scaled || frame[3] != 0 || frame[7] != 0 || frame[11] != 0)
        multiply(placement, frame, matrix);
    else
        std::memcpy(matrix, placement, 16 * sizeof(float));
    if (switches.wireframe)
        gl.glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    model->draw(*parameters);
    if (switches.wireframe)
        gl.glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    // The last shader would stay current into the next frame, and with it what its
    // flags set: a blended one's depth writes off would keep the next clear from
    // clearing depth.
    context.shaderStack.reset();
}

types::String Scene::getClassName() const {
    return object::classPath(Object::getClassName(), ":Scene");
}

} // namespace orvane::sample
