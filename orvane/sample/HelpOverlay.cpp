#include "orvane/sample/HelpOverlay.h"

#include "orvane/freetype/FontLoader.h"
#include "orvane/gui3d/Context.h"
#include "orvane/gui3d/Root.h"

#include <algorithm>

namespace orvane::sample {

const HelpOverlay::Row HelpOverlay::ROWS[] = {
    {"left drag", "pan"},
    {"middle drag", "rotate"},
    {"right drag", "nearer or farther"},
    {"wheel", "nearer or farther"},
    {"r, Home, Space", "reset the view"},
    {"w", "wireframe or filled"},
    {"l", "lighting on or off"},
    {"t", "textures on or off"},
    {"b", "back faces on or off"},
    {"s", "statistics on or off"},
    {"p, F12", "save orvane-NNNN.png"},
    {"PgDn, PgUp", "next or previous model"},
    {"h, F1", "this help on or off"},
    {"q, Escape", "close"},
};
const int HelpOverlay::ROW_COUNT = int(sizeof ROWS / sizeof ROWS[0]);

HelpOverlay::HelpOverlay()
    : gui3d::Label({0, 0, 10, 10}, "") {
    setBackground(0.05f, 0.05f, 0.1f, 0.85f);
    setTextColour(1, 1, 1);
    padding = 6;
}

bool HelpOverlay::paint() {
    if (!fontTried) {
        fontTried = true;
        freetype::Descriptor descriptor;
        descriptor.sizeX = descriptor.sizeY = TYPE_SIZE;
        font = object::Pointer<freetype::Font>::adopt(freetype::FontLoader::load(descriptor));
    }
    painter->setFont(font.get());
    float inputWidth = 0;
    for (const Row& row : ROWS)
        inputWidth = std::max(inputWidth, painter->measureText(row.input).width);
    const float gap = painter->measureText("   ").width;
    // Sized as the widest row would be with its action in the second column.
    float widest = 0;
    for (const Row& row : ROWS)
        widest = std::max(widest, inputWidth + gap + painter->measureText(row.action).width);
    if (root) {
        Rectangle centred = frame;
        centred.width = widest + 2 * padding;
        centred.height = float(ROW_COUNT) * lineHeight() + 2 * padding;
        centred.x = std::max(0.0f, (root->width - centred.width) / 2);
        centred.y = std::max(0.0f, (root->height - centred.height) / 2);
        setFrame(centred);
    }
    paintBackground();
    for (int i = 0; i < ROW_COUNT; ++i) {
        drawLine(i, ROWS[i].input);
        drawLine(i, ROWS[i].action, inputWidth + gap);
    }
    endPaint();
    painter->setFont(nullptr);
    return true;
}

types::String HelpOverlay::getClassName() const {
    return object::classPath(gui3d::Label::getClassName(), ":HelpOverlay");
}

} // namespace orvane::sample
