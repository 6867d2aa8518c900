#include "orvane/graphics3d/state/PointLight.h"

#include "orvane/graphics3d/gl/GL.h"

namespace orvane::graphics3d {

void PointLight::apply(int index) {
    const GLenum light = GL_LIGHT0 + GLenum(index);
    const float homogeneous[4] = {position[0], position[1], position[2], 1.0f};
    gl.glLightfv(light, GL_AMBIENT, ambient);
    gl.glLightfv(light, GL_DIFFUSE, diffuse);
    gl.glLightfv(light, GL_SPECULAR, specular);
    gl.glLightfv(light, GL_POSITION, homogeneous);
    gl.glLightf(light, GL_CONSTANT_ATTENUATION, constantAttenuation);
    gl.glLightf(light, GL_LINEAR_ATTENUATION, linearAttenuation);
    gl.glLightf(light, GL_QUADRATIC_ATTENUATION, quadraticAttenuation);
    gl.glLightf(light, GL_SPOT_CUTOFF, 180.0f);
    gl.glLightf(light, GL_SPOT_EXPONENT, 0.0f);
}

types::String PointLight::getClassName() const {
    return object::classPath(Light::getClassName(), ":PointLight");
}

} // namespace orvane::graphics3d
