#pragma once

// In-scene views that log their events, for tests that look at them from the test thread.

#include "orvane/gui3d/Root.h"
#include "orvane/gui3d/View.h"
#include "tests/gui/Recording.h"

#include <functional>
#include <string>

namespace orvane::gui3d::test {

using gui::test::EventLog;

class RecordingView : public View {
public:
    RecordingView(EventLog& log, const char* viewName, const Rectangle& area)
        : View(area)
        , log(log) {
        name = viewName;
    }
    bool attached() override { return note("attached"); }
    bool detached() override { return note("detached"); }
    bool activated() override { return note("activated"); }
    bool deactivated() override { return note("deactivated"); }
    bool paint() override {
        note("paint");
        if (painter) // none once the view has left its root
            painter->fillRectangle(bounds);
        return true;
    }
    bool resized(graphics::Size<float> size) override {
        log.add(tag("resized"), size.width, size.height);
        return true;
    }
    bool focusGained() override { return note("focusGained"); }
    bool focusLost() override { return note("focusLost"); }
    bool keyDown(std::uint32_t key) override {
        log.add(tag("keyDown"), float(key));
        return true;
    }
    bool keyUp(std::uint32_t key) override {
        log.add(tag("keyUp"), float(key));
        return true;
    }
    bool character(std::uint32_t key, std::uint32_t modifiers) override {
        log.add(tag("character"), float(key), 0, modifiers);
        return true;
    }
    bool mouseMove(Point p, std::uint32_t buttons) override {
        log.add(tag("mouseMove"), p.x, p.y, buttons);
        return consumes;
    }
    bool mouseButton(Point p, std::uint32_t buttons) override {
        log.add(tag("mouseButton"), p.x, p.y, buttons);
        return consumes;
    }
    bool mouseEnter(Point p, std::uint32_t buttons) override {
        log.add(tag("mouseEnter"), p.x, p.y, buttons);
        return takesEnter;
    }
    bool mouseLeave() override { return note("mouseLeave"); }
    bool handleMessage(application::Message* message) override {
        log.add(tag("message"), float(message->what));
        return true;
    }

    // What mouseMove and mouseButton answer, and what mouseEnter answers.
    bool consumes = false;
    bool takesEnter = false;

private:
    std::string tag(const char* what) const { return std::string(name.cString()) + "." + what; }
    bool note(const char* what) {
        log.add(tag(what));
        return true;
    }

    EventLog& log;
};

// A recording view that, on every event it hears, runs `onEvent` first: a test makes it
// remove itself or others from its root, or add views, in the middle of a dispatch.
class MeddlingView : public RecordingView {
public:
    using RecordingView::RecordingView;
    std::function<void(MeddlingView&)> onEvent;

    bool activated() override {
        run();
        return RecordingView::activated();
    }
    bool deactivated() override {
        run();
        return RecordingView::deactivated();
    }
    bool paint() override {
        run();
        return RecordingView::paint();
    }
    bool resized(graphics::Size<float> size) override {
        run();
        return RecordingView::resized(size);
    }
    bool mouseMove(Point p, std::uint32_t buttons) override {
        run();
        return RecordingView::mouseMove(p, buttons);
    }
    bool mouseButton(Point p, std::uint32_t buttons) override {
        run();
        return RecordingView::mouseButton(p, buttons);
    }
    bool mouseEnter(Point p, std::uint32_t buttons) override {
        run();
        return RecordingView::mouseEnter(p, buttons);
    }
    bool mouseLeave() override {
        run();
        return RecordingView::mouseLeave();
    }

private:
    void run() {
        if (onEvent) {
            // Kept alive through its own call, as a root's caller would not be.
            object::Pointer<View> self(this);
            auto action = onEvent;
            action(*this);
        }
    }
};

// A root whose own handlers log what no view took.
class RecordingRoot : public Root {
public:
    RecordingRoot(EventLog& log, graphics3d::Context* context)
        : Root(context)
        , log(log) {}
    bool keyDown(std::uint32_t key) override {
        log.add("root.keyDown", float(key));
        return true;
    }
    bool keyUp(std::uint32_t key) override {
        log.add("root.keyUp", float(key));
        return true;
    }
    bool character(std::uint32_t key, std::uint32_t modifiers) override {
        log.add("root.character", float(key), 0, modifiers);
        return true;
    }
    bool mouseWheel(float delta, std::uint32_t buttons) override {
        log.add("root.mouseWheel", delta, 0, buttons);
        return true;
    }
    bool mouseButton(Point p, std::uint32_t buttons) override {
        log.add("root.mouseButton", p.x, p.y, buttons);
        return Root::mouseButton(p, buttons);
    }

private:
    EventLog& log;
};

// The names of the logged events, in order, that start with one of the prefixes.
inline std::vector<std::string> eventNames(EventLog& log, const std::string& prefix = "") {
    std::vector<std::string> names;
    for (const auto& event : log.all())
        if (event.what.starts_with(prefix))
            names.push_back(event.what);
    return names;
}

} // namespace orvane::gui3d::test
