#pragma once

#include "orvane/graphics3d/Scene3DS.h"

namespace orvane::graphics3d {

class Model;
class ModelTranslator;

// Turns what Translator3DS read into a model: appearances for the materials (textures
// through the translator's texture manager), vertex and index buffers and meshes for the
// buildable triangle meshes (laid out by MeshLayout3DS), and a model initialised after
// each 3D-editor chunk. Exceptions end the translation; nothing half built is returned.
class ModelBuilder3DS {
public:
    virtual ~ModelBuilder3DS() = default;
    // The model of a scene with at least one 3D-editor chunk, owned by the caller. The
    // translator lends its texture and shader managers.
    virtual Model* build(const Scene3DS& scene, ModelTranslator& translator) = 0;
};

} // namespace orvane::graphics3d
