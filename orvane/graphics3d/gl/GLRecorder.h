#pragma once

#include "orvane/graphics3d/gl/GL.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace orvane::graphics3d {

// Puts itself in front of the dispatch table for as long as it lives and sees every
// OpenGL call of the engine:
//
//     GLRecorder recorder;
//     materialStack.select(&material);
//     EXPECT_EQ(recorder.takeCalls(), (std::vector<std::string>{
//         "glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, {0.2,0.2,0.2,1})", ...}));
//
// With TEXT every call becomes one line: enumerants by name (the first name of the value
// in GLConstants.h; the primitive and blend-factor names where a function takes those;
// an unknown value in hex), bitfields of glClear as names joined by '|', booleans as
// GL_TRUE/GL_FALSE, integers in decimal, floats in their shortest exact form, arrays the
// function reads as {a,b,c} (vector and matrix functions, the parameter arrays of
// glMaterialfv and friends by their parameter, name lists by their count), output
// pointers of queries as "&" and other pointers in hex (0 for null). The int value of
// glTexEnvi, glTexParameteri, glTexGeni, glFogi and glLightModeli prints as an enumerant
// when it is one (from 0x100 up). With COUNT only the per-function counts are kept, which
// costs a few nanoseconds a call (benchmarks).
//
// With SCRIPTED the recorder answers queries itself from a small state that the calls
// keep and tests can preset: capabilities (per texture unit for texturing and coordinate
// generation, per client unit for coordinate arrays), integers (matrix mode, active
// units, texture and buffer bindings, viewport, anything set with setIntegers), errors
// queued for glGetError, strings (the extension string names every row of the table
// plus the extensions the engine assumes), object names for glGen* counting up from 1,
// the size and internal format of level 0 of every texture, and the storage of buffer
// objects, which glMapBufferARB hands out. With FORWARD every call also goes on to the
// table that was installed before (a real context's), and queries answer what OpenGL
// answers, so a pixel test yields its call log.
//
// One recorder at a time; it expects its calls from one thread at a time (the rendering
// thread), and its log is read once that thread has been synchronised with.
class GLRecorder {
public:
    enum Detail { TEXT, COUNT };
    enum Target { SCRIPTED, FORWARD };

    explicit GLRecorder(Detail detail = TEXT, Target target = SCRIPTED);
    // Puts back the dispatch state found at construction (table, loader, publication).
    ~GLRecorder();
    GLRecorder(const GLRecorder&) = delete;
    GLRecorder& operator=(const GLRecorder&) = delete;

    // The log since construction or the last clear.
    const std::vector<std::string>& calls() const noexcept { return log; }
    // The log, which is cleared (counts stay).
    std::vector<std::string> takeCalls();
    // Clears the log and the counts.
    void clear();

    std::uint64_t count(GLSlot slot) const noexcept { return counts[std::size_t(slot)]; }
    std::uint64_t count(const char* function) const noexcept;
    std::uint64_t total() const noexcept;

    // Scripted state.
    // Replaces the extension string; table rows it does not name become null at once.
    void setExtensions(const std::string& extensions);
    // Takes one extension out of the string (and its row's entry points out of the table).
    void removeExtension(const std::string& name);
    void setString(GLenum name, const std::string& value);
    void setEnabled(GLenum capability, bool enabled, int unit = 0);
    bool isEnabled(GLenum capability, int unit = 0) const;
    void setIntegers(GLenum name, std::vector<GLint> values);
    void setInteger(GLenum name, GLint value) { setIntegers(name, {value}); }
    // glGetError answers these in order, then GL_NO_ERROR.
    void queueError(GLenum error) { errors.push_back(error); }
    // Makes glMapBufferARB answer null (a mapping the driver refuses).
    void refuseMapping(bool refuse) { mappingRefused = refuse; }
    // Texture and buffer names generated and not deleted yet.
    std::size_t liveTextures() const noexcept { return textures.size(); }
    std::size_t liveBuffers() const noexcept { return buffers.size(); }
    // The storage of a buffer object (empty for an unknown name).
    std::vector<std::uint8_t> bufferContents(GLuint buffer) const;

    // The recorder in front of the table, null when none (the recording functions).
    static GLRecorder* active() noexcept { return current; }

    // Internal: the recording functions' entry (GLRecorder.cpp).
    struct Argument;
    void record(GLSlot slot, const Argument* arguments, std::size_t count);
    bool forwarding() const noexcept { return target == FORWARD; }
    bool texting() const noexcept { return detail == TEXT; }
    const GLTable& realTable();
    void countCall(GLSlot slot) noexcept { ++counts[std::size_t(slot)]; }

    // Scripted answers, by function (GLRecorder.cpp).
    void enable(GLenum capability, bool on);
    GLboolean enabledAnswer(GLenum capability);
    void getIntegerv(GLenum name, GLint* values);
    void getFloatv(GLenum name, GLfloat* values);
    void getBooleanv(GLenum name, GLboolean* values);
    GLenum getError();
    const GLubyte* getString(GLenum name);
    void generate(GLenum kind, GLsizei count, GLuint* names);
    void erase(GLenum kind, GLsizei count, const GLuint* names);
    void matrixMode(GLenum mode);
    void activeTexture(GLenum unit);
    void clientActiveTexture(GLenum unit);
    void bindTexture(GLenum target, GLuint texture);
    void texImage(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height);
    void getTexLevelParameteriv(GLenum target, GLint level, GLenum name, GLint* value);
    GLboolean isTexture(GLuint texture) const;
    void viewport(GLint x, GLint y, GLsizei width, GLsizei height);
    void bindBuffer(GLenum target, GLuint buffer);
    void bufferData(GLenum target, GLsizeiptrARB size, const void* data);
    void bufferSubData(GLenum target, GLintptrARB offset, GLsizeiptrARB size, const void* data);
    void* mapBuffer(GLenum target);

private:
    struct TextureRecord {
        GLenum target = 0;
        GLint width = 0, height = 0, internalFormat = 0;
    };
    using CapabilityKey = std::pair<GLenum, int>;

    void install();
    void dropRowsNotNamed();
    CapabilityKey capabilityKey(GLenum capability) const;
    GLenum bindingQuery(GLenum target) const;
    std::vector<std::uint8_t>* boundBuffer(GLenum target);

    static inline GLRecorder* current = nullptr;

    Detail detail;
    Target target;
    GLDispatch saved;
    GLTable real;
    bool realLoaded = false;

    std::vector<std::string> log;
    std::array<std::uint64_t, GL_SLOT_COUNT> counts{};

    std::string extensions;
    std::map<GLenum, std::string> strings;
    std::set<CapabilityKey> enabled;
    std::map<GLenum, std::vector<GLint>> integers;
    std::deque<GLenum> errors;
    std::map<GLenum, GLuint> lastName;
    int activeUnit = 0;
    int clientUnit = 0;
    std::map<GLuint, TextureRecord> textures;
    std::map<GLuint, std::vector<std::uint8_t>> buffers;
    bool mappingRefused = false;
};

} // namespace orvane::graphics3d
