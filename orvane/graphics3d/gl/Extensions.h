#pragma once

#include "orvane/graphics3d/gl/GL.h"
#include "orvane/object/Object.h"

namespace orvane::graphics3d {

// The extension string and entry points of one OpenGL context; every render Context owns
// one, built while its OpenGL context is current.
//
// The first Extensions built for a real context (one that answers an extension string)
// publishes its table into `gl`, which the whole process then calls through: later
// contexts keep their own table and publish nothing. One built with no current context
// has a null string, no extension entry points and publishes nothing either, so that it
// cannot leave the process without OpenGL once a real context appears.
class Extensions : public object::Object {
public:
    Extensions();

    // Whether the extension string names `name` as a whole word.
    bool isSupported(const char* name) const noexcept;

    types::String getClassName() const override;

    // Owned by OpenGL, valid while the context lives; null without a context.
    const char* extensionString = nullptr;
    // Every slot of the table for this context: null for extension rows the string does
    // not name.
    GLTable entryPoints;
};

} // namespace orvane::graphics3d
