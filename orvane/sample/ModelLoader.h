#pragma once

#include <string>
#include <vector>

namespace orvane::graphics3d {
class Model;
}

namespace orvane::sample {

// Loads the viewer's model: the 3DS file through the 3DS translator, its textures through
// a texture manager whose directory is `textureDirectory`. Runs on the rendering thread
// with its render context current, since textures become OpenGL textures.
//
// A texture that cannot be loaded does not cost the model: its material is drawn without
// it, and warnings() says which (the translator's "texturefailures" set to "warn").
class ModelLoader {
public:
    ModelLoader(std::string modelPath, std::string textureDirectory);

    // The model, owned by the caller, or null with failure() telling in one line which
    // file could not be loaded and why ("data/f5e.3ds: TranslatorFormatException").
    graphics3d::Model* load();
    const std::string& failure() const noexcept { return why; }
    // One line per texture the model goes without, in the order the materials name them
    // ("GL-14_C2.TGA: texture not found in data").
    const std::vector<std::string>& warnings() const noexcept { return notes; }

private:
    graphics3d::Model* translate();

    std::string modelPath;
    std::string textureDirectory;
    std::string why;
    std::vector<std::string> notes;
};

} // namespace orvane::sample
