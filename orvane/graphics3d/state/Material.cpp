#include "orvane/graphics3d/state/Material.h"

#include "orvane/graphics3d/state/RenderCalls.h"

#include "orvane/graphics3d/state/Context.h"
#include "orvane/system/Assembler.h"
#include "orvane/system/CallingConvention.h"

namespace orvane::graphics3d {
namespace {

// What generated code calls with a material as receiver.
void ORVANE_THISCALL applyMaterial(Material* material) {
    material->apply();
}

} // namespace

Material::~Material() {
    Context::forEachOnThisThread(
        [this](Context& context) { context.materialStack.deselect(this); });
}

void Material::apply() {}

bool Material::compile(system::Assembler&) {
    return false;
}

void Material::emitApply(system::Assembler& assembler) {
    using system::Assembler;
    assembler.moveImmediate(Assembler::EDX, static_cast<Material*>(this));
    assembler.storeIndexed(Assembler::ESI, Context::MATERIAL_OFFSET, Assembler::EDX);
    if (!keepsAppliedColours())
        assembler.callCdecl(&renderCalls::forgetColours);
    if (compile(assembler))
        return;
    assembler.setThis(static_cast<Material*>(this));
    assembler.callThis(&applyMaterial);
}

types::String Material::getClassName() const {
    return object::classPath(Resource::getClassName(), ":Material");
}

} // namespace orvane::graphics3d
