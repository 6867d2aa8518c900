#pragma once

#include "orvane/system/Ticker.h"

namespace orvane::sample {

class GraphicsView;

// Asks the graphics view to be drawn again at every tick (the application ticks it every
// 20 ms). Only invalidates: the drawing happens on the view's window thread.
class RedrawTicker : public system::Ticker {
public:
    // The view is not owned; it must outlive the ticker's ticks (stop the ticker first).
    explicit RedrawTicker(GraphicsView* view) noexcept;
    ~RedrawTicker() override;

    // Invalidates the whole view when it is shown in a window (its native window exists);
    // answers whether it did. Any thread.
    bool redraw();

    types::String getClassName() const override;

protected:
    void tick() override;

private:
    GraphicsView* const view;
};

} // namespace orvane::sample
