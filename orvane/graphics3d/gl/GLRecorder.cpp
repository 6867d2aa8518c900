#include "orvane/graphics3d/gl/GLRecorder.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <unordered_map>

namespace orvane::graphics3d {

struct GLRecorder::Argument {
    enum Type { INTEGER, UNSIGNED, FLOAT, DOUBLE, POINTER } type = INTEGER;
    std::int64_t integer = 0;
    std::uint64_t unsignedValue = 0;
    double real = 0;
    const void* pointer = nullptr;
};

namespace {

using Argument = GLRecorder::Argument;

template <class T>
Argument capture(T value) {
    Argument argument;
    if constexpr (std::is_pointer_v<T>) {
        argument.type = Argument::POINTER;
        argument.pointer = reinterpret_cast<const void*>(value);
    } else if constexpr (std::is_same_v<T, float>) {
        argument.type = Argument::FLOAT;
        argument.real = value;
    } else if constexpr (std::is_same_v<T, double>) {
        argument.type = Argument::DOUBLE;
        argument.real = value;
    } else if constexpr (std::is_signed_v<T>) {
        argument.type = Argument::INTEGER;
        argument.integer = value;
    } else {
        argument.type = Argument::UNSIGNED;
        argument.unsignedValue = value;
        argument.integer = std::int64_t(value);
    }
    return argument;
}

// The scripted answer of a function: the state it keeps or the value it answers. Every
// function not named here does nothing and answers 0.
template <GLSlot slot, class Result, class... Arguments>
Result scriptedAnswer(GLRecorder& r, Arguments... a) {
    using S = GLSlot;
    if constexpr (slot == S::glEnable || slot == S::glEnableClientState) {
        r.enable(a..., true);
    } else if constexpr (slot == S::glDisable || slot == S::glDisableClientState) {
        r.enable(a..., false);
    } else if constexpr (slot == S::glIsEnabled) {
        return r.enabledAnswer(a...);
    } else if constexpr (slot == S::glGetIntegerv) {
        r.getIntegerv(a...);
    } else if constexpr (slot == S::glGetFloatv) {
        r.getFloatv(a...);
    } else if constexpr (slot == S::glGetBooleanv) {
        r.getBooleanv(a...);
    } else if constexpr (slot == S::glGetError) {
        return r.getError();
    } else if constexpr (slot == S::glGetString) {
        return r.getString(a...);
    } else if constexpr (slot == S::glGenTextures) {
        r.generate(GL_TEXTURE, a...);
    } else if constexpr (slot == S::glDeleteTextures) {
        r.erase(GL_TEXTURE, a...);
    } else if constexpr (slot == S::glGenBuffersARB) {
        r.generate(GL_ARRAY_BUFFER_ARB, a...);
    } else if constexpr (slot == S::glDeleteBuffersARB) {
        r.erase(GL_ARRAY_BUFFER_ARB, a...);
    } else if constexpr (slot == S::glGenFramebuffersEXT) {
        r.generate(GL_FRAMEBUFFER_EXT, a...);
    } else if constexpr (slot == S::glGenRenderbuffersEXT) {
        r.generate(GL_RENDERBUFFER_EXT, a...);
    } else if constexpr (slot == S::glGenQueriesARB) {
        r.generate(GL_SAMPLES_PASSED_ARB, a...);
    } else if constexpr (slot == S::glGenProgramsARB) {
        r.generate(GL_VERTEX_PROGRAM_ARB, a...);
    } else if constexpr (slot == S::glCreateShaderObjectARB ||
                         slot == S::glCreateProgramObjectARB) {
        GLuint name = 0;
        r.generate(GL_PROGRAM_OBJECT_ARB, 1, &name);
        return name;
    } else if constexpr (slot == S::glIsTexture) {
        return r.isTexture(a...);
    } else if constexpr (slot == S::glMatrixMode) {
        r.matrixMode(a...);
    } else if constexpr (slot == S::glActiveTextureARB) {
        r.activeTexture(a...);
    } else if constexpr (slot == S::glClientActiveTextureARB) {
        r.clientActiveTexture(a...);
    } else if constexpr (slot == S::glBindTexture) {
        r.bindTexture(a...);
    } else if constexpr (slot == S::glTexImage2D || slot == S::glCompressedTexImage2DARB) {
        auto arguments = std::tuple(a...);
        r.texImage(std::get<0>(arguments), std::get<1>(arguments), GLint(std::get<2>(arguments)),
                   std::get<3>(arguments), std::get<4>(arguments));
    } else if constexpr (slot == S::glCopyTexImage2D) {
        auto arguments = std::tuple(a...);
        r.texImage(std::get<0>(arguments), std::get<1>(arguments), GLint(std::get<2>(arguments)),
                   std::get<5>(arguments), std::get<6>(arguments));
    } else if constexpr (slot == S::glGetTexLevelParameteriv) {
        r.getTexLevelParameteriv(a...);
    } else if constexpr (slot == S::glViewport) {
        r.viewport(a...);
    } else if constexpr (slot == S::glBindBufferARB) {
        r.bindBuffer(a...);
    } else if constexpr (slot == S::glBufferDataARB) {
        auto arguments = std::tuple(a...);
        r.bufferData(std::get<0>(arguments), std::get<1>(arguments), std::get<2>(arguments));
    } else if constexpr (slot == S::glBufferSubDataARB) {
        r.bufferSubData(a...);
    } else if constexpr (slot == S::glMapBufferARB) {
        auto arguments = std::tuple(a...);
        return r.mapBuffer(std::get<0>(arguments));
    } else if constexpr (slot == S::glUnmapBufferARB) {
        return GLboolean(GL_TRUE);
    } else if constexpr (slot == S::glCheckFramebufferStatusEXT) {
        return GL_FRAMEBUFFER_COMPLETE_EXT;
    }
    if constexpr (!std::is_void_v<Result>)
        return Result{};
}

template <GLSlot slot, class Function>
struct Recording;

template <GLSlot slot, class Result, class... Arguments>
struct Recording<slot, Result (*)(Arguments...)> {
    static Result call(Arguments... arguments) {
        GLRecorder* recorder = GLRecorder::active();
        if (!recorder) {
            if constexpr (!std::is_void_v<Result>)
                return Result{};
            else
                return;
        }
        recorder->countCall(slot);
        if (recorder->texting()) {
            const Argument captured[sizeof...(Arguments) + 1] = {capture(arguments)...};
            recorder->record(slot, captured, sizeof...(Arguments));
        }
        if (recorder->forwarding()) {
            auto function = recorder->realTable().*glMember<slot>;
            if (function)
                return function(arguments...);
            if constexpr (!std::is_void_v<Result>)
                return Result{};
            else
                return;
        }
        return scriptedAnswer<slot, Result>(*recorder, arguments...);
    }
};

const GLTable& recordingTable() {
    static const GLTable table = [] {
        GLTable made;
#define ORVANE_GL_RECORDING(row, result, name, parameters)                                         \
    made.name = &Recording<GLSlot::name, decltype(made.name)>::call;
        ORVANE_GL_FUNCTIONS(ORVANE_GL_RECORDING)
#undef ORVANE_GL_RECORDING
        return made;
    }();
    return table;
}

// Texture 2D and 3D enables, coordinate generation and the texture matrix belong to the
// active unit; coordinate arrays to the client active unit.
bool isPerUnit(GLenum capability) {
    switch (capability) {
    case GL_TEXTURE_1D:
    case GL_TEXTURE_2D:
    case GL_TEXTURE_3D_EXT:
    case GL_TEXTURE_CUBE_MAP_ARB:
    case GL_TEXTURE_RECTANGLE_ARB:
    case GL_TEXTURE_GEN_S:
    case GL_TEXTURE_GEN_T:
    case GL_TEXTURE_GEN_R:
    case GL_TEXTURE_GEN_Q:
        return true;
    default:
        return false;
    }
}

// ---- formatting ----

enum class Kind { ENUM, BITFIELD, BOOLEAN, NUMBER, POINTER };

struct Parameter {
    Kind kind = Kind::NUMBER;
    std::string element; // pointer parameters: the pointed-to type
    bool isConst = false;
};

std::string_view trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

Parameter parseParameter(std::string_view declaration) {
    Parameter parameter;
    declaration = trim(declaration);
    parameter.isConst = declaration.starts_with("const ");
    if (parameter.isConst)
        declaration.remove_prefix(6);
    std::size_t end = 0;
    while (end < declaration.size() &&
           (std::isalnum(static_cast<unsigned char>(declaration[end])) || declaration[end] == '_'))
        ++end;
    std::string_view type = declaration.substr(0, end);
    if (declaration.find('*') != std::string_view::npos) {
        parameter.kind = Kind::POINTER;
        parameter.element = type;
    } else if (type == "GLenum") {
        parameter.kind = Kind::ENUM;
    } else if (type == "GLbitfield") {
        parameter.kind = Kind::BITFIELD;
    } else if (type == "GLboolean") {
        parameter.kind = Kind::BOOLEAN;
    }
    return parameter;
}

const std::vector<Parameter>& parametersOf(GLSlot slot) {
    static std::vector<std::vector<Parameter>> parsed(GL_SLOT_COUNT);
    static std::vector<bool> done(GL_SLOT_COUNT);
    std::size_t index = std::size_t(slot);
    if (!done[index]) {
        std::string_view list = glSlotInfo(slot).parameters;
        list = trim(list);
        list.remove_prefix(1);
        list.remove_suffix(1);
        while (!trim(list).empty()) {
            std::size_t comma = list.find(',');
            parsed[index].push_back(parseParameter(list.substr(0, comma)));
            list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        }
        done[index] = true;
    }
    return parsed[index];
}

const std::unordered_map<GLenum, const char*>& enumNames() {
    static const auto* names = [] {
        auto* map = new std::unordered_map<GLenum, const char*>;
        auto add = [map](const char* name, GLenum value) {
            std::string_view text = name;
            if (value < 0x100 || text.ends_with("_BIT") || text.ends_with("_BITS"))
                return;
            map->emplace(value, name);
        };
#define ORVANE_GL_NAME(name, value) add(#name, value);
        ORVANE_GL_CONSTANTS(ORVANE_GL_NAME)
#undef ORVANE_GL_NAME
        return map;
    }();
    return *names;
}

std::string hex(std::uint64_t value) {
    char text[24] = "0x";
    auto end = std::to_chars(text + 2, text + sizeof text, value, 16).ptr;
    return std::string(text, end);
}

template <class T>
std::string number(T value) {
    char text[48];
    auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

const char* knownEnum(GLenum value) {
    auto found = enumNames().find(value);
    return found == enumNames().end() ? nullptr : found->second;
}

bool oneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string enumText(GLenum value, std::string_view function, std::size_t index) {
    static const char* const primitives[] = {
        "GL_POINTS",         "GL_LINES",        "GL_LINE_LOOP", "GL_LINE_STRIP", "GL_TRIANGLES",
        "GL_TRIANGLE_STRIP", "GL_TRIANGLE_FAN", "GL_QUADS",     "GL_QUAD_STRIP", "GL_POLYGON"};
    if (index == 0 && value < 10 &&
        oneOf(function, {"glBegin", "glDrawArrays", "glDrawElements", "glDrawRangeElementsEXT",
                         "glDrawElementArrayATI", "glDrawRangeElementArrayATI"}))
        return primitives[value];
    if (value < 2 && oneOf(function, {"glBlendFunc", "glBlendFuncSeparateEXT"}))
        return value ? "GL_ONE" : "GL_ZERO";
    if (const char* name = knownEnum(value))
        return name;
    return value < 0x100 ? number(value) : hex(value);
}

std::string clearMaskText(std::uint64_t mask) {
    static const std::pair<GLbitfield, const char*> bits[] = {
        {GL_COLOR_BUFFER_BIT, "GL_COLOR_BUFFER_BIT"},
        {GL_DEPTH_BUFFER_BIT, "GL_DEPTH_BUFFER_BIT"},
        {GL_STENCIL_BUFFER_BIT, "GL_STENCIL_BUFFER_BIT"},
        {GL_ACCUM_BUFFER_BIT, "GL_ACCUM_BUFFER_BIT"}};
    std::string text;
    for (auto [bit, name] : bits) {
        if (!(mask & bit))
            continue;
        text += text.empty() ? "" : "|";
        text += name;
        mask &= ~std::uint64_t(bit);
    }
    if (mask || text.empty())
        text += (text.empty() ? "" : "|") + hex(mask);
    return text;
}

// How many elements a function reads from its array parameter; -1 when unknown.
int arrayLength(std::string_view function, std::size_t index, const Argument* arguments) {
    for (std::string_view suffix : {"ARB", "EXT", "ATI", "NV"})
        if (function.ends_with(suffix))
            function.remove_suffix(suffix.size());
    if (function.starts_with("glDelete") && index == 1)
        return int(arguments[0].integer);
    if (function.find("Matrix") != std::string_view::npos && !function.starts_with("glUniform"))
        return 16;
    static const std::string_view parameterSetters[] = {
        "glMaterial", "glLightModel", "glLight", "glTexEnv", "glFog", "glTexParameter", "glTexGen"};
    for (std::string_view setter : parameterSetters) {
        if (!function.starts_with(setter) || !function.ends_with("v") || index == 0)
            continue;
        if (function.starts_with("glFogCoord"))
            break;
        switch (GLenum(arguments[index - 1].unsignedValue)) {
        case GL_AMBIENT:
        case GL_DIFFUSE:
        case GL_SPECULAR:
        case GL_EMISSION:
        case GL_AMBIENT_AND_DIFFUSE:
        case GL_POSITION:
        case GL_LIGHT_MODEL_AMBIENT:
        case GL_TEXTURE_ENV_COLOR:
        case GL_FOG_COLOR:
        case GL_TEXTURE_BORDER_COLOR:
        case GL_OBJECT_PLANE:
        case GL_EYE_PLANE:
            return 4;
        case GL_SPOT_DIRECTION:
        case GL_COLOR_INDEXES:
            return 3;
        default:
            return 1;
        }
    }
    if (function.starts_with("glWeight") && index == 1)
        return int(arguments[0].integer);
    if (function.starts_with("glFogCoord") || function.starts_with("glIndex"))
        return 1;
    // Vector functions: the count is the digit before the type letters (glColor4fv).
    if (!function.ends_with("v"))
        return -1;
    for (std::size_t i = function.size(); i-- > 2;)
        if (std::isdigit(static_cast<unsigned char>(function[i])))
            return function[i] - '0';
    return -1;
}

template <class T>
std::string arrayText(const void* data, int length) {
    const T* values = static_cast<const T*>(data);
    std::string text = "{";
    for (int i = 0; i < length; ++i) {
        if (i)
            text += ',';
        if constexpr (std::is_floating_point_v<T>)
            text += number(values[i]);
        else
            text += number(std::int64_t(values[i]));
    }
    return text + "}";
}

std::string pointerText(const Parameter& parameter, std::string_view function, std::size_t index,
                        const Argument* arguments) {
    const void* pointer = arguments[index].pointer;
    if (!pointer)
        return "0";
    if (!parameter.isConst && (function.starts_with("glGet") || function.starts_with("glGen") ||
                               function.starts_with("glAre")))
        return "&";
    int length = parameter.isConst ? arrayLength(function, index, arguments) : -1;
    const std::string& element = parameter.element;
    if (length >= 0) {
        if (element == "GLfloat" || element == "GLclampf")
            return arrayText<float>(pointer, length);
        if (element == "GLdouble" || element == "GLclampd")
            return arrayText<double>(pointer, length);
        if (element == "GLint" || element == "GLsizei")
            return arrayText<std::int32_t>(pointer, length);
        if (element == "GLuint" || element == "GLenum")
            return arrayText<std::uint32_t>(pointer, length);
        if (element == "GLshort")
            return arrayText<std::int16_t>(pointer, length);
        if (element == "GLushort")
            return arrayText<std::uint16_t>(pointer, length);
        if (element == "GLbyte")
            return arrayText<std::int8_t>(pointer, length);
        if (element == "GLubyte" || element == "GLboolean")
            return arrayText<std::uint8_t>(pointer, length);
    }
    return hex(reinterpret_cast<std::uintptr_t>(pointer));
}

bool takesEnumValue(std::string_view function) {
    return oneOf(function,
                 {"glTexEnvi", "glTexParameteri", "glTexGeni", "glFogi", "glLightModeli"});
}

std::string argumentText(const Parameter& parameter, std::string_view function, std::size_t index,
                         std::size_t count, const Argument* arguments) {
    const Argument& argument = arguments[index];
    switch (argument.type) {
    case Argument::FLOAT:
        return number(float(argument.real));
    case Argument::DOUBLE:
        return number(argument.real);
    case Argument::POINTER:
        return pointerText(parameter, function, index, arguments);
    default:
        break;
    }
    switch (parameter.kind) {
    case Kind::ENUM:
        return enumText(GLenum(argument.unsignedValue), function, index);
    case Kind::BITFIELD:
        return function == "glClear" ? clearMaskText(argument.unsignedValue)
                                     : hex(argument.unsignedValue);
    case Kind::BOOLEAN:
        if (argument.unsignedValue <= 1)
            return argument.unsignedValue ? "GL_TRUE" : "GL_FALSE";
        break;
    default:
        if (index + 1 == count && takesEnumValue(function) && argument.integer >= 0x100)
            if (const char* name = knownEnum(GLenum(argument.integer)))
                return name;
        break;
    }
    return argument.type == Argument::INTEGER ? number(argument.integer)
                                              : number(argument.unsignedValue);
}

void* recorderLoader(const char* name) {
    GLRecorder* recorder = GLRecorder::active();
    GLSlot slot;
    if (!recorder || !findGLSlot(name, slot))
        return nullptr;
    if (recorder->forwarding() && !glEntry(recorder->realTable(), slot))
        return nullptr;
    return glEntry(recordingTable(), slot);
}

std::string defaultExtensions() {
    std::string text;
#define ORVANE_GL_ROW_NAME(row, count) text += #row " ";
    ORVANE_GL_EXTENSION_ROWS(ORVANE_GL_ROW_NAME)
#undef ORVANE_GL_ROW_NAME
    // What the engine relies on without entry points of its own.
    text += "GL_ARB_texture_env_combine GL_ARB_texture_env_dot3 GL_SGIS_generate_mipmap "
            "GL_EXT_bgra GL_ARB_texture_cube_map GL_EXT_texture_compression_s3tc";
    return text;
}

} // namespace

GLRecorder::GLRecorder(Detail detail, Target target)
    : detail(detail)
    , target(target)
    , saved(saveGLDispatch())
    , extensions(defaultExtensions()) {
    strings[GL_VENDOR] = "Orvane";
    strings[GL_RENDERER] = "GLRecorder";
    strings[GL_VERSION] = "1.1";
    integers[GL_MATRIX_MODE] = {GLint(GL_MODELVIEW)};
    integers[GL_MAX_TEXTURE_UNITS_ARB] = {8};
    integers[GL_MAX_TEXTURE_SIZE] = {4096};
    integers[GL_ACTIVE_TEXTURE_ARB] = {GLint(GL_TEXTURE0_ARB)};
    integers[GL_CLIENT_ACTIVE_TEXTURE_ARB] = {GLint(GL_TEXTURE0_ARB)};
    if (target == FORWARD && saved.published) {
        real = saved.table;
        realLoaded = true;
    }
    install();
}

GLRecorder::~GLRecorder() {
    current = nullptr;
    restoreGLDispatch(saved);
}

void GLRecorder::install() {
    current = this;
    GLTable table = recordingTable();
    if (realLoaded)
        for (std::size_t i = 0; i < GL_SLOT_COUNT; ++i)
            if (!glEntry(real, GLSlot(i)))
                setGLEntry(table, GLSlot(i), nullptr);
    // Contexts built while the recorder is in front publish again, through its loader,
    // into the recorder's table; the saved state comes back with the destructor.
    restoreGLDispatch(GLDispatch{table, recorderLoader, false});
    if (target == SCRIPTED)
        dropRowsNotNamed();
}

const GLTable& GLRecorder::realTable() {
    if (!realLoaded) {
        // The first forwarded call, on the rendering thread with its context current.
        GLProcLoader loader = saved.loader;
        auto getString = reinterpret_cast<const GLubyte* (*)(GLenum)>(loader("glGetString"));
        const GLubyte* names = getString ? getString(GL_EXTENSIONS) : nullptr;
        real = loadGLTable(loader, reinterpret_cast<const char*>(names));
        realLoaded = true;
    }
    return real;
}

void GLRecorder::dropRowsNotNamed() {
    for (std::size_t i = 0; i < GL_SLOT_COUNT; ++i) {
        const GLSlotInfo& info = glSlotInfo(GLSlot(i));
        if (!info.isCore() && !extensionStringNames(extensions.c_str(), info.row))
            setGLEntry(gl, GLSlot(i), nullptr);
    }
}

std::vector<std::string> GLRecorder::takeCalls() {
    return std::exchange(log, {});
}

void GLRecorder::clear() {
    log.clear();
    counts.fill(0);
}

std::uint64_t GLRecorder::count(const char* function) const noexcept {
    GLSlot slot;
    return findGLSlot(function, slot) ? count(slot) : 0;
}

std::uint64_t GLRecorder::total() const noexcept {
    std::uint64_t sum = 0;
    for (std::uint64_t n : counts)
        sum += n;
    return sum;
}

void GLRecorder::record(GLSlot slot, const Argument* arguments, std::size_t count) {
    const std::vector<Parameter>& parameters = parametersOf(slot);
    std::string_view function = glSlotInfo(slot).name;
    std::string line(function);
    line += '(';
    for (std::size_t i = 0; i < count; ++i) {
        if (i)
            line += ", ";
        Parameter parameter = i < parameters.size() ? parameters[i] : Parameter{};
        line += argumentText(parameter, function, i, count, arguments);
    }
    line += ')';
    log.push_back(std::move(line));
}

void GLRecorder::setExtensions(const std::string& names) {
    extensions = names;
    dropRowsNotNamed();
}

void GLRecorder::removeExtension(const std::string& name) {
    std::string kept;
    std::size_t start = 0;
    while (start < extensions.size()) {
        std::size_t end = extensions.find(' ', start);
        if (end == std::string::npos)
            end = extensions.size();
        std::string word = extensions.substr(start, end - start);
        if (!word.empty() && word != name)
            kept += (kept.empty() ? "" : " ") + word;
        start = end + 1;
    }
    setExtensions(kept);
}

void GLRecorder::setString(GLenum name, const std::string& value) {
    if (name == GL_EXTENSIONS)
        setExtensions(value);
    else
        strings[name] = value;
}

GLRecorder::CapabilityKey GLRecorder::capabilityKey(GLenum capability) const {
    if (capability == GL_TEXTURE_COORD_ARRAY)
        return {capability, clientUnit};
    return {capability, isPerUnit(capability) ? activeUnit : 0};
}

void GLRecorder::setEnabled(GLenum capability, bool on, int unit) {
    CapabilityKey key{capability,
                      isPerUnit(capability) || capability == GL_TEXTURE_COORD_ARRAY ? unit : 0};
    if (on)
        enabled.insert(key);
    else
        enabled.erase(key);
}

bool GLRecorder::isEnabled(GLenum capability, int unit) const {
    CapabilityKey key{capability,
                      isPerUnit(capability) || capability == GL_TEXTURE_COORD_ARRAY ? unit : 0};
    return enabled.contains(key);
}

void GLRecorder::setIntegers(GLenum name, std::vector<GLint> values) {
    integers[name] = std::move(values);
}

std::vector<std::uint8_t> GLRecorder::bufferContents(GLuint buffer) const {
    auto found = buffers.find(buffer);
    return found == buffers.end() ? std::vector<std::uint8_t>{} : found->second;
}

void GLRecorder::enable(GLenum capability, bool on) {
    if (on)
        enabled.insert(capabilityKey(capability));
    else
        enabled.erase(capabilityKey(capability));
}

GLboolean GLRecorder::enabledAnswer(GLenum capability) {
    return enabled.contains(capabilityKey(capability)) ? GL_TRUE : GL_FALSE;
}

GLenum GLRecorder::bindingQuery(GLenum target) const {
    switch (target) {
    case GL_TEXTURE_1D:
        return GL_TEXTURE_BINDING_1D;
    case GL_TEXTURE_2D:
        return GL_TEXTURE_BINDING_2D;
    case GL_TEXTURE_3D_EXT:
        return GL_TEXTURE_BINDING_3D;
    case GL_TEXTURE_CUBE_MAP_ARB:
        return GL_TEXTURE_BINDING_CUBE_MAP_ARB;
    case GL_TEXTURE_RECTANGLE_ARB:
        return GL_TEXTURE_BINDING_RECTANGLE_ARB;
    case GL_ARRAY_BUFFER_ARB:
        return GL_ARRAY_BUFFER_BINDING_ARB;
    case GL_ELEMENT_ARRAY_BUFFER_ARB:
        return GL_ELEMENT_ARRAY_BUFFER_BINDING_ARB;
    default:
        return 0;
    }
}

void GLRecorder::getIntegerv(GLenum name, GLint* values) {
    if (!values)
        return;
    // Texture bindings belong to the active unit: kept as name + unit << 20.
    GLenum key = name;
    switch (name) {
    case GL_TEXTURE_BINDING_1D:
    case GL_TEXTURE_BINDING_2D:
    case GL_TEXTURE_BINDING_3D:
    case GL_TEXTURE_BINDING_CUBE_MAP_ARB:
    case GL_TEXTURE_BINDING_RECTANGLE_ARB:
        key = name + (GLenum(activeUnit) << 20);
        break;
    default:
        break;
    }
    auto found = integers.find(key);
    if (found == integers.end()) {
        values[0] = 0;
        return;
    }
    std::copy(found->second.begin(), found->second.end(), values);
}

void GLRecorder::getFloatv(GLenum name, GLfloat* values) {
    if (!values)
        return;
    auto found = integers.find(name);
    if (found == integers.end())
        values[0] = 0;
    else
        std::copy(found->second.begin(), found->second.end(), values);
}

void GLRecorder::getBooleanv(GLenum name, GLboolean* values) {
    if (!values)
        return;
    auto found = integers.find(name);
    if (found == integers.end())
        values[0] = GL_FALSE;
    else
        for (std::size_t i = 0; i < found->second.size(); ++i)
            values[i] = found->second[i] ? GL_TRUE : GL_FALSE;
}

GLenum GLRecorder::getError() {
    if (errors.empty())
        return GL_NO_ERROR;
    GLenum error = errors.front();
    errors.pop_front();
    return error;
}

const GLubyte* GLRecorder::getString(GLenum name) {
    if (name == GL_EXTENSIONS)
        return reinterpret_cast<const GLubyte*>(extensions.c_str());
    auto found = strings.find(name);
    return found == strings.end() ? nullptr
                                  : reinterpret_cast<const GLubyte*>(found->second.c_str());
}

void GLRecorder::generate(GLenum kind, GLsizei count, GLuint* names) {
    for (GLsizei i = 0; names && i < count; ++i) {
        names[i] = ++lastName[kind];
        if (kind == GL_TEXTURE)
            textures[names[i]] = TextureRecord{};
        else if (kind == GL_ARRAY_BUFFER_ARB)
            buffers[names[i]];
    }
}

void GLRecorder::erase(GLenum kind, GLsizei count, const GLuint* names) {
    for (GLsizei i = 0; names && i < count; ++i) {
        if (kind == GL_TEXTURE)
            textures.erase(names[i]);
        else if (kind == GL_ARRAY_BUFFER_ARB)
            buffers.erase(names[i]);
    }
}

void GLRecorder::matrixMode(GLenum mode) {
    integers[GL_MATRIX_MODE] = {GLint(mode)};
}

void GLRecorder::activeTexture(GLenum unit) {
    activeUnit = int(unit - GL_TEXTURE0_ARB);
    integers[GL_ACTIVE_TEXTURE_ARB] = {GLint(unit)};
}

void GLRecorder::clientActiveTexture(GLenum unit) {
    clientUnit = int(unit - GL_TEXTURE0_ARB);
    integers[GL_CLIENT_ACTIVE_TEXTURE_ARB] = {GLint(unit)};
}

void GLRecorder::bindTexture(GLenum target, GLuint texture) {
    if (GLenum query = bindingQuery(target))
        integers[query + (GLenum(activeUnit) << 20)] = {GLint(texture)};
    if (texture) {
        TextureRecord& record = textures[texture];
        record.target = target;
    }
}

void GLRecorder::texImage(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                          GLsizei height) {
    if (level != 0)
        return;
    GLint bound[1] = {0};
    getIntegerv(bindingQuery(target), bound);
    auto found = textures.find(GLuint(bound[0]));
    if (found == textures.end())
        return;
    found->second.width = width;
    found->second.height = height;
    found->second.internalFormat = internalFormat;
}

void GLRecorder::getTexLevelParameteriv(GLenum target, GLint level, GLenum name, GLint* value) {
    if (!value)
        return;
    *value = 0;
    GLint bound[1] = {0};
    getIntegerv(bindingQuery(target), bound);
    auto found = textures.find(GLuint(bound[0]));
    if (level != 0 || found == textures.end())
        return;
    if (name == GL_TEXTURE_WIDTH)
        *value = found->second.width;
    else if (name == GL_TEXTURE_HEIGHT)
        *value = found->second.height;
    else if (name == GL_TEXTURE_INTERNAL_FORMAT)
        *value = found->second.internalFormat;
}

GLboolean GLRecorder::isTexture(GLuint texture) const {
    return texture && textures.contains(texture) ? GL_TRUE : GL_FALSE;
}

void GLRecorder::viewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    integers[GL_VIEWPORT] = {x, y, width, height};
}

void GLRecorder::bindBuffer(GLenum target, GLuint buffer) {
    if (GLenum query = bindingQuery(target))
        integers[query] = {GLint(buffer)};
}

std::vector<std::uint8_t>* GLRecorder::boundBuffer(GLenum target) {
    GLint bound[1] = {0};
    getIntegerv(bindingQuery(target), bound);
    auto found = buffers.find(GLuint(bound[0]));
    return found == buffers.end() ? nullptr : &found->second;
}

void GLRecorder::bufferData(GLenum target, GLsizeiptrARB size, const void* data) {
    std::vector<std::uint8_t>* storage = boundBuffer(target);
    if (!storage || size < 0)
        return;
    storage->assign(std::size_t(size), 0);
    if (data)
        std::memcpy(storage->data(), data, std::size_t(size));
}

void GLRecorder::bufferSubData(GLenum target, GLintptrARB offset, GLsizeiptrARB size,
                               const void* data) {
    std::vector<std::uint8_t>* storage = boundBuffer(target);
    if (!storage || !data || offset < 0 || size < 0 || std::size_t(offset + size) > storage->size())
        return;
    std::memcpy(storage->data() + offset, data, std::size_t(size));
}

void* GLRecorder::mapBuffer(GLenum target) {
    std::vector<std::uint8_t>* storage = boundBuffer(target);
    if (mappingRefused || !storage || storage->empty())
        return nullptr;
    return storage->data();
}

} // namespace orvane::graphics3d
