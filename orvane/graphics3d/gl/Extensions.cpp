#include "orvane/graphics3d/gl/Extensions.h"

namespace orvane::graphics3d {

Extensions::Extensions() {
    GLProcLoader loader = glLoader();
    auto getString = reinterpret_cast<const GLubyte* (*)(GLenum)>(loader("glGetString"));
    if (getString)
        extensionString = reinterpret_cast<const char*>(getString(GL_EXTENSIONS));
    entryPoints = loadGLTable(loader, extensionString);
    if (extensionString)
        publishGLTable(entryPoints);
}

bool Extensions::isSupported(const char* name) const noexcept {
    return extensionStringNames(extensionString, name);
}

types::String Extensions::getClassName() const {
    return object::classPath(Object::getClassName(), ":Extensions");
}

} // namespace orvane::graphics3d
