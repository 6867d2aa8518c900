#pragma once

#include "orvane/graphics3d/gl/GLConstants.h"
#include "orvane/graphics3d/gl/GLFunctions.h"

#include <cstddef>
#include <cstdint>

namespace orvane::graphics3d {

// OpenGL access.
//
// Every OpenGL call of the engine goes through one dispatch table, `gl`:
//
//     gl.glBindTexture(GL_TEXTURE_2D, id);
//     if (gl.glBlendEquationEXT) gl.glBlendEquationEXT(equation);
//
// The table lists the OpenGL 1.1 functions and the extension rows of GLFunctions.h in
// slot order. Until a render context publishes the entry points of a real OpenGL context
// (see Extensions), every entry is a stub that does nothing and answers 0, so code that
// runs without OpenGL does not crash. Once published, an extension entry is null when the
// context's extension string does not name its row, so optional entry points are tested
// against null before they are called; `isAvailable` also treats the stubs as absent.
//
// Tests and benchmarks put a GLRecorder in front of the table to see every call.

using GLenum = unsigned int;
using GLboolean = unsigned char;
using GLbitfield = unsigned int;
using GLvoid = void;
using GLbyte = signed char;
using GLshort = short;
using GLint = int;
using GLubyte = unsigned char;
using GLushort = unsigned short;
using GLuint = unsigned int;
using GLsizei = int;
using GLfloat = float;
using GLclampf = float;
using GLdouble = double;
using GLclampd = double;
using GLcharARB = char;
using GLhandleARB = unsigned int;
using GLintptrARB = std::ptrdiff_t;
using GLsizeiptrARB = std::ptrdiff_t;

#define ORVANE_GL_CONSTANT(name, value) inline constexpr GLenum name = value;
ORVANE_GL_CONSTANTS(ORVANE_GL_CONSTANT)
#undef ORVANE_GL_CONSTANT

// One value per table entry, in slot order.
enum class GLSlot : std::uint16_t {
#define ORVANE_GL_SLOT(row, result, name, parameters) name,
    ORVANE_GL_FUNCTIONS(ORVANE_GL_SLOT)
#undef ORVANE_GL_SLOT
};

#define ORVANE_GL_COUNT(row, result, name, parameters) +1
inline constexpr std::size_t GL_SLOT_COUNT = 0 ORVANE_GL_FUNCTIONS(ORVANE_GL_COUNT);
#undef ORVANE_GL_COUNT

struct GLTable {
#define ORVANE_GL_MEMBER(row, result, name, parameters) result(*name) parameters = nullptr;
    ORVANE_GL_FUNCTIONS(ORVANE_GL_MEMBER)
#undef ORVANE_GL_MEMBER
};

// The table member of each slot, for code generic over the slots (the recorder).
template <GLSlot slot>
inline constexpr auto glMember = nullptr;
#define ORVANE_GL_MEMBER_OF(row, result, name, parameters)                                         \
    template <>                                                                                    \
    inline constexpr auto glMember<GLSlot::name> = &GLTable::name;
ORVANE_GL_FUNCTIONS(ORVANE_GL_MEMBER_OF)
#undef ORVANE_GL_MEMBER_OF

// What the table knows about a slot: the OpenGL name, the row (the extension that defines
// the entry point, or "GL_VERSION_1_1" for the functions every context has) and the C
// parameter list as written in the OpenGL headers.
struct GLSlotInfo {
    const char* name;
    const char* row;
    const char* parameters;
    bool isCore() const noexcept;
};
const GLSlotInfo& glSlotInfo(GLSlot slot) noexcept;
// The slot of an OpenGL name; false when the table has no such entry.
bool findGLSlot(const char* name, GLSlot& slot) noexcept;

// The entry of a slot as an untyped address, and the same the other way round (for code
// that goes through the slots by number: loaders, the recorder).
void* glEntry(const GLTable& table, GLSlot slot) noexcept;
void setGLEntry(GLTable& table, GLSlot slot, void* address) noexcept;

// The table the engine calls through. Written when entry points are published (on the
// thread that builds the first render context, before any other thread renders) and by
// GLRecorder; read by every rendering thread.
extern GLTable gl;

// The do-nothing table that `gl` starts as.
const GLTable& glStubs() noexcept;

// Whether an entry can really be called: set and not a stub.
template <class Function>
bool isAvailable(Function GLTable::*entry) noexcept {
    Function function = gl.*entry;
    return function != nullptr && function != glStubs().*entry;
}

// Where entry points come from: answers the address of an OpenGL function by name for the
// calling thread's current context, or null.
using GLProcLoader = void* (*)(const char* name);

// The word rule of extension strings: whether the space-separated list names `name` as a
// whole word. False for a null list.
bool extensionStringNames(const char* extensions, const char* name) noexcept;

// A full table from a loader: each OpenGL 1.1 slot gets the loader's answer (a stub where
// it has none); an extension slot gets it only when `extensions` names the slot's row,
// and is null otherwise. GLX answers an address for any name, so the string decides.
GLTable loadGLTable(GLProcLoader loader, const char* extensions);

// The dispatch state: the table, the loader render contexts fetch entry points with, and
// whether a context has published its entry points into the table yet. A recorder saves
// it when installed and puts it back when removed.
struct GLDispatch {
    GLTable table;
    GLProcLoader loader = nullptr;
    bool published = false;
};
GLDispatch saveGLDispatch();
void restoreGLDispatch(const GLDispatch& dispatch);

// The loader of the platform (whichever kind of OpenGL context is current) unless a
// recorder has installed its own.
GLProcLoader glLoader() noexcept;
void setGLLoader(GLProcLoader loader) noexcept;

// Whether a context has published its entry points into `gl`.
bool isGLPublished() noexcept;
// Makes `table` the process's entry points, once: answers false and changes nothing when
// a table has been published already.
bool publishGLTable(const GLTable& table);

} // namespace orvane::graphics3d
