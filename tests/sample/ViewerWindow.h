#pragma once

// The viewer's window as another client of the display sees it: found by its title,
// moved, measured and read back pixel by pixel. Include after GoogleTest (Xlib's macros).

#include "tests/support/XInput.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane::test {

// One frame of the view, 0xRRGGBB per pixel, row by row from the top.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    bool empty() const { return pixels.empty(); }
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y * width + x)]; }
    bool operator==(const Frame&) const = default;

    // Pixels brighter than the black background (any channel above a small threshold).
    bool lit(int x, int y) const {
        const std::uint32_t p = at(x, y);
        return ((p >> 16) & 0xFF) > 16 || ((p >> 8) & 0xFF) > 16 || (p & 0xFF) > 16;
    }
    int litCount() const {
        int count = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                count += lit(x, y);
        return count;
    }
    // Rows from the first to the last with a lit pixel; 0 when nothing is lit.
    int litHeight() const {
        int top = height, bottom = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (lit(x, y)) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return bottom < top ? 0 : bottom - top + 1;
    }
    // Columns from the first to the last with a lit pixel; 0 when nothing is lit.
    int litWidth() const {
        int left = width, right = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (lit(x, y)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return right < left ? 0 : right - left + 1;
    }
    // The mean luminance of the lit pixels, 0 to 255 (Rec. 601 weights); 0 when none is.
    double litLuminance() const {
        double sum = 0;
        int count = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (lit(x, y)) {
                    const std::uint32_t p = at(x, y);
                    sum +=
                        0.299 * ((p >> 16) & 0xFF) + 0.587 * ((p >> 8) & 0xFF) + 0.114 * (p & 0xFF);
                    ++count;
                }
        return count ? sum / count : 0;
    }
    // The centre of the lit pixels.
    void centroid(double& cx, double& cy) const {
        double sx = 0, sy = 0;
        int count = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (lit(x, y)) {
                    sx += x;
                    sy += y;
                    ++count;
                }
        cx = count ? sx / count : 0;
        cy = count ? sy / count : 0;
    }
    // Pixels lit in one frame and not in the other.
    int silhouetteDifference(const Frame& other) const {
        int count = 0;
        for (int y = 0; y < height && y < other.height; ++y)
            for (int x = 0; x < width && x < other.width; ++x)
                count += lit(x, y) != other.lit(x, y);
        return count;
    }
};

class ViewerWindow {
public:
    // A window that goes away between two requests (the viewer ending) must fail the
    // request, not end the test process as Xlib's default error handler does.
    explicit ViewerWindow(XInput& input)
        : input(input)
        , display(input.get()) {
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    }

    // The viewer's title: "Orvane", or "Orvane - NAME (I of N)" while it pages through
    // several models.
    static bool isViewerTitle(const std::string& title) {
        return title == "Orvane" || title.rfind("Orvane - ", 0) == 0;
    }

    // The top-level window titled as the viewer's that process `owner` made, or 0. Other
    // windows with that title (another viewer on the same display) are not taken for it.
    std::uint64_t find(long owner) const {
        ::Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
        unsigned count = 0;
        std::uint64_t found = 0;
        if (!XQueryTree(display, root, &root, &parent, &children, &count))
            return 0;
        for (unsigned i = count; i-- > 0 && !found;)
            if (isViewerTitle(title(children[i])) && viewable(children[i]) &&
                process(children[i]) == owner)
                found = children[i];
        if (children)
            XFree(children);
        return found;
    }

    std::string title(std::uint64_t window) const {
        char* name = nullptr;
        std::string text;
        if (XFetchName(display, ::Window(window), &name) && name) {
            text = name;
            XFree(name);
        }
        return text;
    }
    // The process a window names as its owner (_NET_WM_PID), or -1.
    long process(std::uint64_t window) const {
        const Atom property = XInternAtom(display, "_NET_WM_PID", True);
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        long pid = -1;
        if (property &&
            XGetWindowProperty(display, ::Window(window), property, 0, 1, False, XA_CARDINAL, &type,
                               &format, &count, &after, &data) == Success &&
            data && format == 32 && count == 1)
            pid = long(*reinterpret_cast<unsigned long*>(data));
        if (data)
            XFree(data);
        return pid;
    }
    bool viewable(std::uint64_t window) const {
        XWindowAttributes attributes;
        return XGetWindowAttributes(display, ::Window(window), &attributes) &&
               attributes.map_state == IsViewable;
    }
    bool size(std::uint64_t window, int& width, int& height) const {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, ::Window(window), &attributes))
            return false;
        width = attributes.width;
        height = attributes.height;
        return true;
    }
    // The window's first child: the OpenGL view.
    std::uint64_t view(std::uint64_t window) const {
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        std::uint64_t first = 0;
        if (XQueryTree(display, ::Window(window), &root, &parent, &children, &count) && count)
            first = children[0];
        if (children)
            XFree(children);
        return first;
    }
    void moveTo(std::uint64_t window, int x, int y) {
        XMoveWindow(display, ::Window(window), x, y);
        XSync(display, False);
    }
    // The window's top-left pixel on the screen.
    bool origin(std::uint64_t window, int& x, int& y) const {
        ::Window child = 0;
        return XTranslateCoordinates(display, ::Window(window), DefaultRootWindow(display), 0, 0,
                                     &x, &y, &child);
    }

    Frame grab(std::uint64_t window) const {
        Frame frame;
        int width = 0, height = 0;
        if (!size(window, width, height))
            return frame;
        XImage* image = XGetImage(display, ::Window(window), 0, 0, unsigned(width),
                                  unsigned(height), AllPlanes, ZPixmap);
        if (!image)
            return frame;
        frame.width = width;
        frame.height = height;
        frame.pixels.resize(std::size_t(width) * std::size_t(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                frame.pixels[std::size_t(y * width + x)] =
                    std::uint32_t(XGetPixel(image, x, y) & 0xFFFFFF);
        XDestroyImage(image);
        return frame;
    }

private:
    XInput& input;
    Display* display;
};

} // namespace orvane::test
