#include "orvane/sample/GraphicsView.h"

#include "orvane/application/Application.h"
#include "orvane/graphics3d/gl/GL.h"
#include "orvane/gui/Window.h"
#include "orvane/native/Display.h"
#include "orvane/native/Window.h"
#include "orvane/object/Exception.h"
#include "orvane/sample/Options.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <utility>

namespace orvane::sample {
namespace {

using namespace graphics3d;

void reportFailure(const std::string& line) {
    std::fprintf(stderr, "orvane-viewer: %s\n", line.c_str());
    std::fflush(stderr);
}

} // namespace

GraphicsView::GraphicsView(const graphics::Rectangle<float>& area)
    : gui::OpenGL(area) {
    colourBits = 24;
    alphaBits = 8;
    stencilBits = 8;
    depthBits = 24;
    settings.models = {{Options::SAMPLE_MODEL, Options::SAMPLE_TEXTURES}};
}

GraphicsView::~GraphicsView() {
    if (nativeWindow)
        detach();
}

void GraphicsView::configure(Settings newSettings) {
    settings = std::move(newSettings);
    if (settings.models.empty())
        settings.models = {{Options::SAMPLE_MODEL, Options::SAMPLE_TEXTURES}};
    shown = 0;
}

bool GraphicsView::attach() {
    if (nativeWindow)
        return true;
    if (!gui::OpenGL::attach()) {
        reportFailure("cannot draw with OpenGL: " + native::lastError());
        state.store(State::FAILED, std::memory_order_release);
        return false;
    }
    context = Context::current();
    if (!context)
        context = Context::acquire();
    matrixStack = &context->matrixStack;
    frameBuffer = &context->frameBuffer;
    gl.glEnable(GL_CULL_FACE);
    gl.glCullFace(GL_BACK);
    gl.glClearColor(settings.background[0], settings.background[1], settings.background[2], 0);
    const int x = int(position.x), y = int(position.y);
    const int w = int(size.width), h = int(size.height);
    gl.glViewport(x, frameBuffer->height - y - h, w, h);
    gui = new Gui(context);
    gui->setListener(this);
    gui->enableEvents();
    return setUpScene();
}

bool GraphicsView::setUpScene() {
    monitor = new FrameMonitor(settings.frames, stdout);
    monitor->start();
    std::string failure;
    Scene* first = loadScene(settings.models[shown], failure);
    if (!first) {
        reportFailure(failure);
        state.store(State::FAILED, std::memory_order_release);
        return false;
    }
    installScene(first);
    watchShownModel();
    state.store(State::SHOWING, std::memory_order_release);
    return true;
}

Scene* GraphicsView::loadScene(const ModelFile& file, std::string& failure) {
    auto next = object::make<Scene>();
    try {
        int width = 0, height = 0;
        viewportSize(width, height);
        next->setAspect(width, height);
        if (!next->load(file.path, file.textures, settings.framed, settings.scale)) {
            failure = next->failure();
            return nullptr;
        }
        for (const std::string& warning : next->warnings())
            reportFailure("warning: " + warning);
        next->retain(); // the caller's, once the pointer lets go of its own
        return next.get();
    } catch (const object::Exception& exception) {
        failure = displayName(file.path) + ": " + exception.getName().cString() + ": " +
                  exception.getMessage().cString();
    } catch (const std::exception& exception) {
        failure = displayName(file.path) + ": " + exception.what();
    }
    return nullptr;
}

void GraphicsView::installScene(Scene* next) {
    if (scene) {
        // The keys' choices outlive the model.
        next->switches = scene->switches;
        if (!scene->switches.textures)
            next->showTextures(*context, false);
        scene->release();
    }
    scene = next;
    gui->limitZoomFor(scene->reach(), scene->camera.near, scene->camera.far);
    monitor->showOn(*gui, fileNameOf(settings.models[shown].path), scene->triangles());
    updateTitle();
}

void GraphicsView::updateTitle() {
    gui::Window* window = getWindow();
    if (!window || settings.models.size() < 2)
        return; // one model: the window keeps its own title
    const std::string title = "Orvane - " + fileNameOf(settings.models[shown].path) + " (" +
                              std::to_string(shown + 1) + " of " +
                              std::to_string(settings.models.size()) + ")";
    window->setTitle(title.c_str());
}

void GraphicsView::showModel(std::size_t index) {
    if (!monitor || settings.models.empty())
        return;
    shown = index % settings.models.size();
    reloadAttempts = 0;
    gui->reset();
    std::string failure;
    if (Scene* next = loadScene(settings.models[shown], failure)) {
        installScene(next);
    } else {
        // The page stays, empty, so that the next key goes on past the file.
        reportFailure(failure);
        auto empty = object::make<Scene>();
        int width = 0, height = 0;
        viewportSize(width, height);
        empty->setAspect(width, height);
        if (scene)
            scene->release();
        empty->retain();
        scene = empty.get();
        monitor->showOn(*gui, fileNameOf(settings.models[shown].path), 0);
        updateTitle();
    }
    watchShownModel();
}

void GraphicsView::watchShownModel() {
    watch.reset();
    if (!settings.watch)
        return;
    const ModelFile& file = settings.models[shown];
    watch = std::make_unique<ModelWatch>(file.path, file.textures);
    if (!watch->isWatching()) {
        reportFailure("warning: " + watch->failure() + "; changes are not followed");
        watch.reset();
    }
}

void GraphicsView::reload(double now) {
    const ModelFile& file = settings.models[shown];
    std::string failure;
    if (Scene* next = loadScene(file, failure)) {
        reloadAttempts = 0;
        installScene(next);
        return;
    }
    if (++reloadAttempts < RELOAD_ATTEMPTS) {
        retryAt = now + RELOAD_RETRY_SECONDS;
        return;
    }
    reloadAttempts = 0;
    reportFailure("warning: " + failure + "; the last model that loaded stays");
}

bool GraphicsView::tearDownScene() {
    delete monitor;
    monitor = nullptr;
    if (scene) {
        scene->release();
        scene = nullptr;
    }
    return true;
}

bool GraphicsView::detach() {
    watch.reset();
    tearDownScene();
    help = nullptr;
    if (gui) {
        gui->release();
        gui = nullptr;
    }
    context = nullptr;
    matrixStack = nullptr;
    frameBuffer = nullptr;
    state.store(State::DETACHED, std::memory_order_release);
    return gui::OpenGL::detach();
}

bool GraphicsView::resized(graphics::Size<float> newSize) {
    const bool done = gui::OpenGL::resized(newSize);
    if (scene && context) {
        int width = 0, height = 0;
        viewportSize(width, height);
        scene->setAspect(width, height);
    }
    return done;
}

void GraphicsView::render() {
    if (watch && scene) {
        const double now =
            std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        // A change starts a new round of attempts; a failed attempt waits for its retry.
        if (watch->due(now)) {
            reloadAttempts = 0;
            reload(now);
        } else if (reloadAttempts > 0 && now >= retryAt) {
            reload(now);
        }
    }
    if (!scene || !scene->hasModel()) {
        gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        return;
    }
    monitor->sceneBegins();
    scene->render(*context, gui->modelMatrix);
    monitor->sceneEnds();
    if (monitor->overlayShown() || help)
        gui->paint();
    const bool done = monitor->frameEnds(*context);
    if (done && !finished.load(std::memory_order_acquire))
        finishRun();
    // A benchmark draws the next frame as soon as this one is on its way.
    if (!done && settings.frames.benchmark)
        native::invalidateRect(nativeWindow.load(std::memory_order_acquire), nullptr, false);
}

void GraphicsView::command(Gui::Command command) {
    using Command = Gui::Command;
    if (!scene)
        return;
    Scene::Switches& switches = scene->switches;
    switch (command) {
    case Command::RESET:
        break; // the Gui put the placement back
    case Command::WIREFRAME:
        switches.wireframe = !switches.wireframe;
        break;
    case Command::LIGHTING:
        switches.lighting = !switches.lighting;
        break;
    case Command::TEXTURES:
        scene->showTextures(*context, !switches.textures);
        break;
    case Command::CULLING:
        switches.culling = !switches.culling;
        break;
    case Command::STATISTICS:
        if (monitor)
            monitor->toggleOverlay(*gui);
        break;
    case Command::SCREENSHOT:
        if (monitor)
            monitor->requestScreenshot();
        break;
    case Command::HELP:
        toggleHelp();
        break;
    case Command::NEXT_MODEL:
        if (settings.models.size() > 1)
            showModel(shown + 1);
        break;
    case Command::PREVIOUS_MODEL:
        if (settings.models.size() > 1)
            showModel(shown + settings.models.size() - 1);
        break;
    case Command::CLOSE:
        // As the window manager's close: the application closes the window.
        if (application::Application* application = application::Application::getApplication())
            application->quit();
        break;
    }
}

void GraphicsView::toggleHelp() {
    if (help) {
        gui->removeView(help.get());
        help = nullptr;
        return;
    }
    help = object::make<HelpOverlay>();
    gui->addView(help.get());
}

// The frame count was reached: the run closes as if the window had been closed.
void GraphicsView::finishRun() {
    if (!monitor->failure().empty())
        reportFailure(monitor->failure());
    success.store(monitor->succeeded(), std::memory_order_release);
    finished.store(true, std::memory_order_release);
    if (application::Application* application = application::Application::getApplication())
        application->quit();
}

} // namespace orvane::sample
