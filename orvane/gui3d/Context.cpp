#include "orvane/gui3d/Context.h"

#include "orvane/freetype/FontLoader.h"
#include "orvane/graphics3d/gl/GL.h"

#include <algorithm>

namespace orvane::gui3d {
namespace {

using namespace graphics3d; // the GL table and constants

GLenum beginMode(Context::Primitive kind) {
    switch (kind) {
    case Context::LINES:
        return GL_LINES;
    case Context::POINTS:
        return GL_POINTS;
    default:
        return GL_QUADS;
    }
}

void vertex(float x, float y) {
    gl.glVertex2f(x, y);
}

} // namespace

Context::Context(graphics3d::Context* renderContext)
    : context(renderContext)
    , matrixStack(&renderContext->matrixStack)
    , frameBuffer(&renderContext->frameBuffer)
    , width(renderContext->frameBuffer.width)
    , height(renderContext->frameBuffer.height) {}

Context::~Context() {
    flush();
}

void Context::begin() {
    primitive = NONE;
    colourStale = true;
    width = frameBuffer->width;
    height = frameBuffer->height;
    matrixStack->setMatrixMode(GL_PROJECTION);
    gl.glPushMatrix();
    gl.glLoadIdentity();
    gl.glOrtho(0, width, height, 0, -1, 1);
    matrixStack->setMatrixMode(GL_MODELVIEW);
    gl.glPushMatrix();
    gl.glLoadIdentity();
    gl.glDisable(GL_CULL_FACE);
    gl.glDisable(GL_DEPTH_TEST);
    gl.glDepthMask(GL_FALSE);
    gl.glDisable(GL_LIGHTING);
    gl.glScissor(0, frameBuffer->height - height, width, height);
    gl.glEnable(GL_SCISSOR_TEST);
    gl.glShadeModel(GL_FLAT);
    gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // The scene selects its state through these stacks: forgetting it here makes its next
    // selections apply again over what the painter changed.
    context->materialStack.reset();
    context->shaderStack.reset();
    context->modeStack.reset();
}

void Context::end() {
    flush();
    gl.glDisable(GL_SCISSOR_TEST);
    // No state object of the engine sets the shade model: the scene draws with OpenGL's
    // default, which begin() replaced.
    gl.glShadeModel(GL_SMOOTH);
    matrixStack->setMatrixMode(GL_MODELVIEW);
    gl.glPopMatrix();
    matrixStack->setMatrixMode(GL_PROJECTION);
    gl.glPopMatrix();
}

void Context::flush() {
    if (primitive == NONE)
        return;
    if (primitive == TEXTURED_RECTANGLES || primitive == TEXT) {
        drawQuads();
        gl.glDisable(GL_TEXTURE_2D);
    } else {
        gl.glEnd();
    }
    if (primitive == TEXT)
        gl.glDisable(GL_BLEND);
    primitive = NONE;
}

void Context::texturedVertex(float s, float t, float x, float y) {
    quadVertices.insert(quadVertices.end(), {x, y, s, t});
}

// The gathered quads in one draw from client arrays: the same few calls for one glyph or
// a thousand. Arrays are switched through the shader stack, which keeps track of them for
// the scene's next selection.
void Context::drawQuads() {
    if (quadVertices.empty())
        return;
    if (gl.glBindBufferARB)
        gl.glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0); // the pointers are addresses
    context->shaderStack.setClientArrays(ShaderStack::ARRAY_POSITION |
                                         ShaderStack::ARRAY_TEXCOORD0);
    const auto stride = GLsizei(VERTEX_FLOATS * sizeof(float));
    gl.glVertexPointer(2, GL_FLOAT, stride, quadVertices.data());
    if (gl.glClientActiveTextureARB)
        gl.glClientActiveTextureARB(GL_TEXTURE0_ARB);
    gl.glTexCoordPointer(2, GL_FLOAT, stride, quadVertices.data() + 2);
    gl.glDrawArrays(GL_QUADS, 0, GLsizei(quadVertices.size() / VERTEX_FLOATS));
}

void Context::setClip(const Rectangle& rectangle) {
    flush();
    gl.glScissor(GLint(rectangle.x),
                 GLint(float(frameBuffer->height) - rectangle.y - rectangle.height),
                 GLsizei(rectangle.width), GLsizei(rectangle.height));
}

void Context::setTransform(const graphics::Transform<float>& t) {
    flush();
    const GLfloat matrix[16] = {t.a, t.d, 0, 0, t.b, t.e, 0, 0, 0, 0, 1, 0, t.c, t.f, 0, 1};
    gl.glLoadMatrixf(matrix);
}

void Context::open(Primitive kind) {
    if (primitive == kind)
        return;
    flush();
    switch (kind) {
    case TEXTURED_RECTANGLES:
        quadVertices.clear();
        // Unit 0 is made active even when it holds the texture already: the scene may
        // have left another unit active, which the enable would otherwise land on.
        context->textureStack.bindOnActiveUnit(texture.get(), 0);
        gl.glEnable(GL_TEXTURE_2D);
        gl.glColor3f(1, 1, 1);
        colourStale = true;
        break;
    case TEXT:
        quadVertices.clear();
        context->textureStack.bindOnActiveUnit(openFontMap->texture.get(), 0);
        gl.glEnable(GL_TEXTURE_2D);
        gl.glColor3f(textColour[0], textColour[1], textColour[2]);
        colourStale = true;
        gl.glEnable(GL_BLEND);
        break;
    default:
        sendColour();
        gl.glBegin(beginMode(kind));
        break;
    }
    primitive = kind;
}

void Context::sendColour() {
    if (!colourStale)
        return;
    gl.glColor4f(colour[0], colour[1], colour[2], colour[3]);
    colourStale = false;
}

void Context::setColour(float red, float green, float blue, float alpha) {
    colour[0] = red, colour[1] = green, colour[2] = blue, colour[3] = alpha;
    colourStale = true;
    // Allowed between glBegin and glEnd: a shape batch stays open across colours.
    if (primitive != TEXTURED_RECTANGLES && primitive != TEXT)
        sendColour();
}

void Context::quad(const Rectangle& r) {
    vertex(r.x, r.y);
    vertex(r.x, r.y + r.height);
    vertex(r.x + r.width, r.y + r.height);
    vertex(r.x + r.width, r.y);
}

void Context::outline(GLenum mode, const Point* list, int count) {
    flush();
    sendColour();
    gl.glBegin(mode);
    for (int i = 0; i < count; ++i)
        vertex(list[i].x, list[i].y);
    gl.glEnd();
}

void Context::strokeRectangle(const Rectangle& r) {
    const Point corners[4] = {
        {r.x, r.y}, {r.x, r.y + r.height}, {r.x + r.width, r.y + r.height}, {r.x + r.width, r.y}};
    outline(GL_LINE_LOOP, corners, 4);
}

void Context::fillRectangle(const Rectangle& rectangle) {
    open(FILLED_RECTANGLES);
    quad(rectangle);
}

void Context::point(Point p) {
    open(POINTS);
    vertex(p.x, p.y);
}

void Context::points(const Point* list, int count) {
    open(POINTS);
    for (int i = 0; i < count; ++i)
        vertex(list[i].x, list[i].y);
}

void Context::line(Point from, Point to) {
    open(LINES);
    vertex(from.x, from.y);
    vertex(to.x, to.y);
}

void Context::lines(const Point* list, int count) {
    open(LINES);
    for (int i = 0; i + 1 < count; i += 2) {
        vertex(list[i].x, list[i].y);
        vertex(list[i + 1].x, list[i + 1].y);
    }
}

void Context::polyline(const Point* list, int count) {
    outline(GL_LINE_LOOP, list, count);
}

void Context::polygon(const Point* list, int count) {
    outline(GL_POLYGON, list, count);
}

void Context::setTexture(graphics3d::Texture2D* newTexture) {
    if (newTexture != texture.get() && primitive == TEXTURED_RECTANGLES)
        flush(); // the open batch has the old texture bound
    texture = newTexture;
}

void Context::drawImage(Point p) {
    if (!texture)
        return;
    open(TEXTURED_RECTANGLES);
    const float w = float(texture->width), h = float(texture->height);
    texturedVertex(0, 0, p.x, p.y);
    texturedVertex(1, 0, p.x + w, p.y);
    texturedVertex(1, 1, p.x + w, p.y + h);
    texturedVertex(0, 1, p.x, p.y + h);
}

void Context::drawImagePart(Point p, const Rectangle& source) {
    if (!texture)
        return;
    open(TEXTURED_RECTANGLES);
    const float w = float(texture->width), h = float(texture->height);
    const float s0 = source.x / w, t0 = source.y / h;
    const float s1 = (source.x + source.width) / w, t1 = (source.y + source.height) / h;
    texturedVertex(s0, t0, p.x, p.y);
    texturedVertex(s1, t0, p.x + source.width, p.y);
    texturedVertex(s1, t1, p.x + source.width, p.y + source.height);
    texturedVertex(s0, t1, p.x, p.y + source.height);
}

void Context::drawImageIn(const Rectangle& r) {
    if (!texture)
        return;
    open(TEXTURED_RECTANGLES);
    const float s1 = r.width / float(texture->width), t1 = r.height / float(texture->height);
    texturedVertex(0, 0, r.x, r.y);
    texturedVertex(s1, 0, r.x + r.width, r.y);
    texturedVertex(s1, t1, r.x + r.width, r.y + r.height);
    texturedVertex(0, t1, r.x, r.y + r.height);
}

void Context::setFontMap(FontMap* map) {
    fontMap = map; // an open text batch is closed when text of another map is drawn
}

FontMap* Context::mapOf(freetype::Font* font) {
    if (FontMap* made = fontCache.find(font))
        return made;
    // Making a map makes a texture: no OpenGL call but vertices may come inside a batch.
    flush();
    return fontCache.get(font);
}

void Context::setFont(freetype::Font* font) {
    setFontMap(font ? mapOf(font) : nullptr);
}

FontMap* Context::currentFontMap() {
    if (fontMap)
        return fontMap.get();
    if (!defaultFontTried) {
        defaultFontTried = true;
        defaultFont = object::Pointer<freetype::Font>::adopt(
            freetype::FontLoader::load(freetype::Descriptor()));
    }
    return defaultFont ? mapOf(defaultFont.get()) : nullptr;
}

void Context::setTextColour(float red, float green, float blue) {
    // Text drawn so far keeps its colour: its batch is drawn in one call, in one colour.
    if (primitive == TEXT)
        flush();
    textColour[0] = red, textColour[1] = green, textColour[2] = blue;
}

bool Context::drawText(Point p, const char* text) {
    FontMap* map = currentFontMap();
    if (!map)
        return false;
    if (primitive == TEXT && map != openFontMap.get())
        flush();
    openFontMap = map;
    open(TEXT);
    float pen = p.x;
    for (const char* c = text ? text : ""; *c; ++c) {
        const FontMap::Glyph& g = map->glyphs[static_cast<unsigned char>(*c)];
        const float x0 = pen + g.left, x1 = x0 + g.width;
        const float y0 = p.y - g.top, y1 = p.y + g.bottom;
        texturedVertex(g.s0, g.t0, x0, y0);
        texturedVertex(g.s1, g.t0, x1, y0);
        texturedVertex(g.s1, g.t1, x1, y1);
        texturedVertex(g.s0, g.t1, x0, y1);
        pen += g.advance;
    }
    return true;
}

Context::Rectangle Context::measureText(const char* text) {
    FontMap* map = text && *text ? currentFontMap() : nullptr;
    if (!map)
        return {};
    const FontMap::Glyph& first = map->glyphs[static_cast<unsigned char>(*text)];
    float advance = 0, top = first.top, bottom = first.bottom;
    for (const char* c = text; *c; ++c) {
        const FontMap::Glyph& g = map->glyphs[static_cast<unsigned char>(*c)];
        advance += g.advance;
        top = std::max(top, g.top);
        bottom = std::max(bottom, g.bottom);
    }
    return {0, -top, advance, top + bottom};
}

types::String Context::getClassName() const {
    return object::classPath(Object::getClassName(), ":Context");
}

} // namespace orvane::gui3d
