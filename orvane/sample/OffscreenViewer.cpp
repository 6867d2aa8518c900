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
#include <filesystem>
#include <utility>
#include <vector>

namespace orvane::sample {
namespace {

using graphics3d::gl;

} // namespace

OffscreenViewer::OffscreenViewer(Options options, std::string program, std::FILE* err)
    : options(std::move(options))
    , program(std::move(program))
    , err(err) {}

int OffscreenViewer::failed(const std::string& line) const {
    std::fprintf(err, "%s: %s\n", program.c_str(), line.c_str());
    return SampleApplication::EXIT_FAILED;
}

int OffscreenViewer::run() {
    auto offscreen = object::Pointer<graphics3d::OffscreenContext>::adopt(
        graphics3d::OffscreenContext::create(options.width, options.height));
    if (!offscreen)
        return failed("cannot draw offscreen: " + native::lastError());
    // As the window's view sets up its context.
    gl.glEnable(graphics3d::GL_CULL_FACE);
    gl.glCullFace(graphics3d::GL_BACK);
    gl.glClearColor(options.background[0], options.background[1], options.background[2], 0);
    gl.glViewport(0, 0, options.width, options.height);

    if (options.snapshotsInDirectory()) {
        std::error_code error;
        std::filesystem::create_directories(displayName(options.snapshot), error);
        if (error)
            return failed("cannot make the directory " + displayName(options.snapshot) + ": " +
                          error.message());
    }
    std::vector<std::string> models = options.models;
    if (models.empty())
        models.push_back(options.model);
    int code = SampleApplication::EXIT_DONE;
    for (const std::string& model : models)
        if (drawModel(*offscreen->context, model) != SampleApplication::EXIT_DONE)
            code = SampleApplication::EXIT_FAILED; // the others are drawn all the same
    return code;
}

int OffscreenViewer::drawModel(graphics3d::Context& context, const std::string& model) {
    FrameMonitor monitor(
        {options.framesToDraw(), options.snapshotFor(model), options.statistics, options.benchmark},
        stdout);
    monitor.start();
    auto gui = object::Pointer<Gui>::adopt(new Gui(&context));
    if (options.turn[0] != 0 || options.turn[1] != 0)
        gui->turnTo(options.turn[0], options.turn[1]);
    auto scene = object::make<Scene>();
    scene->setAspect(options.width, options.height);
    try {
        if (!scene->load(model, options.texturesFor(model), options.modelGiven, options.scale))
            return failed(scene->failure());
    } catch (const object::Exception& exception) {
        return failed(displayName(model) + ": " + exception.getName().cString() + ": " +
                      exception.getMessage().cString());
    }
    for (const std::string& warning : scene->warnings())
        std::fprintf(err, "%s: warning: %s\n", program.c_str(), warning.c_str());
    monitor.showOn(*gui, fileNameOf(model), scene->triangles());
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
