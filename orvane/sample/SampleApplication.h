#pragma once

#include "orvane/application/Application.h"
#include "orvane/sample/Options.h"

namespace orvane::sample {

class GraphicsView;
class MainWindow;
class RedrawTicker;

// The viewer's application: on start it opens the main window with the graphics view and
// starts the redraw ticker; on stop it stops the ticker and closes the window. Every
// message other than the quit message is accepted and ignored.
class SampleApplication : public application::Application {
public:
    static constexpr std::int32_t REDRAW_MILLISECONDS = 20;

    // Exit codes: after the window was closed; after a frame count or snapshot run that
    // did what it was asked; when it could not (nothing to show or draw on).
    static constexpr int EXIT_CLOSED = 1;
    static constexpr int EXIT_DONE = 0;
    static constexpr int EXIT_FAILED = 2;

    explicit SampleApplication(Options options = Options());
    ~SampleApplication() override;

    bool handleMessage(application::Message* message) override;
    bool onStart() override;
    bool onStop() override;

    // The process's exit code once run() has returned.
    int exitCode() const noexcept { return code; }
    // Whether the window could not be opened for a snapshot, which can still be drawn
    // offscreen.
    bool needsOffscreen() const noexcept { return offscreenWanted; }

    types::String getClassName() const override;

    MainWindow* mainWindow = nullptr;
    GraphicsView* graphicsView = nullptr;
    RedrawTicker* redrawTicker = nullptr;

private:
    // Ends the run before anything was drawn.
    void giveUp(int exitCode);

    Options options;
    int code = EXIT_CLOSED;
    bool offscreenWanted = false;
};

} // namespace orvane::sample
