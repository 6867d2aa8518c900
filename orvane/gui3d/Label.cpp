#include "orvane/gui3d/Label.h"

#include "orvane/gui3d/Context.h"
#include "orvane/gui3d/Root.h"

#include <algorithm>

namespace orvane::gui3d {
namespace {

// Ascender and line height of the painter's font, from its metrics when the font has
// them, else from the glyphs of a capital and a descender.
void lineMetrics(Context& painter, float& ascender, float& lineHeight) {
    const FontMap* map = painter.currentFontMap();
    const freetype::Font* font = map ? map->font.get() : nullptr;
    if (font && font->ascender > 0) {
        ascender = font->ascender;
        lineHeight = std::max(font->lineHeight, font->ascender - font->descender);
        return;
    }
    Context::Rectangle box = painter.measureText("Hg");
    ascender = -box.y;
    lineHeight = box.height;
}

} // namespace

Label::Label(const Rectangle& area, const char* text)
    : View(area)
    , text(text) {}

void Label::setTextColour(float red, float green, float blue) {
    textColour[0] = red, textColour[1] = green, textColour[2] = blue;
}

void Label::setBackground(float red, float green, float blue, float alpha) {
    background[0] = red, background[1] = green, background[2] = blue, background[3] = alpha;
}

void Label::paintBackground() {
    painter->setClip(worldTransform.map(bounds));
    if (background[3] > 0) {
        painter->setColour(background[0], background[1], background[2], background[3]);
        painter->fillRectangle(bounds);
    }
}

void Label::drawLine(int index, const char* line, float indent) {
    float ascender = 0, height = 0;
    lineMetrics(*painter, ascender, height);
    painter->setTextColour(textColour[0], textColour[1], textColour[2]);
    painter->drawText(
        {bounds.x + padding + indent, bounds.y + padding + ascender + float(index) * height}, line);
}

float Label::lineHeight() {
    float ascender = 0, height = 0;
    lineMetrics(*painter, ascender, height);
    return height;
}

std::vector<std::string> Label::fitLines(std::vector<std::string> lines) {
    const float room =
        root ? std::max(0.0f, root->width - frame.x - 2 * padding) : frame.width - 2 * padding;
    float widest = 0;
    for (std::string& line : lines) {
        if (painter->measureText(line.c_str()).width > room) {
            while (!line.empty() && painter->measureText((line + "...").c_str()).width > room)
                line.pop_back();
            line += "...";
        }
        widest = std::max(widest, painter->measureText(line.c_str()).width);
    }
    Rectangle fitted = frame;
    fitted.width = std::min(widest, room) + 2 * padding;
    fitted.height = float(lines.size()) * lineHeight() + 2 * padding;
    setFrame(fitted);
    return lines;
}

void Label::endPaint() {
    if (root)
        painter->setClip({0, 0, root->width, root->height});
}

bool Label::paint() {
    paintBackground();
    drawLine(0, text.cString());
    endPaint();
    return true;
}

types::String Label::getClassName() const {
    return object::classPath(View::getClassName(), ":Label");
}

} // namespace orvane::gui3d
