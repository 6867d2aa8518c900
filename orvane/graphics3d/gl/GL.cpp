#include "orvane/graphics3d/gl/GL.h"

#include "orvane/native/GLContext.h"

#include <atomic>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace orvane::graphics3d {
namespace {

template <class Function>
struct Stub;

template <class Result, class... Arguments>
struct Stub<Result (*)(Arguments...)> {
    static Result call(Arguments...) {
        if constexpr (!std::is_void_v<Result>)
            return Result{};
    }
};

GLTable makeStubs() {
    GLTable table;
#define ORVANE_GL_STUB(row, result, name, parameters)                                              \
    table.name = &Stub<decltype(table.name)>::call;
    ORVANE_GL_FUNCTIONS(ORVANE_GL_STUB)
#undef ORVANE_GL_STUB
    return table;
}

const GLSlotInfo slotInfos[] = {
#define ORVANE_GL_INFO(row, result, name, parameters) {#name, #row, #parameters},
    ORVANE_GL_FUNCTIONS(ORVANE_GL_INFO)
#undef ORVANE_GL_INFO
};

constexpr std::string_view CORE_ROW = "GL_VERSION_1_1";

template <class Function>
Function loadEntry(GLProcLoader loader, const char* name, const char* row, const char* extensions,
                   Function stub) {
    if (row == CORE_ROW) {
        void* address = loader(name);
        return address ? reinterpret_cast<Function>(address) : stub;
    }
    if (!extensionStringNames(extensions, row))
        return nullptr;
    return reinterpret_cast<Function>(loader(name));
}

GLProcLoader loader = native::glProcAddress;
std::atomic<bool> published{false};

} // namespace

GLTable gl = makeStubs();

const GLTable& glStubs() noexcept {
    static const GLTable stubs = makeStubs();
    return stubs;
}

bool GLSlotInfo::isCore() const noexcept {
    return row == CORE_ROW;
}

const GLSlotInfo& glSlotInfo(GLSlot slot) noexcept {
    return slotInfos[std::size_t(slot)];
}

bool findGLSlot(const char* name, GLSlot& slot) noexcept {
    static const auto* byName = [] {
        auto* map = new std::unordered_map<std::string_view, GLSlot>;
        for (std::size_t i = 0; i < GL_SLOT_COUNT; ++i)
            map->emplace(slotInfos[i].name, GLSlot(i));
        return map;
    }();
    if (!name)
        return false;
    auto found = byName->find(name);
    if (found == byName->end())
        return false;
    slot = found->second;
    return true;
}

void* glEntry(const GLTable& table, GLSlot slot) noexcept {
    switch (slot) {
#define ORVANE_GL_GET(row, result, name, parameters)                                               \
    case GLSlot::name:                                                                             \
        return reinterpret_cast<void*>(table.name);
        ORVANE_GL_FUNCTIONS(ORVANE_GL_GET)
#undef ORVANE_GL_GET
    }
    return nullptr;
}

void setGLEntry(GLTable& table, GLSlot slot, void* address) noexcept {
    switch (slot) {
#define ORVANE_GL_SET(row, result, name, parameters)                                               \
    case GLSlot::name:                                                                             \
        table.name = reinterpret_cast<decltype(table.name)>(address);                              \
        return;
        ORVANE_GL_FUNCTIONS(ORVANE_GL_SET)
#undef ORVANE_GL_SET
    }
}

bool extensionStringNames(const char* extensions, const char* name) noexcept {
    if (!extensions || !name || !*name)
        return false;
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at; at = std::strstr(at + 1, name)) {
        bool startsWord = at == extensions || at[-1] == ' ';
        bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

GLTable loadGLTable(GLProcLoader source, const char* extensions) {
    const GLTable& stubs = glStubs();
    GLTable table;
#define ORVANE_GL_LOAD(row, result, name, parameters)                                              \
    table.name = loadEntry(source, #name, #row, extensions, stubs.name);
    ORVANE_GL_FUNCTIONS(ORVANE_GL_LOAD)
#undef ORVANE_GL_LOAD
    return table;
}

GLDispatch saveGLDispatch() {
    return GLDispatch{gl, loader, published.load()};
}

void restoreGLDispatch(const GLDispatch& dispatch) {
    gl = dispatch.table;
    loader = dispatch.loader;
    published = dispatch.published;
}

GLProcLoader glLoader() noexcept {
    return loader;
}

void setGLLoader(GLProcLoader newLoader) noexcept {
    loader = newLoader ? newLoader : native::glProcAddress;
}

bool isGLPublished() noexcept {
    return published.load();
}

bool publishGLTable(const GLTable& table) {
    if (published.load())
        return false;
    gl = table;
    published = true;
    return true;
}

} // namespace orvane::graphics3d
