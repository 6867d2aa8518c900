#pragma once

#include "orvane/native/FileWatch.h"

#include <string>

namespace orvane::sample {

// Tells the viewer when to load its model again: the model's file, or a picture file in
// its texture directory, was written, replaced, created or removed, and then nothing of
// the kind happened for QUIET seconds, so that a file still being written is not read
// half-way. Used on the window's thread, asked once a frame.
class ModelWatch {
public:
    static constexpr double QUIET = 0.15;

    ModelWatch(const std::string& modelPath, const std::string& textureDirectory);

    // Whether the directories could be watched; failure() says why not.
    bool isWatching() const noexcept { return watching; }
    const std::string& failure() const noexcept { return watch.lastError(); }
    // Whether the model should be loaded again now (`now` in seconds, any steady clock);
    // true once per quiet spell after changes.
    bool due(double now);

private:
    bool concernsModel(const std::string& path) const;

    native::FileWatch watch;
    std::string modelDirectory;
    std::string modelFile;
    std::string textureDirectory;
    bool watching = false;
    double changedAt = -1; // the last relevant change not yet answered, else -1
};

} // namespace orvane::sample
