#pragma once

#include "orvane/graphics3d/state/Context.h"
#include "orvane/gui/OpenGL.h"
#include "orvane/sample/FrameMonitor.h"
#include "orvane/sample/Gui.h"
#include "orvane/sample/HelpOverlay.h"
#include "orvane/sample/ModelWatch.h"
#include "orvane/sample/Scene.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

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
    // One model to show and where its textures are.
    struct ModelFile {
        std::string path;
        std::string textures;
    };
    // The view's own settings beyond its rectangle.
    struct Settings {
        // Shown one at a time, the first at start; Page Down / Right and Page Up / Left
        // page through several, the window's title saying which.
        std::vector<ModelFile> models;
        FrameMonitor::Settings frames;
        // Centre and scale the model into the sample's sphere (a model named by the user).
        bool framed = false;
        // Drawn this many times the size it is placed at (Options::scale).
        float scale = 1.0f;
        // Load the shown model again when its files change, keeping the view.
        bool watch = false;
        float background[3] = {0, 0, 0};
    };
    // How long a model that does not load after a change is tried again, and how often:
    // a file caught half-written is usually whole a moment later.
    static constexpr double RELOAD_RETRY_SECONDS = 0.25;
    static constexpr int RELOAD_ATTEMPTS = 8;

    // Asks for 24 colour bits with 8 of alpha, 8 stencil bits and a 24-bit depth buffer.
    // The model is the sample jet.
    explicit GraphicsView(const graphics::Rectangle<float>& area);
    ~GraphicsView() override;

    // Before the view's window opens.
    void configure(Settings settings);

    // The OpenGL view's attach, then back-face culling, a black clear colour, the viewport
    // of the view's rectangle, the Gui (taking the view's input from now on) and the scene
    // of the first model. Answers whether the scene could be set up.
    bool attach() override;
    // The scene goes, then the Gui, then the OpenGL context.
    bool detach() override;
    // The viewport follows, and the projection keeps its height and takes the new shape.
    bool resized(graphics::Size<float> size) override;
    // Loads the model again first when the watch says its files changed.
    void render() override;

    bool setUpScene();
    // Releases the scene's objects while their OpenGL context is still current.
    bool tearDownScene();

    // Shows the model at `index` of the settings' list (wrapping around), framed afresh
    // with the placement reset, and names it in the window's title. A model that does not
    // load is reported in one line and its page shows the clear colour.
    void showModel(std::size_t index);
    std::size_t shownModel() const noexcept { return shown; }

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
    // A scene with the model loaded, or null with `failure` saying why in one line.
    Scene* loadScene(const ModelFile& file, std::string& failure);
    // Puts `next` in place of the scene shown and names its model where the user sees it.
    void installScene(Scene* next);
    void updateTitle();
    // Loads the shown model again, keeping the placement; a failure is tried again
    // later, and after the last attempt leaves the last good model with a warning.
    void reload(double now);
    void watchShownModel();
    void finishRun();
    // What the Gui's keys ask beyond the placement.
    void command(Gui::Command command) override;
    void toggleHelp();

    Settings settings;
    std::size_t shown = 0;
    std::unique_ptr<ModelWatch> watch;
    int reloadAttempts = 0; // of the reload under way; 0 when none is
    double retryAt = 0;
    Scene* scene = nullptr;
    FrameMonitor* monitor = nullptr;
    object::Pointer<HelpOverlay> help;
    std::atomic<State> state{State::DETACHED};
    std::atomic<bool> finished{false};
    std::atomic<bool> success{false};
};

} // namespace orvane::sample
