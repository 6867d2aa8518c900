#pragma once

#include "orvane/freetype/Font.h"
#include "orvane/gui3d/Label.h"
#include "orvane/object/Pointer.h"

namespace orvane::sample {

// The viewer's help drawn over the scene: every mouse action and key, in two columns over
// a dark background, centred in the window, in a smaller type than the statistics so that
// it fits the smallest window.
class HelpOverlay : public gui3d::Label {
public:
    // The rows: what to do, what it does.
    struct Row {
        const char* input;
        const char* action;
    };
    static const Row ROWS[];
    static const int ROW_COUNT;
    static constexpr float TYPE_SIZE = 12.0f;

    HelpOverlay();

    bool paint() override;

    types::String getClassName() const override;

private:
    object::Pointer<freetype::Font> font;
    bool fontTried = false;
};

} // namespace orvane::sample
