#pragma once

#include <string>

namespace orvane::graphics3d {
class Model;
}

namespace orvane::sample {

// Loads the viewer's model: the 3DS file through the 3DS translator, its textures through
// a texture manager whose directory is `textureDirectory`. Runs on the rendering thread
// with its render context current, since textures become OpenGL textures.
class ModelLoader {
public:
    ModelLoader(std::string modelPath, std::string textureDirectory);

    // The model, owned by the caller, or null with failure() telling in one line which
    // file could not be loaded and why ("data/CAMO1.BMP: FileNotFoundException: ...").
    graphics3d::Model* load();
    const std::string& failure() const noexcept { return why; }

private:
    graphics3d::Model* translate();
    // After a failed translation: the first of the model's textures that does not load,
    // described as failure() describes it; empty when they all load.
    std::string failingTexture();

    std::string modelPath;
    std::string textureDirectory;
    std::string why;
};

} // namespace orvane::sample
