#include "orvane/graphics3d/state/ColourMaterial.h"

#include "orvane/graphics3d/gl/GL.h"

namespace orvane::graphics3d {

void ColourMaterial::apply() {
    gl.glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    gl.glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    gl.glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    gl.glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
    gl.glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
    gl.glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    gl.glColor4fv(ambient);
}

types::String ColourMaterial::getClassName() const {
    return object::classPath(Material::getClassName(), ":ColourMaterial");
}

} // namespace orvane::graphics3d
