// orvane-example [MODEL.3ds] [--frames N]
//
// Opens a window with an OpenGL view that shows a 3DS model (the installed sample jet by
// default) until the window is closed, or for N frames. After N frames it says how many
// pixels of the last frame the model covered. Exit code 0 when the model was shown, 1 when
// it could not be, 2 for bad arguments.
#include "ModelView.h"

#include "orvane/gui/Window.h"
#include "orvane/native/Display.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Arguments {
    std::string model = ORVANE_EXAMPLE_MODEL;
    int frames = 0;
};

bool parse(int argc, char** argv, Arguments& arguments) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--frames" && i + 1 < argc) {
            arguments.frames = std::atoi(argv[++i]);
            if (arguments.frames <= 0)
                return false;
        } else if (!argument.empty() && argument[0] != '-') {
            arguments.model = argument;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    using namespace orvane;
    Arguments arguments;
    if (!parse(argc, argv, arguments)) {
        std::fprintf(stderr, "usage: orvane-example [MODEL.3ds] [--frames N]\n");
        return 2;
    }

    // The window runs its own thread; the view is attached, and the model loaded, there.
    gui::Window window;
    window.setTitle("Orvane example");
    window.setSize({640, 480});
    auto* view = new example::ModelView({0, 0, 640, 480}, arguments.model, arguments.frames);
    view->anchors = gui::View::ANCHOR_LEFT | gui::View::ANCHOR_RIGHT | gui::View::ANCHOR_TOP |
                    gui::View::ANCHOR_BOTTOM;
    window.addView(view);
    if (!window.open()) {
        std::fprintf(stderr, "orvane-example: cannot open a window: %s\n",
                     native::lastError().c_str());
        view->release();
        return 1;
    }

    // Until the frame count is reached, the model fails, or the user closes the window.
    view->finished.wait();
    window.close(); // returns once the window's thread has let go of the display

    int code = 0;
    if (!view->failure.empty()) {
        std::fprintf(stderr, "orvane-example: %s\n", view->failure.c_str());
        code = 1;
    } else if (arguments.frames > 0) {
        std::printf("orvane-example: %d frames drawn; the model covered %llu pixels\n",
                    view->framesDrawn, static_cast<unsigned long long>(view->modelPixels));
    }
    view->release();
    return code;
}
