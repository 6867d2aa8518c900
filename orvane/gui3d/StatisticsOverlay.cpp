#include "orvane/gui3d/StatisticsOverlay.h"

#include <cstdio>

namespace orvane::gui3d {
namespace {

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

} // namespace

StatisticsOverlay::StatisticsOverlay(Point position)
    : Label({position.x, position.y, 220, 84}, "") {
    setBackground(0.05f, 0.05f, 0.1f);
    setTextColour(1, 1, 0.6f);
    padding = 4;
}

void StatisticsOverlay::frameFinished(double now, double frameTime) {
    frames.push_back({now, frameTime});
    std::size_t stale = 0;
    while (stale < frames.size() - 1 &&
           (now - frames[stale].end > WINDOW_SECONDS || frames.size() - stale > MAXIMUM_FRAMES))
        ++stale;
    frames.erase(frames.begin(), frames.begin() + std::ptrdiff_t(stale));
}

void StatisticsOverlay::setGLCalls(std::uint64_t callsPerFrame) {
    hasGLCalls = true;
    glCalls = callsPerFrame;
}

void StatisticsOverlay::setModel(const char* modelName, std::uint64_t triangleCount) {
    hasModel = true;
    model = modelName ? modelName : "";
    triangles = triangleCount;
}

double StatisticsOverlay::framesPerSecond() const {
    if (frames.size() < 2)
        return 0;
    const double span = frames.back().end - frames.front().end;
    return span > 0 ? double(frames.size() - 1) / span : 0;
}

double StatisticsOverlay::frameMilliseconds() const {
    if (frames.empty())
        return 0;
    double sum = 0;
    for (const Frame& frame : frames)
        sum += frame.time;
    return sum * 1000 / double(frames.size());
}

std::vector<std::string> StatisticsOverlay::lines() const {
    std::vector<std::string> result{format("%.1f fps", framesPerSecond()),
                                    format("%.2f ms a frame", frameMilliseconds())};
    if (hasGLCalls)
        result.push_back(std::to_string(glCalls) + " GL calls a frame");
    if (hasModel) {
        result.push_back(model);
        result.push_back(std::to_string(triangles) + " triangles");
    }
    return result;
}

bool StatisticsOverlay::paint() {
    const std::vector<std::string> text = fitLines(lines());
    paintBackground();
    for (std::size_t i = 0; i < text.size(); ++i)
        drawLine(int(i), text[i].c_str());
    endPaint();
    return true;
}

types::String StatisticsOverlay::getClassName() const {
    return object::classPath(Label::getClassName(), ":StatisticsOverlay");
}

} // namespace orvane::gui3d
