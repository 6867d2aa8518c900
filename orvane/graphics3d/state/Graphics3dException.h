#pragma once

#include "orvane/object/Exception.h"

namespace orvane::graphics3d {

// What the rendering code raises. The texture code raises them without text, so the
// message is the class's short name: TypeException for an image format OpenGL has no
// texture format for, TextureException for an OpenGL error while a texture is made.
ORVANE_EXCEPTION(Graphics3dException, object::Exception);
ORVANE_EXCEPTION(TextureException, Graphics3dException);
ORVANE_EXCEPTION(TypeException, Graphics3dException);

} // namespace orvane::graphics3d
