#pragma once

// Internal to the native layer: included only by its own sources, never by a public header.

#include "orvane/native/ThreadQueue.h"

#include <X11/Xlib.h>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace orvane::native {

struct WindowRecord;

// Everything the native layer keeps for one thread: its message queue (shared with the
// threads that post to it, behind `lock`) and its X connection, windows and input state
// (touched only by the thread itself).
struct ThreadState {
    explicit ThreadState(std::uint32_t threadId);
    ~ThreadState();
    ThreadState(const ThreadState&) = delete;
    ThreadState& operator=(const ThreadState&) = delete;

    // Wakes the thread from a wait in getMessage. Safe from any thread.
    void wake() const noexcept;
    // Resets the wake-up counter after a wait.
    void drainWakeups() const noexcept;

    const std::uint32_t threadId;
    const int wakeFd; // eventfd

    // Shared with other threads, guarded by lock.
    std::mutex lock;
    std::deque<NativeMessage> posted;
    // Work that other threads asked the owner to do on its windows (titles, geometry).
    std::deque<std::function<void()>> requests;
    // Windows with an invalid area, in the order they became invalid.
    std::vector<WindowRecord*> invalidWindows;
    bool closed = false;
    // The owner sleeps (or is about to) in getMessage and needs the eventfd to wake.
    bool waiting = false;

    // The owner's own.
    Display* display = nullptr;
    Atom wmProtocols = 0;
    Atom wmDeleteWindow = 0;
    Atom wmPid = 0;
    bool detectableAutoRepeat = false;
    std::deque<NativeMessage> next;  // produced by translateMessage, retrieved first
    std::deque<NativeMessage> input; // translated X events
    std::unordered_map<XID, WindowRecord*> windowsById;
    std::vector<WindowRecord*> topLevelWindows;
    std::array<bool, 256> keysDown{};
};

// The calling thread's state, made (and its queue registered) on first use.
ThreadState& currentThreadState();
// The calling thread's state if it has one, else null; never creates.
ThreadState* existingThreadState() noexcept;

// Opens the calling thread's X connection if it has none; false (with lastError set)
// when the display cannot be reached.
bool ensureConnection(ThreadState& state);
// Closes the connection of an ending thread.
void closeConnection(ThreadState& state);
void setLastError(const std::string& text);
// The code of the last X protocol error on the calling thread (0 for none), cleared.
int takeProtocolError() noexcept;

// Reads every event the connection has and turns it into input messages; never waits.
void pumpEvents(ThreadState& state);
// Brings the key-state table in line with a 32-byte X key vector.
void synchroniseKeys(ThreadState& state, const char keys[32]);
// The virtual key of an X key code (its unshifted key symbol), 0 for unknown keys.
std::uint32_t virtualKeyOf(Display* display, unsigned keycode);
// The virtual key of an X key symbol, 0 for unknown symbols; separately testable.
std::uint32_t virtualKeyOfSymbol(unsigned long keysym);

// Window records of an ending thread are freed without messages.
void abandonWindows(ThreadState& state);
// Releases the OpenGL context current on an ending thread and destroys the window
// contexts made on its connection, before that connection closes.
void abandonGLContexts(ThreadState& state);
// Drops queued messages addressed to a window that is going away.
void forgetMessagesFor(ThreadState& state, WindowRecord* window);

} // namespace orvane::native
