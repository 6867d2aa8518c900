#pragma once

#include "orvane/gui/Window.h"

namespace orvane::sample {

// The viewer's only top-level window: titled "Orvane", 300 x 300, no smaller than
// 256 x 256. Closing it ends the application; the application closes the window itself.
class MainWindow : public gui::Window {
public:
    MainWindow();

    // Posts the quit message to the application (whose stop closes the window). Without a
    // running application there is nobody to do that, and the window closes itself.
    bool closeRequested() override;

    types::String getClassName() const override;
};

} // namespace orvane::sample
