#include "orvane/sample/GraphicsView.h"

#include "orvane/application/Application.h"
#include "orvane/graphics3d/gl/GL.h"
#include "orvane/native/Display.h"
#include "orvane/native/Window.h"
#include "orvane/object/Exception.h"
#include "orvane/sample/Options.h"

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
    settings.model = Options::SAMPLE_MODEL;
    settings.textures = Options::SAMPLE_TEXTURES;
}

GraphicsView::~GraphicsView() {
    if (nativeWindow)
        detach();
}

void GraphicsView::configure(Settings newSettings) {
    settings = std::move(newSettings);
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
    try {
        scene = new Scene();
        int width = 0, height = 0;
        viewportSize(width, height);
        scene->setAspect(width, height);
        if (scene->load(settings.model, settings.textures, settings.framed)) {
            for (const std::string& warning : scene->warnings())
                reportFailure("warning: " + warning);
            gui->limitZoomFor(scene->reach(), scene->camera.near, scene->camera.far);
            monitor->showOn(*gui, fileNameOf(settings.model), scene->triangles());
        } else {
            failure = scene->failure();
        }
    } catch (const object::Exception& exception) {
        failure = displayName(settings.model) + ": " + exception.getName().cString() + ": " +
                  exception.getMessage().cString();
    } catch (const std::exception& exception) {
        failure = displayName(settings.model) + ": " + exception.what();
    }
    if (!failure.empty()) {
        reportFailure(failure);
        state.store(State::FAILED, std::memory_order_release);
        return false;
    }
    state.store(State::SHOWING, std::memory_order_release);
    return true;
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
