#pragma once

#include "orvane/application/Looper.h"
#include "orvane/container/Chain.h"
#include "orvane/graphics/Geometry.h"
#include "orvane/gui/Context.h"
#include "orvane/gui/View.h"
#include "orvane/native/Window.h"
#include "orvane/system/Signal.h"
#include "orvane/types/String.h"

#include <atomic>
#include <cstdint>
#include <mutex>

namespace orvane::gui {

// A top-level native window that runs its own message loop: a looper whose thread
// creates, serves and destroys the native window, so every event operation below runs on
// that thread. Opening and closing are requests to that thread, each carrying its own
// answer (application::Reply), so every request is answered once, to the caller that made
// it, and a request the thread can no longer serve is answered false.
//
// open() and close() from other threads take turns; each waits for the window's thread.
// Whatever the order of close(), window-manager closes and a thread that ends, closing()
// runs once for every opening, and a closed window can be opened again.
//
// The public operations may be called from any thread. While the window is open, the
// fields below belong to its thread; other threads read them at their peril.
class Window : public application::Looper {
public:
    // Looper messages the window handles itself.
    static constexpr std::uint32_t OPEN = 0x70000001;
    static constexpr std::uint32_t CLOSE = 0x70000002;
    // Paints / lays out the view given as object parameter "view".
    static constexpr std::uint32_t PAINT_VIEW = 0x70000003;
    static constexpr std::uint32_t RESIZE_VIEW = 0x70000004;

    static constexpr const char* CLASS_NAME = "orvane::gui::window::class";
    // Caption, system menu, sizing frame and maximise box; no minimise box.
    static constexpr std::uint32_t DEFAULT_STYLE = 0x00CD0000;
    // The background of the window and view classes (0x00BBGGRR).
    static constexpr std::uint32_t BACKGROUND = 0x00F0F0F0;

    Window();
    // A window still open is closed (and its thread ended) first.
    ~Window() override;

    // Event operations, called on the window's thread.
    // Attaches every view.
    virtual bool opened();
    // Detaches every view.
    virtual bool closing();
    // The window manager asked to close the window; closes it.
    virtual bool closeRequested();
    virtual bool activated();
    virtual bool deactivated();
    // Copies the current position and size into the previous ones.
    virtual bool moved(graphics::Point<float> position);
    // Lays out the anchored views.
    virtual bool resized(graphics::Size<float> size);
    virtual bool paint(Context& context, const graphics::Rectangle<float>& area);
    virtual bool keyDown(std::uint32_t key);
    virtual bool keyUp(std::uint32_t key);
    virtual bool character(std::uint32_t key, std::uint32_t modifiers);
    virtual bool mouseMoved(graphics::Point<float> point, std::uint32_t flags);
    virtual bool mouseButton(graphics::Point<float> point, std::uint32_t flags);
    // Hands the wheel to the focus view; true without one.
    virtual bool mouseWheel(float delta, std::uint32_t flags);

    bool handleMessage(application::Message* message) override;

    // Starts the window's thread and has it create the native window; answers whether
    // the window is open. True at once for an open window. A thread left from an earlier
    // opening (the window closed itself and its thread is on its way out) is waited for
    // first. On failure nothing is left behind: no native window, no thread. From the
    // window's own thread it only answers whether the window is open.
    bool open();
    // Has the window's thread destroy the native window, then ends the thread and waits
    // for it; true when the window was open and is closed now, false when it was not open
    // (a thread still on its way out is waited for all the same). From the window's own
    // thread the window closes at once and the thread ends after the current message.
    bool close();
    bool show();
    bool setTitle(const types::String& text);
    bool setPosition(graphics::Point<float> point);
    bool setSize(graphics::Size<float> newSize);
    // Marks the whole client area / a part of it for repainting; false when not open.
    bool invalidate();
    bool invalidate(const graphics::Rectangle<float>& area);
    // Views join in insertion order and are attached while the window is open.
    bool addView(View* view);
    bool removeView(View* view);
    void removeAllViews();
    // The view that gets keys and the wheel; refused for another window's view.
    bool setFocus(View* view);
    // Clears the focus when `view` has it.
    bool clearFocus(View* view);

    bool isOpen() const noexcept { return openState.load(std::memory_order_acquire); }
    native::WindowHandle getNativeWindow() const noexcept {
        return nativeWindow.load(std::memory_order_acquire);
    }

    // The title.
    types::String getName() const override;
    types::String getClassName() const override;

    // The window class's procedure; a window that replaces its procedure passes on what
    // it leaves alone to this one.
    static std::intptr_t windowProcedure(native::WindowHandle handle, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam);

    container::Chain<View> views;
    graphics::Point<float> position;
    graphics::Size<float> size;
    graphics::Point<float> previousPosition;
    graphics::Size<float> previousSize;
    graphics::Size<float> minimumSize{2.0f, 2.0f};
    graphics::Size<float> maximumSize{4096.0f, 4096.0f};
    types::String title;
    View* focusView = nullptr;
    system::Signal signal;
    Context context;
    native::DeviceContextHandle deviceContext = nullptr;
    std::uint32_t style = DEFAULT_STYLE;

protected:
    bool createNativeWindow();
    void destroyNativeWindow();
    // A window still open when its loop ends (the looper was quit directly, or a handler
    // threw) is closed on its own thread.
    void loopEnded() override;

private:
    bool handleOpen();
    bool handleClose();
    // Posts OPEN or CLOSE to the window itself and waits for its answer.
    bool request(std::uint32_t what);
    bool paintView(View* view);
    bool attachView(View* view);
    bool detachView(View* view);
    void layOut(float dw, float dh);

    std::atomic<bool> openState{false};
    // Held by open() and close() from other threads, so that they take turns.
    std::mutex requests;
    std::atomic<native::WindowHandle> nativeWindow{nullptr};
};

} // namespace orvane::gui
