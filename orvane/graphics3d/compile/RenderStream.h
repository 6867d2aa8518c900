#pragma once

#include "orvane/container/Array.h"
#include "orvane/graphics3d/state/Resource.h"
#include "orvane/object/Pointer.h"
#include "orvane/system/Program.h"

namespace orvane::graphics3d {

// A compiled sequence of rendering steps: the program a Compiler made and a counted
// reference to every resource its code calls or points into, so that those live at least
// as long as the stream, whoever else lets go of them. Made by Compiler::finish (count 1).
//
// Running it needs the render Context the resources belong to current on the calling
// thread; the code reads the context at every run.
class RenderStream : public Resource {
public:
    RenderStream(object::Pointer<system::Program> program,
                 container::Array<object::Pointer<Resource>> resources);
    // Releases the program, then the resources in order.
    ~RenderStream() override;

    // Runs the code once; nothing when the assembler refused the program.
    void run() const;

    const system::Program* getProgram() const noexcept { return program.get(); }
    // In creation order of the resources, each once.
    const container::Array<object::Pointer<Resource>>& getResources() const noexcept {
        return resources;
    }

    types::String getClassName() const override;

private:
    object::Pointer<system::Program> program;
    container::Array<object::Pointer<Resource>> resources;
};

} // namespace orvane::graphics3d
