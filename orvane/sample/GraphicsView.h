#pragma once

#include "orvane/graphics3d/state/Context.h"
#include "orvane/gui/OpenGL.h"
#include "orvane/sample/FrameMonitor.h"
#include "orvane/sample/Gui.h"
#include "orvane/sample/HelpOverlay.h"
#include "orvane/sample/Scene.h"

#include <atomic>
#include <string>

namespace orvane::sample {

// The viewer's OpenGL view: sets up the scene when it is attached to its window and
// draws it, placed by its Gui's mouse control, at every paint.
//
// Everything but the constructor, configure() and the atomic state readers runs on the
// window's thread. A model that cannot be loaded (or any failure of the scene's set-up)
// is reported in one line on standard error; the view then stays attached and draws the
// clear colour, so that its window still paints and can be closed.
class GraphicsView : public gui::OpenGL, private Gui::Listener {
public:
    // The view's own settings beyond its rectangle.
    struct Settings {
        std::string model;
        std::string textures;
        FrameMonitor::Settings frames;
        // Centre and scale the model into the sample's sphere (a model named by the user).
        bool framed = false;
        float background[3] = {0, 0, 0};
    };

    // Asks for 24 colour bits with 8 of alpha, 8 stencil bits and a 24-bit depth buffer.
    // The model is the sample jet.
    explicit GraphicsView(const graphics::Rectangle<float>& area);
    ~GraphicsView() override;

    // Before the view's window opens.
    void configure(Settings settings);

    // The OpenGL view's attach, then back-face culling, a black clear colour, the viewport
    // of the view's rectangle, the Gui (taking the view's input from now on) and the scene.
    // Answers whether the scene could be set up.
    bool attach() override;
    // The scene goes, then the Gui, then the OpenGL context.
    bool detach() override;
    // The viewport follows, and the projection keeps its height and takes the new shape.
    bool resized(graphics::Size<float> size) override;
    void render() override;

    bool setUpScene();
    // Releases the scene's objects while their OpenGL context is still current.
    bool tearDownScene();

    // Readable from any thread once the view's window has opened.
    enum class State { DETACHED, SHOWING, FAILED };
    State getState() const noexcept { return state.load(std::memory_order_acquire); }
    // Set once the frame count was reached, true when the snapshot (if any) was written.
    bool isFinished() const noexcept { return finished.load(std::memory_order_acquire); }
    bool succeeded() const noexcept { return success.load(std::memory_order_acquire); }

    graphics3d::Context* context = nullptr;
    graphics3d::MatrixStack* matrixStack = nullptr;
    graphics3d::FrameBuffer* frameBuffer = nullptr;
    Gui* gui = nullptr;

private:
    void finishRun();
    // What the Gui's keys ask beyond the placement.
    void command(Gui::Command command) override;
    void toggleHelp();

    Settings settings;
    Scene* scene = nullptr;
    FrameMonitor* monitor = nullptr;
    object::Pointer<HelpOverlay> help;
    std::atomic<State> state{State::DETACHED};
    std::atomic<bool> finished{false};
    std::atomic<bool> success{false};
};

} // namespace orvane::sample
