#include "orvane/graphics3d/state/Shader.h"

#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/RenderCalls.h"
#include "orvane/system/Assembler.h"

namespace orvane::graphics3d {
namespace {

void makeCurrent(ShaderProgram* program, ShaderProgram*& current) {
    if (program == current)
        return;
    if (current)
        current->disable();
    current = program;
    if (program)
        program->enable();
}

void stopBeingCurrent(ShaderProgram* program, ShaderProgram*& current) {
    if (!program || program != current)
        return;
    current = nullptr;
    program->disable();
}

} // namespace

Shader::Shader(std::uint32_t arrays)
    : arrays(arrays)
    , arrayMask(arrays) {}

Shader::~Shader() {
    const Context* current = Context::current();
    Context::forEachOnThisThread([this, current](Context& context) {
        context.shaderStack.forget(this, &context == current);
    });
}

ShaderUndo Shader::undoRecord() const {
    return {};
}

void Shader::apply() {
    if (Context* context = Context::current()) {
        makeCurrent(programA.get(), context->shaderStack.programA);
        makeCurrent(programB.get(), context->shaderStack.programB);
    }
}

void Shader::unapply() {
    if (Context* context = Context::current()) {
        stopBeingCurrent(programA.get(), context->shaderStack.programA);
        stopBeingCurrent(programB.get(), context->shaderStack.programB);
    }
}

void Shader::emitApply(system::Assembler& assembler) {
    using system::Assembler;
    Shader* self = this;
    assembler.callCdecl(&renderCalls::resetShader);
    assembler.callThisOn(&renderCalls::setShaderClientArrays, self);
    assembler.moveImmediate(Assembler::EDX, self);
    assembler.storeIndexed(Assembler::ESI, Context::SHADER_OFFSET, Assembler::EDX);
    assembler.callThisOn(&renderCalls::applyShader, self);
}

void Shader::setClientArrays() {
    if (Context* context = Context::current())
        context->shaderStack.setClientArrays(arrayMask);
}

void Shader::setArrays(std::uint32_t mask) {
    arrays = mask;
    update();
}

void Shader::update() {
    arrayMask = arrays;
    if (programA)
        arrayMask |= programA->arrays;
    if (programB)
        arrayMask |= programB->arrays;
}

void Shader::setProgramA(ShaderProgram* program) {
    programA = program;
    update();
}

void Shader::setProgramB(ShaderProgram* program) {
    programB = program;
    update();
}

std::uint32_t Shader::sampledUnits() const noexcept {
    return programA || programB ? ALL_TEXTURE_UNITS : textureUnits;
}

types::String Shader::getClassName() const {
    return object::classPath(Resource::getClassName(), ":Shader");
}

} // namespace orvane::graphics3d
