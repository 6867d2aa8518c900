#pragma once

#include "orvane/container/Chain.h"
#include "orvane/graphics3d/gl/Extensions.h"
#include "orvane/graphics3d/state/FrameBuffer.h"
#include "orvane/graphics3d/state/StateStacks.h"
#include "orvane/native/GLContext.h"
#include "orvane/object/Object.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

namespace orvane::graphics3d {

// The engine's companion of one OpenGL context: the caches of what is set into OpenGL
// (the six state stacks), the context's extension table and its frame buffer.
//
// Every thread has one current Context (thread-local; null in a new thread) and every
// engine operation that touches OpenGL works on it. All live contexts are linked into one
// global chain, which holds a reference to each, so that the Context of an OpenGL context
// can be found again (`acquire`). A Context belongs to the thread its OpenGL context is
// current on; only the chain is shared, behind a lock.
//
// Lifetime: made by `createForCurrent` (or `acquire`) right after its OpenGL context was
// made current, and taken out of the chain with `retire` just before that OpenGL context
// is destroyed, so that a later OpenGL context at the same address never inherits its
// caches.
class Context : public object::Object, public container::Chainable<Context> {
public:
    // The calling thread's current context, or null. Creates nothing.
    static Context* current() noexcept;
    // The context of the OpenGL context current on the calling thread: the first in the
    // chain that mirrors it, or a new one; it becomes the thread's current context. The
    // chain owns it (no reference for the caller).
    static Context* acquire();
    // A new context for the OpenGL context current on the calling thread (an OpenGL
    // context must be current for its extensions to be read), appended to the chain and
    // made the thread's current context. The creation reference goes to the caller.
    static Context* createForCurrent();
    // Makes the OpenGL context current on the calling thread, takes the frame buffer's
    // size from the window (an offscreen frame buffer keeps its own) and becomes the
    // thread's current context. False, with nothing changed, when OpenGL refuses.
    bool makeCurrent();
    // Leaves the global chain (dropping its reference, which may destroy the context) and
    // stops being the calling thread's current context.
    void retire();
    // The number of contexts in the global chain.
    static std::size_t count();
    // Calls visit for every context of the chain that was last made current on the
    // calling thread (the current one among them): the caches that may hold the thread's
    // objects, which destroyed objects take themselves out of. The chain's lock is held:
    // visit must not create, acquire or retire contexts.
    static void forEachOnThisThread(const std::function<void(Context&)>& visit);

    // True (the default): every stack skips what is set already. False: every stack
    // re-sends its state on each selection.
    void setRedundancyTests(bool on) noexcept;
    bool redundancyTests() const noexcept { return matrixStack.redundancyTests; }

    types::String getClassName() const override;

    Extensions extensions;
    FrameBuffer frameBuffer;
    MatrixStack matrixStack;
    MaterialStack materialStack;
    LightStack lightStack;
    TextureStack textureStack;
    ShaderStack shaderStack;
    ModeStack modeStack;
    // The index data most recently set up for drawing: a client pointer or an offset into
    // a buffer object, the OpenGL index type and the bytes per index. Machine words,
    // since generated code stores into them.
    std::uintptr_t indexPointer = 0;
    std::uintptr_t indexType = 0;
    std::uintptr_t indexSize = 0;
    native::GLContextHandle renderingContext = nullptr;
    native::WindowHandle window = nullptr;
    // The thread the context was last made current on (other threads read it).
    std::atomic<std::thread::id> thread;

    // Byte offsets within a Context of the fields generated code stores into, for
    // storeIndexed with the context's address in a register.
    static const std::ptrdiff_t MATERIAL_OFFSET;
    static const std::ptrdiff_t SHADER_OFFSET;
    static const std::ptrdiff_t INDEX_POINTER_OFFSET;
    static const std::ptrdiff_t INDEX_TYPE_OFFSET;
    static const std::ptrdiff_t INDEX_SIZE_OFFSET;

private:
    Context();
    ~Context() override;
};

} // namespace orvane::graphics3d
