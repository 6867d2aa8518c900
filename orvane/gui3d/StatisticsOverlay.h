#pragma once

#include "orvane/gui3d/Label.h"
#include "orvane/types/String.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::gui3d {

// Frame statistics drawn over the scene: frames per second and the average frame time
// over the last second, and, once they are given, OpenGL calls per frame, the model's name
// and its triangle count, one line each over a dark background. The overlay takes the
// size of its lines, within the window; a name too long for the window is cut.
//
// The renderer feeds it after every frame:
//
//     overlay->frameFinished(now, renderSeconds);        // seconds on a steady clock
//     overlay->setGLCalls(recorder.total() - before);   // with a counting GLRecorder
//     overlay->setModel("f5e_05.3ds", triangles);       // once, after loading
//
// Fed and painted on the window's thread, like every view.
class StatisticsOverlay : public Label {
public:
    // At the given place; it takes the size of its lines when painted.
    explicit StatisticsOverlay(Point position = {8, 8});

    // One frame has ended at `now` (seconds on any steady clock) after taking `frameTime`
    // seconds to draw.
    void frameFinished(double now, double frameTime);
    void setGLCalls(std::uint64_t callsPerFrame);
    void setModel(const char* modelName, std::uint64_t triangles);

    // Frames per second over the frames of the last second (0 before two frames).
    double framesPerSecond() const;
    // The average frame time of those frames, in milliseconds (0 before any).
    double frameMilliseconds() const;
    // The lines as drawn.
    std::vector<std::string> lines() const;

    bool paint() override;

    types::String getClassName() const override;

    static constexpr double WINDOW_SECONDS = 1.0;
    static constexpr std::size_t MAXIMUM_FRAMES = 1024;

private:
    struct Frame {
        double end;
        double time;
    };
    std::vector<Frame> frames; // oldest first, all within the window but the newest
    bool hasGLCalls = false;
    std::uint64_t glCalls = 0;
    bool hasModel = false;
    std::string model;
    std::uint64_t triangles = 0;
};

} // namespace orvane::gui3d
