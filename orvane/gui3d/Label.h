#pragma once

#include "orvane/gui3d/View.h"
#include "orvane/types/String.h"

#include <string>
#include <vector>

namespace orvane::gui3d {

// One line of text in a view, optionally over a filled background. The text is drawn with
// the painter's font, its baseline one ascender below the top padding, and cut at the
// view's frame.
class Label : public View {
public:
    Label(const Rectangle& area, const char* text);

    void setText(const char* newText) { text = newText; }
    const types::String& getText() const noexcept { return text; }
    void setTextColour(float red, float green, float blue);
    // A background drawn behind the text; alpha 0 (the default) draws none.
    void setBackground(float red, float green, float blue, float alpha = 1);

    bool paint() override;

    types::String getClassName() const override;

    // Space between the frame and the text, in local units.
    float padding = 2;

protected:
    // Draws one line at the given line index (0 first), each a line height below the last,
    // `indent` units right of the padding.
    void drawLine(int index, const char* line, float indent = 0);
    // Makes the frame just large enough for the lines in the painter's font, but no wider
    // than the root leaves right of the frame's left edge; a line too wide for that room is
    // cut and ends in "...". Answers the lines as they fit. Call while painting.
    std::vector<std::string> fitLines(std::vector<std::string> lines);
    // The height of a line in the painter's font.
    float lineHeight();
    // Clips the painter to the view's frame and fills the view's bounds with the
    // background colour, when it has one.
    void paintBackground();
    // Gives the painter the root's clip back.
    void endPaint();

private:
    types::String text;
    float textColour[3] = {1, 1, 1};
    float background[4] = {0, 0, 0, 0};
};

} // namespace orvane::gui3d
