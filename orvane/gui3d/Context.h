#pragma once

#include "orvane/freetype/Font.h"
#include "orvane/graphics/Geometry.h"
#include "orvane/graphics/Transform.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/Texture2D.h"
#include "orvane/gui3d/FontCache.h"
#include "orvane/gui3d/FontMap.h"
#include "orvane/object/Pointer.h"

#include <cstdint>
#include <vector>

namespace orvane::gui3d {

// The in-scene GUI's painter: an immediate-mode 2D painter over OpenGL whose pixel
// coordinates start at the top-left corner of the window.
//
// Drawing goes in batches: filled rectangles, lines, points, textured rectangles and text
// each continue an open batch of their own kind and close a batch of another kind;
// outlines, polylines and polygons close any batch and stand alone. Shapes are sent
// between one glBegin and glEnd; textured rectangles and text are gathered and drawn at
// the batch's close with one glDrawArrays from client arrays (position and unit 0's
// coordinates, switched through the shader stack), so that a line of text costs the same
// few calls whatever its length. A change of text colour closes an open text batch.
// begin() and end() bracket the drawing of a frame: begin takes over the projection and
// model-view matrices (pushed, restored by end), switches depth testing, culling and
// lighting off and makes the scene's material, shader and mode stacks apply their state
// again afterwards.
//
// Shapes take the colour of setColour (white until set); images are drawn untinted; text
// takes setTextColour's colour and is blended through its glyphs' alpha.
//
// Used on the thread whose render context it draws with; keeps that context alive.
class Context : public object::Object {
public:
    using Point = graphics::Point<float>;
    using Rectangle = graphics::Rectangle<float>;

    // The open batch.
    enum Primitive : std::int32_t {
        NONE = 0,
        FILLED_RECTANGLES = 1,
        LINES = 2,
        POINTS = 3,
        TEXTURED_RECTANGLES = 5,
        TEXT = 6,
    };

    // Sized after the render context's frame buffer; no batch, no texture, no font.
    explicit Context(graphics3d::Context* renderContext);
    // Closes a batch still open.
    ~Context() override;

    void begin();
    void end();
    // Closes the open batch.
    void flush();
    // Draws only inside the rectangle (window pixels from the top left).
    void setClip(const Rectangle& rectangle);
    // Maps what follows through the transform (as the model-view matrix).
    void setTransform(const graphics::Transform<float>& transform);

    void setColour(float red, float green, float blue, float alpha = 1);
    void strokeRectangle(const Rectangle& rectangle);
    void fillRectangle(const Rectangle& rectangle);
    void point(Point p);
    void points(const Point* list, int count);
    void line(Point from, Point to);
    // Separate lines, two points each.
    void lines(const Point* list, int count);
    // A closed outline through the points.
    void polyline(const Point* list, int count);
    void polygon(const Point* list, int count);

    // The texture the image operations draw (retained); null draws nothing.
    void setTexture(graphics3d::Texture2D* newTexture);
    // At its own size, the whole texture.
    void drawImage(Point p);
    // The source rectangle of the texture (texels) at p, at its size.
    void drawImagePart(Point p, const Rectangle& source);
    // Into the rectangle, one texel per pixel, cut at the rectangle's edges.
    void drawImageIn(const Rectangle& rectangle);

    // Text is drawn with the font's map from the painter's font cache (made at the first
    // use); null: the default font, DejaVu Sans at 16 pixels (FontLoader's default),
    // loaded when text first needs it.
    void setFont(freetype::Font* font);
    // The glyph table text is drawn with (retained); null: the default font's.
    void setFontMap(FontMap* map);
    void setTextColour(float red, float green, float blue);
    // Draws the text with its baseline at p.y and its pen starting at p.x. False, drawing
    // nothing, when there is no font map and the default font cannot be had.
    bool drawText(Point p, const char* text);
    // The box of the text around its pen start on the baseline: x 0, y minus the highest
    // glyph top, the sum of the advances wide, highest top plus deepest bottom high. All
    // zeros for an empty text or without a font.
    Rectangle measureText(const char* text);
    // The font map text is drawn with now: the one set, else the default font's (loaded
    // on the first call); null when there is none.
    FontMap* currentFontMap();

    Primitive currentPrimitive() const noexcept { return primitive; }
    // The textured batch being gathered or, once drawn, the last one, until the next
    // starts: x, y, s, t per corner, four corners a rectangle or glyph.
    static constexpr std::size_t VERTEX_FLOATS = 4;
    const std::vector<float>& batchVertices() const noexcept { return quadVertices; }

    types::String getClassName() const override;

    object::Pointer<graphics3d::Context> context;
    graphics3d::MatrixStack* matrixStack;
    graphics3d::FrameBuffer* frameBuffer;
    std::int32_t width = 0;
    std::int32_t height = 0;
    object::Pointer<graphics3d::Texture2D> texture;
    FontCache fontCache;
    object::Pointer<FontMap> fontMap;
    float textColour[3] = {1, 1, 1};
    float colour[4] = {1, 1, 1, 1};

private:
    // Makes the batch of `kind` the open one, closing another.
    void open(Primitive kind);
    // Sends `colour` unless OpenGL has it already.
    void sendColour();
    // The font's map from the cache, made (outside any batch) when it has none yet.
    FontMap* mapOf(freetype::Font* font);
    void quad(const Rectangle& rectangle);
    void texturedVertex(float s, float t, float x, float y);
    void drawQuads();
    void outline(graphics3d::GLenum mode, const Point* list, int count);

    Primitive primitive = NONE;
    object::Pointer<freetype::Font> defaultFont;
    bool defaultFontTried = false;
    // The map whose texture the open text batch has bound.
    object::Pointer<FontMap> openFontMap;
    // Whether OpenGL's current colour may differ from `colour` (batches of images and
    // text set their own).
    bool colourStale = true;
    std::vector<float> quadVertices;
};

} // namespace orvane::gui3d
