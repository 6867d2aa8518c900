#pragma once

#include <cstdint>

namespace orvane::native {

// A window's name. Handles are serial numbers, never addresses, and are never reused while
// the process runs: a handle kept after its window was destroyed names no other window.
struct WindowHandleValue;
using WindowHandle = WindowHandleValue*;

// One message taken from a thread's queue: a window message (window set) or a thread
// message (window null).
struct NativeMessage {
    WindowHandle window = nullptr;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    // For WM_KEYDOWN: the character the key press produced (0 for none);
    // translateMessage() turns it into a WM_CHAR.
    std::uint32_t character = 0;
};

// Per-thread message queues.
//
// Every thread that calls into this layer gets a queue the first time it touches it
// (touchThreadQueue, peekMessage, getMessage, or creating a window). Other threads post
// to it by thread identifier; a post to a thread that has no queue, or whose queue has
// been closed, fails. A queue is a mutex-guarded deque with an eventfd that wakes its
// thread; a thread that owns windows waits on the eventfd and on its X connection
// together, so that posted messages, window input and paint requests all end its wait.
//
// Order of retrieval: posted messages, then window input in arrival order, then one
// WM_PAINT for a window with an invalid area when nothing else is pending.

// The calling thread's identifier (the kernel's thread id).
std::uint32_t currentThreadId() noexcept;

// Makes sure the calling thread has a queue.
void touchThreadQueue();

// Appends a thread message to the queue of the given thread. False when that thread has
// no open queue. Safe from any thread.
bool postThreadMessage(std::uint32_t threadId, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam);

// Waits until a message is available and takes it. Answers false for WM_QUIT (which is
// taken out as well), true for everything else.
bool getMessage(NativeMessage& message);

// Takes (remove = true) or looks at the next message without waiting; false when none.
bool peekMessage(NativeMessage& message, bool remove = true);

// Turns a WM_KEYDOWN that produced a character into a WM_CHAR that is the next message
// the thread receives. Answers whether it did.
bool translateMessage(const NativeMessage& message);

// Calls the procedure of the message's window with the message; 0 for thread messages
// and for windows that no longer exist.
std::intptr_t dispatchMessage(const NativeMessage& message);

// Visits every message still posted to the calling thread and closes its queue: from
// now on posts to this thread fail. Used by threads that carry pointers in their
// messages, so that nothing is lost silently when they end. Touching the queue again
// opens a fresh one.
void closeThreadQueue(void (*visit)(const NativeMessage&, void* context), void* context);

} // namespace orvane::native
