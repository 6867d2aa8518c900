#include "orvane/graphics3d/compile/RenderStream.h"

#include <utility>

namespace orvane::graphics3d {

RenderStream::RenderStream(object::Pointer<system::Program> program,
                           container::Array<object::Pointer<Resource>> resources)
    : program(std::move(program))
    , resources(std::move(resources)) {}

RenderStream::~RenderStream() {
    program = nullptr;
    resources.clear();
}

void RenderStream::run() const {
    if (program)
        program->code()();
}

types::String RenderStream::getClassName() const {
    return object::classPath(Resource::getClassName(), ":RenderStream");
}

} // namespace orvane::graphics3d
