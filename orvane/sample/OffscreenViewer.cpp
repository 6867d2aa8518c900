#include "orvane/sample/OffscreenViewer.h"

#include "orvane/graphics3d/state/OffscreenContext.h"
#include "orvane/native/Display.h"
#include "orvane/object/Exception.h"
#include "orvane/object/Pointer.h"
#include "orvane/sample/FrameMonitor.h"
#include "orvane/sample/Gui.h"
#include "orvane/sample/SampleApplication.h"
#include "orvane/sample/Scene.h"

#include <cstdio>
#include <utility>

namespace orvane::sample {
namespace {

using graphics3d::gl;

int failed(const std::string& line) {
    std::fprintf(stderr, "orvane-viewer: %s\n", line.c_str());
    return SampleApplication::EXIT_FAILED;
}

} // namespace

OffscreenViewer::OffscreenViewer(Options options)
    : options(std::move(options)) {}

int OffscreenViewer::run() {
    auto offscreen = object::Pointer<graphics3d::OffscreenContext>::adopt(
        graphics3d::OffscreenContext::create(options.width, options.height));
    if (!offscreen)
        return failed("cannot draw offscreen: " + native::lastError());
    graphics3d::Context& context = *offscreen->context;
    // As the window's view sets up its context.
    gl.glEnable(graphics3d::GL_CULL_FACE);
    gl.glCullFace(graphics3d::GL_BACK);
    gl.glClearColor(options.background[0], options.background[1], options.background[2], 0);
    gl.glViewport(0, 0, options.width, options.height);

    FrameMonitor monitor(
        {options.framesToDraw(), options.snapshot, options.statistics, options.benchmark}, stdout);
    monitor.start();
    auto gui = object::Pointer<Gui>::adopt(new Gui(&context));
    auto scene = object::make<Scene>();
    scene->setAspect(options.width, options.height);
    try {
        if (!scene->load(options.model, options.textures, options.modelGiven))
            return failed(scene->failure());
    } catch (const object::Exception& exception) {
        return failed(displayName(options.model) + ": " + exception.getName().cString() + ": " +
                      exception.getMessage().cString());
    }
    for (const std::string& warning : scene->warnings())
        std::fprintf(stderr, "orvane-viewer: warning: %s\n", warning.c_str());
    monitor.showOn(*gui, fileNameOf(options.model), scene->triangles());
    while (!monitor.isDone()) {
        monitor.sceneBegins();
        scene->render(context, gui->modelMatrix);
        monitor.sceneEnds();
        if (monitor.overlayShown())
            gui->paint();
        monitor.frameEnds(context);
    }
    gl.glFinish();
    if (!monitor.succeeded())
        return failed(monitor.failure());
    return SampleApplication::EXIT_DONE;
}

} // namespace orvane::sample
