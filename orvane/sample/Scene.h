#pragma once

#include "orvane/graphics3d/mesh/ParameterBuffer.h"
#include "orvane/graphics3d/model/Model.h"
#include "orvane/graphics3d/state/Camera.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/Mode.h"
#include "orvane/graphics3d/state/PointLight.h"
#include "orvane/object/Pointer.h"

#include <string>

namespace orvane::sample {

// What the viewer draws: a camera, a depth-testing mode, one point light, the model and
// the parameters it is drawn with. Built and used on the rendering thread, with its render
// context current; release it there too, since the model's textures and buffers are
// OpenGL objects.
class Scene : public object::Object {
public:
    // Makes the camera (near 10, far 800, the near plane from -10 to 10 both ways) and
    // loads it into the current context's projection, and makes the mode and the light.
    Scene();
    ~Scene() override;

    // Loads the model with its textures, gives every appearance one shared texture shader,
    // compiles the model and makes its parameters. False when the model cannot be loaded,
    // with failure() saying why in one line; the scene then has no model.
    bool load(const std::string& modelPath, const std::string& textureDirectory);
    const std::string& failure() const noexcept { return why; }
    bool hasModel() const noexcept { return model.get() != nullptr; }

    // One frame: the mode, a cleared frame buffer, the light, lighting and back-face
    // culling, then the model placed by `placement` (sixteen floats, row by row), which
    // replaces the model-view matrix. Without a model the frame is only cleared.
    void render(graphics3d::Context& context, const float placement[16]);

    // The model's triangles (indices of its meshes / 3), for the statistics.
    std::uint64_t triangles() const noexcept { return triangleCount; }

    types::String getClassName() const override;

    graphics3d::Camera camera;
    graphics3d::Mode mode;
    graphics3d::PointLight light;
    object::Pointer<graphics3d::Model> model;
    graphics3d::ParameterBuffer* parameters = nullptr;
    // Whether load() compiles the model (true); false leaves it drawing mesh by mesh, to
    // compare the two.
    bool compileModel = true;

private:
    void shareTextureShader();
    std::uint64_t countTriangles() const;

    std::string why;
    std::uint64_t triangleCount = 0;
};

} // namespace orvane::sample
