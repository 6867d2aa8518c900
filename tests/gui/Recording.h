#pragma once

// Windows and views that log their events (from the window's thread) for tests that
// look at them from the test thread.

#include "orvane/gui/View.h"
#include "orvane/gui/Window.h"
#include "orvane/system/Thread.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvane::gui::test {

struct Event {
    std::string what;
    float x = 0, y = 0;
    std::uint32_t flags = 0;
    system::Thread* thread = nullptr;
};

class EventLog {
public:
    void add(std::string what, float x = 0, float y = 0, std::uint32_t flags = 0) {
        std::lock_guard guard(lock);
        events.push_back({std::move(what), x, y, flags, system::Thread::current()});
    }
    std::vector<Event> all() {
        std::lock_guard guard(lock);
        return events;
    }
    std::vector<Event> named(const std::string& what) {
        std::vector<Event> found;
        for (const Event& event : all())
            if (event.what == what)
                found.push_back(event);
        return found;
    }
    std::size_t count(const std::string& what) { return named(what).size(); }
    void clear() {
        std::lock_guard guard(lock);
        events.clear();
    }
    // Waits (up to five seconds) until the event has been logged at least `times` times.
    bool waitFor(const std::string& what, std::size_t times = 1) {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (count(what) < times) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

private:
    std::mutex lock;
    std::vector<Event> events;
};

class RecordingView : public View {
public:
    RecordingView(EventLog& log, const graphics::Rectangle<float>& area)
        : View(area)
        , log(log) {}

    bool paint(Context&, const graphics::Rectangle<float>& area) override {
        log.add("view.paint", area.width, area.height);
        return true;
    }
    bool resized(graphics::Size<float> newSize) override {
        log.add("view.resized", newSize.width, newSize.height);
        return true;
    }
    bool focusGained() override {
        log.add("view.focusGained");
        return true;
    }
    bool focusLost() override {
        log.add("view.focusLost");
        return true;
    }
    bool keyDown(std::uint32_t key) override {
        log.add("view.keyDown", 0, 0, key);
        return true;
    }
    bool keyUp(std::uint32_t key) override {
        log.add("view.keyUp", 0, 0, key);
        return true;
    }
    bool character(std::uint32_t key, std::uint32_t modifiers) override {
        log.add("view.character", float(key), 0, modifiers);
        return true;
    }
    bool mouseMoved(graphics::Point<float> point, std::uint32_t flags) override {
        log.add("view.mouseMoved", point.x, point.y, flags);
        return true;
    }
    bool mouseButton(graphics::Point<float> point, std::uint32_t flags) override {
        log.add("view.mouseButton", point.x, point.y, flags);
        return true;
    }
    bool mouseEntered(graphics::Point<float> point, std::uint32_t flags) override {
        log.add("view.mouseEntered", point.x, point.y, flags);
        return true;
    }
    bool mouseLeft() override {
        log.add("view.mouseLeft");
        return true;
    }
    bool mouseWheel(float delta, std::uint32_t flags) override {
        log.add("view.mouseWheel", delta, 0, flags);
        return true;
    }

private:
    EventLog& log;
};

class RecordingWindow : public Window {
public:
    explicit RecordingWindow(EventLog& log)
        : log(log) {}
    ~RecordingWindow() override { close(); }

    bool opened() override {
        log.add("opened");
        return Window::opened();
    }
    bool closing() override {
        log.add("closing");
        return Window::closing();
    }
    bool closeRequested() override {
        log.add("closeRequested");
        return closeOnRequest ? Window::closeRequested() : true;
    }
    bool resized(graphics::Size<float> newSize) override {
        log.add("resized", newSize.width, newSize.height);
        return Window::resized(newSize);
    }
    bool paint(Context& context, const graphics::Rectangle<float>& area) override {
        log.add("paint", area.width, area.height);
        return painter ? painter(context) : true;
    }
    bool mouseMoved(graphics::Point<float> point, std::uint32_t flags) override {
        log.add("mouseMoved", point.x, point.y, flags);
        return true;
    }
    bool keyDown(std::uint32_t key) override {
        log.add("keyDown", 0, 0, key);
        return true;
    }

    bool closeOnRequest = true;
    bool (*painter)(Context&) = nullptr;

private:
    EventLog& log;
};

} // namespace orvane::gui::test
