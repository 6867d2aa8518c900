#include "orvane/native/ThreadQueue.h"

#include "orvane/native/Messages.h"
#include "orvane/native/ThreadState.h"
#include "orvane/native/WindowRecord.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace orvane::native {
namespace {

// Queues by thread identifier. A queue leaves the registry when it is closed or its thread
// ends; posters that found it keep it alive through their shared pointer.
struct QueueRegistry {
    std::mutex lock;
    std::unordered_map<std::uint32_t, std::shared_ptr<ThreadState>> queues;
};

QueueRegistry& queueRegistry() {
    static auto* registry = new QueueRegistry; // never destroyed: threads may outlive statics
    return *registry;
}

void registerQueue(const std::shared_ptr<ThreadState>& state) {
    std::lock_guard guard(queueRegistry().lock);
    queueRegistry().queues[state->threadId] = state;
}

void unregisterQueue(const ThreadState& state) {
    std::lock_guard guard(queueRegistry().lock);
    auto found = queueRegistry().queues.find(state.threadId);
    if (found != queueRegistry().queues.end() && found->second.get() == &state)
        queueRegistry().queues.erase(found);
}

std::shared_ptr<ThreadState> findQueue(std::uint32_t threadId) {
    std::lock_guard guard(queueRegistry().lock);
    auto found = queueRegistry().queues.find(threadId);
    return found == queueRegistry().queues.end() ? nullptr : found->second;
}

// The thread's slot: owns its state and tears it down when the thread ends.
struct ThreadSlot {
    std::shared_ptr<ThreadState> state;
    ~ThreadSlot() {
        if (!state)
            return;
        {
            std::lock_guard guard(state->lock);
            state->closed = true;
        }
        unregisterQueue(*state);
        abandonWindows(*state);
        closeConnection(*state);
    }
};

thread_local ThreadSlot slot;

int makeWakeFd() {
    int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
    return fd;
}

void runRequests(ThreadState& state) {
    for (;;) {
        std::function<void()> request;
        {
            std::lock_guard guard(state.lock);
            if (state.requests.empty())
                return;
            request = std::move(state.requests.front());
            state.requests.pop_front();
        }
        request();
    }
}

bool takeFrom(std::deque<NativeMessage>& queue, NativeMessage& message, bool remove) {
    if (queue.empty())
        return false;
    message = queue.front();
    if (remove)
        queue.pop_front();
    return true;
}

bool takePosted(ThreadState& state, NativeMessage& message, bool remove) {
    std::lock_guard guard(state.lock);
    return takeFrom(state.posted, message, remove);
}

// A WM_PAINT for the first window with an invalid area. The window stays invalid until
// its procedure validates it (beginPaint, validateRect or the default procedure).
bool takePaint(ThreadState& state, NativeMessage& message) {
    std::lock_guard guard(state.lock);
    if (state.invalidWindows.empty())
        return false;
    message = NativeMessage{state.invalidWindows.front()->handle, WM_PAINT, 0, 0, 0};
    return true;
}

// Sleeps until something arrives. Posters write to the eventfd only while the thread is
// marked waiting, so a busy thread costs them no system call; the mark is made under
// the lock together with a last look at the queue, so no post can slip in between.
void waitForWork(ThreadState& state) {
    {
        std::lock_guard guard(state.lock);
        if (!state.posted.empty() || !state.requests.empty() || !state.invalidWindows.empty())
            return;
        state.waiting = true;
    }
    pollfd fds[2] = {{state.wakeFd, POLLIN, 0}, {-1, POLLIN, 0}};
    nfds_t count = 1;
    if (state.display) {
        fds[1].fd = ConnectionNumber(state.display);
        count = 2;
    }
    while (poll(fds, count, -1) < 0 && errno == EINTR) {
    }
    {
        std::lock_guard guard(state.lock);
        state.waiting = false;
    }
    state.drainWakeups();
}

bool retrieve(NativeMessage& message, bool remove, bool wait) {
    ThreadState& state = currentThreadState();
    for (;;) {
        runRequests(state);
        if (takeFrom(state.next, message, remove) || takePosted(state, message, remove))
            return true;
        if (state.display) {
            pumpEvents(state);
            if (takeFrom(state.input, message, remove))
                return true;
        }
        if (takePaint(state, message))
            return true;
        if (!wait)
            return false;
        waitForWork(state);
    }
}

} // namespace

ThreadState::ThreadState(std::uint32_t threadId)
    : threadId(threadId)
    , wakeFd(makeWakeFd()) {}

ThreadState::~ThreadState() {
    close(wakeFd);
}

void ThreadState::wake() const noexcept {
    std::uint64_t one = 1;
    // A full counter already guarantees a wake-up, so a failed write loses nothing.
    [[maybe_unused]] auto written = write(wakeFd, &one, sizeof one);
}

void ThreadState::drainWakeups() const noexcept {
    std::uint64_t count;
    [[maybe_unused]] auto read = ::read(wakeFd, &count, sizeof count);
}

ThreadState& currentThreadState() {
    if (!slot.state) {
        slot.state = std::make_shared<ThreadState>(currentThreadId());
        registerQueue(slot.state);
    }
    return *slot.state;
}

ThreadState* existingThreadState() noexcept {
    return slot.state.get();
}

std::uint32_t currentThreadId() noexcept {
    return static_cast<std::uint32_t>(gettid());
}

void touchThreadQueue() {
    ThreadState& state = currentThreadState();
    bool reopen;
    {
        std::lock_guard guard(state.lock);
        reopen = state.closed;
        state.closed = false;
    }
    if (reopen)
        registerQueue(slot.state);
}

bool postThreadMessage(std::uint32_t threadId, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) {
    std::shared_ptr<ThreadState> state = findQueue(threadId);
    if (!state)
        return false;
    bool sleeping;
    {
        std::lock_guard guard(state->lock);
        if (state->closed)
            return false;
        state->posted.push_back(NativeMessage{nullptr, message, wParam, lParam, 0});
        sleeping = std::exchange(state->waiting, false);
    }
    if (sleeping)
        state->wake();
    return true;
}

bool getMessage(NativeMessage& message) {
    touchThreadQueue();
    retrieve(message, true, true);
    return message.message != WM_QUIT;
}

bool peekMessage(NativeMessage& message, bool remove) {
    touchThreadQueue();
    return retrieve(message, remove, false);
}

bool translateMessage(const NativeMessage& message) {
    if (message.message != WM_KEYDOWN || message.character == 0 || !message.window)
        return false;
    currentThreadState().next.push_back(
        NativeMessage{message.window, WM_CHAR, message.character, message.lParam, 0});
    return true;
}

std::intptr_t dispatchMessage(const NativeMessage& message) {
    if (!message.window)
        return 0;
    WindowRecord* window = ownedWindow(message.window);
    if (!window)
        return 0;
    return window->procedure(message.window, message.message, message.wParam, message.lParam);
}

void closeThreadQueue(void (*visit)(const NativeMessage&, void* context), void* context) {
    ThreadState& state = currentThreadState();
    std::deque<NativeMessage> left;
    {
        std::lock_guard guard(state.lock);
        state.closed = true;
        left.swap(state.posted);
    }
    unregisterQueue(state);
    if (visit)
        for (const NativeMessage& message : left)
            visit(message, context);
}

void forgetMessagesFor(ThreadState& state, WindowRecord* window) {
    auto drop = [handle = window->handle](std::deque<NativeMessage>& queue) {
        std::erase_if(queue, [handle](const NativeMessage& m) { return m.window == handle; });
    };
    drop(state.next);
    drop(state.input);
    std::lock_guard guard(state.lock);
    drop(state.posted);
    std::erase(state.invalidWindows, window);
}

} // namespace orvane::native
