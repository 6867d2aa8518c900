#include "orvane/graphics3d/state/Context.h"

#include <mutex>

namespace orvane::graphics3d {
namespace {

thread_local Context* currentContext = nullptr;

struct ContextChain {
    std::mutex lock;
    container::Chain<Context> contexts;
};

ContextChain& globalChain() {
    static auto* shared = new ContextChain; // never destroyed: threads may outlive statics
    return *shared;
}

} // namespace

// Generated code addresses these fields from the context's address. Context is not a
// standard-layout class (it has virtual functions), for which offsetof is conditionally
// supported; the compilers the engine is built with support it for classes without
// virtual bases, which is all it needs here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
const std::ptrdiff_t Context::MATERIAL_OFFSET =
    offsetof(Context, materialStack) + offsetof(MaterialStack, material);
const std::ptrdiff_t Context::SHADER_OFFSET =
    offsetof(Context, shaderStack) + offsetof(ShaderStack, shader);
const std::ptrdiff_t Context::INDEX_POINTER_OFFSET = offsetof(Context, indexPointer);
const std::ptrdiff_t Context::INDEX_TYPE_OFFSET = offsetof(Context, indexType);
const std::ptrdiff_t Context::INDEX_SIZE_OFFSET = offsetof(Context, indexSize);
#pragma GCC diagnostic pop

Context::Context()
    : renderingContext(native::currentGLContext())
    , window(native::glContextWindow(renderingContext))
    , thread(std::this_thread::get_id()) {}

Context::~Context() {
    if (currentContext == this)
        currentContext = nullptr;
}

Context* Context::current() noexcept {
    return currentContext;
}

Context* Context::acquire() {
    native::GLContextHandle handle = native::currentGLContext();
    {
        std::lock_guard guard(globalChain().lock);
        for (Context* context : globalChain().contexts) {
            if (context->renderingContext == handle) {
                currentContext = context;
                context->thread.store(std::this_thread::get_id(), std::memory_order_relaxed);
                return context;
            }
        }
    }
    Context* made = createForCurrent();
    made->release(); // the chain keeps its own reference
    return made;
}

Context* Context::createForCurrent() {
    auto* context = new Context;
    {
        std::lock_guard guard(globalChain().lock);
        globalChain().contexts.add(context);
    }
    currentContext = context;
    return context;
}

bool Context::makeCurrent() {
    if (!native::makeGLContextCurrent(renderingContext))
        return false;
    native::Rect area;
    if (window && native::getClientRect(window, area)) {
        frameBuffer.setWidth(area.width());
        frameBuffer.setHeight(area.height());
    }
    currentContext = this;
    thread.store(std::this_thread::get_id(), std::memory_order_relaxed);
    return true;
}

void Context::retire() {
    if (currentContext == this)
        currentContext = nullptr;
    std::lock_guard guard(globalChain().lock);
    globalChain().contexts.remove(this);
}

std::size_t Context::count() {
    std::lock_guard guard(globalChain().lock);
    return globalChain().contexts.count();
}

void Context::forEachOnThisThread(const std::function<void(Context&)>& visit) {
    const std::thread::id self = std::this_thread::get_id();
    std::lock_guard guard(globalChain().lock);
    for (Context* context : globalChain().contexts)
        if (context->thread.load(std::memory_order_relaxed) == self)
            visit(*context);
}

void Context::setRedundancyTests(bool on) noexcept {
    matrixStack.redundancyTests = on;
    materialStack.redundancyTests = on;
    lightStack.redundancyTests = on;
    textureStack.redundancyTests = on;
    shaderStack.redundancyTests = on;
    modeStack.redundancyTests = on;
}

types::String Context::getClassName() const {
    return object::classPath(Object::getClassName(), ":Context");
}

} // namespace orvane::graphics3d
