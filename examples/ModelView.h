#pragma once

#include "orvane/graphics3d/mesh/ParameterBuffer.h"
#include "orvane/graphics3d/model/Model.h"
#include "orvane/graphics3d/state/Camera.h"
#include "orvane/graphics3d/state/Mode.h"
#include "orvane/graphics3d/state/PointLight.h"
#include "orvane/gui/OpenGL.h"
#include "orvane/gui3d/Root.h"
#include "orvane/gui3d/StatisticsOverlay.h"
#include "orvane/object/Pointer.h"
#include "orvane/system/Signal.h"

#include <cstdint>
#include <string>

namespace example {

// An OpenGL view that shows one 3DS model, turning, with its name and the frame rate drawn
// over it by the in-scene GUI.
//
// Threads: the constructor runs on the thread that builds the window; attach, render and
// detach run on the window's thread, which owns the OpenGL context and so everything made
// with it (the model, its textures and buffers, the in-scene views). Other threads only
// wait for `finished` and then read the results.
class ModelView : public orvane::gui::OpenGL {
public:
    // frameLimit 0 draws until the window is closed.
    ModelView(const orvane::graphics::Rectangle<float>& area, std::string modelPath,
              int frameLimit);

    // The OpenGL context first, then the model and the in-scene views made with it.
    bool attach() override;
    // Everything made with the OpenGL context goes while it is still current.
    bool detach() override;
    void render() override;

    // Set once the frame limit is reached, the model could not be shown, or the view was
    // detached (its window closed). The fields below are written before it is set.
    orvane::system::Signal finished;
    std::string failure;
    int framesDrawn = 0;
    // Pixels of the last frame that the model covered (the clear colour elsewhere).
    std::uint64_t modelPixels = 0;

private:
    bool loadModel();
    void addInSceneViews();
    // Centre and distance from the model's bounds; the camera's depth range around them.
    void frameModel();
    void placeModel(float degrees, float matrix[16]) const;
    std::uint64_t countModelPixels();
    void fail(const std::string& why);

    std::string modelPath;
    int frameLimit;
    orvane::object::Pointer<orvane::graphics3d::Model> model;
    orvane::object::Pointer<orvane::graphics3d::ParameterBuffer> parameters;
    orvane::graphics3d::Camera camera;
    orvane::graphics3d::PointLight light;
    orvane::graphics3d::Mode mode;
    orvane::object::Pointer<orvane::gui3d::Root> root;
    orvane::gui3d::StatisticsOverlay* overlay = nullptr; // held by the root
    float centre[3] = {0, 0, 0};
    float distance = 1;
    double started = 0;
};

} // namespace example
