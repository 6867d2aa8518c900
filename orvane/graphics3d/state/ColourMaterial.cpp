#include "orvane/graphics3d/state/ColourMaterial.h"

#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/state/Context.h"

#include <algorithm>

namespace orvane::graphics3d {

void ColourMaterial::apply() {
    Context* context = Context::current();
    MaterialStack::AppliedColours* was = context ? &context->materialStack.colours : nullptr;
    // Compared with what the last colour material left, unless that is unknown.
    const bool delta = was && was->known && context->materialStack.redundancyTests;
    const auto differs = [&](const float(&now)[4], const float(&before)[4]) {
        return !delta || !std::equal(now, now + 4, before);
    };
    const bool colours = differs(ambient, was ? was->ambient : ambient) ||
                         differs(diffuse, was ? was->diffuse : diffuse);
    if (differs(ambient, was ? was->ambient : ambient))
        gl.glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    if (differs(diffuse, was ? was->diffuse : diffuse))
        gl.glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    if (differs(specular, was ? was->specular : specular))
        gl.glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    if (differs(emission, was ? was->emission : emission))
        gl.glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
    if (!delta || shininess != was->shininess)
        gl.glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
    if (!delta)
        gl.glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    // Sent whenever ambient or diffuse is: where colour tracking is on, the current colour
    // decides both, as it does after a whole apply.
    if (colours)
        gl.glColor4fv(ambient);
    if (!was)
        return;
    was->known = true;
    std::copy(ambient, ambient + 4, was->ambient);
    std::copy(diffuse, diffuse + 4, was->diffuse);
    std::copy(specular, specular + 4, was->specular);
    std::copy(emission, emission + 4, was->emission);
    was->shininess = shininess;
}

types::String ColourMaterial::getClassName() const {
    return object::classPath(Material::getClassName(), ":ColourMaterial");
}

} // namespace orvane::graphics3d
