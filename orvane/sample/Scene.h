#pragma once

#include "orvane/graphics3d/mesh/ParameterBuffer.h"
#include "orvane/graphics3d/model/Model.h"
#include "orvane/graphics3d/state/Camera.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/Mode.h"
#include "orvane/graphics3d/state/PointLight.h"
#include "orvane/object/Pointer.h"
#include "orvane/sample/SwitchableTextureShader.h"

#include <string>
#include <vector>

namespace orvane::sample {

// What the viewer draws: a camera, a depth-testing mode, one point light, the model and
// the parameters it is drawn with. Built and used on the rendering thread, with its render
// context current; release it there too, since the model's textures and buffers are
// OpenGL objects.
class Scene : public object::Object {
public:
    // How the frame is drawn, as the viewer's keys switch it; the defaults are the frame
    // the viewer always draws.
    struct Switches {
        bool wireframe = false;
        bool lighting = true;
        bool textures = true;
        bool culling = true;
    };

    // Makes the camera (near 10, far 800, the near plane from -10 to 10 both ways) and
    // loads it into the current context's projection, and makes the mode and the light.
    Scene();
    ~Scene() override;

    // Loads the model with its textures, gives every textured appearance a shared texture
    // shader (one for each way of drawing: two-sided, blended), compiles the model and makes its
    // parameters. With `framed`, the model is centred and scaled into the sample jet's sphere
    // (Framing); without, it is drawn where its file puts it. `scale` then enlarges or shrinks
    // it about the origin. False when the model cannot be loaded, with failure() saying why in
    // one line; the scene then has no model. Textures that could not be loaded are in
    // warnings(), one line each.
    bool load(const std::string& modelPath, const std::string& textureDirectory,
              bool framed = false, float scale = 1.0f);
    const std::string& failure() const noexcept { return why; }
    const std::vector<std::string>& warnings() const noexcept { return notes; }
    bool hasModel() const noexcept { return model.get() != nullptr; }

    // Keeps the near plane's height (20 units at 10) and widens or narrows it to the
    // frame's shape, so that a window that is not square shows the model unstretched;
    // loads the projection again.
    void setAspect(std::int32_t width, std::int32_t height);

    // One frame: the mode, a cleared frame buffer, the light, lighting and back-face
    // culling, then the model placed by `placement` (sixteen floats, row by row) after its
    // framing, which replaces the model-view matrix. Without a model the frame is only
    // cleared. The switches change only what they name; at their defaults the frame is
    // the viewer's usual one, call for call.
    void render(graphics3d::Context& context, const float placement[16]);

    // Shows or hides the textures from the next frame on.
    void showTextures(graphics3d::Context& context, bool shown);

    // The model's triangles (indices of its meshes / 3), for the statistics.
    std::uint64_t triangles() const noexcept { return triangleCount; }
    // How far the placed model reaches from the origin, whichever way it is turned (0
    // without a model): the mouse control keeps it this far in front of the near plane.
    float reach() const noexcept { return farthest; }
    // The placement the model is drawn with, row by row: its framing and scale (the
    // identity when neither framed nor scaled).
    const float* framing() const noexcept { return frame; }

    types::String getClassName() const override;

    graphics3d::Camera camera;
    graphics3d::Mode mode;
    graphics3d::PointLight light;
    object::Pointer<graphics3d::Model> model;
    graphics3d::ParameterBuffer* parameters = nullptr;
    Switches switches;
    // Whether load() compiles the model (true); false leaves it drawing mesh by mesh, to
    // compare the two.
    bool compileModel = true;

private:
    void shareTextureShader();
    void measure(bool framed, float scale);

    std::string why;
    std::vector<std::string> notes;
    std::uint64_t triangleCount = 0;
    float farthest = 0;
    float frame[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    bool scaled = false;
    // Whether the light model, the culled side and normal rescaling were set (once, by the
    // first frame drawn with culling on).
    bool constantsSet = false;
    // The shared texture shaders, [two-sided][blended].
    object::Pointer<SwitchableTextureShader> textureShaders[2][2];
};

} // namespace orvane::sample
