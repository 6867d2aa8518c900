#include "orvane/graphics3d/state/BumpShader.h"
#include "orvane/graphics3d/state/ColourShader.h"
#include "orvane/graphics3d/state/EnvironmentBumpShader.h"
#include "orvane/graphics3d/state/EnvironmentShader.h"
#include "orvane/graphics3d/state/TextureEnvironmentBumpShader.h"
#include "orvane/graphics3d/state/TextureShader.h"
#include "tests/graphics3d/RecordedContext.h"

#include <string>
#include <utility>

namespace orvane::graphics3d {
namespace {

using test::Calls;
using test::RecordedContext;

using ShaderTest = RecordedContext;

Calls applied(Shader& shader, GLRecorder& recorder) {
    recorder.clear();
    shader.apply();
    return recorder.takeCalls();
}

Calls unapplied(Shader& shader, GLRecorder& recorder) {
    recorder.clear();
    shader.unapply();
    return recorder.takeCalls();
}

TEST_F(ShaderTest, EachShaderDeclaresItsArraysAndStartsWithoutProgramsOrConstants) {
    ColourShader colour;
    TextureShader texture;
    BumpShader bump;
    EnvironmentShader environment;
    EnvironmentBumpShader environmentBump;
    TextureEnvironmentBumpShader textureEnvironmentBump;
    const std::pair<Shader*, std::uint32_t> expected[] = {
        {&colour, 0x5},      {&texture, 0x1005},         {&bump, 0x1005},
        {&environment, 0x5}, {&environmentBump, 0x1005}, {&textureEnvironmentBump, 0x3005}};
    for (auto [shader, arrays] : expected) {
        SCOPED_TRACE(shader->getClassName().cString());
        EXPECT_EQ(shader->arrays, arrays);
        EXPECT_EQ(shader->arrayMask, arrays);
        EXPECT_FALSE(shader->programA);
        EXPECT_FALSE(shader->programB);
        EXPECT_EQ(shader->constants.count(), 0u);
    }
    EXPECT_EQ(colour.getClassName(), "Object:Resource:Shader:ColourShader");
    EXPECT_EQ(environmentBump.getClassName(),
              "Object:Resource:Shader:TextureShader:EnvironmentBumpShader");
    EXPECT_EQ(colour.constants.getClassName(), "Object:ConstantList");
    EXPECT_TRUE(applied(colour, recorder).empty()) << "no texture state of its own";
    EXPECT_TRUE(unapplied(colour, recorder).empty());
    colour.setArrays(0x1);
    EXPECT_EQ(colour.arrayMask, 0x1u);
}

TEST_F(ShaderTest, TextureAndBumpShadersSetUpUnitZero) {
    TextureShader texture;
    EXPECT_EQ(applied(texture, recorder),
              (Calls{"glActiveTextureARB(GL_TEXTURE0_ARB)", "glEnable(GL_TEXTURE_2D)",
                     "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE)"}));
    const Calls offOnUnitZero = {"glActiveTextureARB(GL_TEXTURE0_ARB)", "glDisable(GL_TEXTURE_2D)"};
    EXPECT_EQ(unapplied(texture, recorder), offOnUnitZero);

    BumpShader bump;
    EXPECT_EQ(applied(bump, recorder),
              (Calls{"glActiveTextureARB(GL_TEXTURE0_ARB)", "glEnable(GL_TEXTURE_2D)",
                     "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB)",
                     "glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_DOT3_RGBA_ARB)",
                     "glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, GL_PREVIOUS_ARB)",
                     "glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB_ARB, GL_SRC_COLOR)",
                     "glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, GL_TEXTURE)",
                     "glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_ARB, GL_SRC_COLOR)"}));
    EXPECT_EQ(unapplied(bump, recorder), offOnUnitZero);
}

TEST_F(ShaderTest, EnvironmentShadersGenerateSphereMapCoordinates) {
    const Calls sphereMap = {"glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP)",
                             "glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP)",
                             "glEnable(GL_TEXTURE_GEN_S)", "glEnable(GL_TEXTURE_GEN_T)"};
    EnvironmentShader environment;
    Calls expected = {"glActiveTextureARB(GL_TEXTURE0_ARB)", "glEnable(GL_TEXTURE_2D)",
                      "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE)"};
    expected.insert(expected.end(), sphereMap.begin(), sphereMap.end());
    EXPECT_EQ(applied(environment, recorder), expected);
    EXPECT_EQ(unapplied(environment, recorder),
              (Calls{"glActiveTextureARB(GL_TEXTURE0_ARB)", "glDisable(GL_TEXTURE_2D)",
                     "glDisable(GL_TEXTURE_GEN_S)", "glDisable(GL_TEXTURE_GEN_T)"}));

    EnvironmentBumpShader environmentBump;
    expected = {"glActiveTextureARB(GL_TEXTURE0_ARB)",
                "glEnable(GL_TEXTURE_2D)",
                "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB)",
                "glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_BUMP_ENVMAP_ATI)",
                "glTexEnvi(GL_TEXTURE_ENV, GL_BUMP_TARGET_ATI, GL_TEXTURE1_ARB)",
                "glActiveTextureARB(GL_TEXTURE1_ARB)",
                "glEnable(GL_TEXTURE_2D)"};
    expected.insert(expected.end(), sphereMap.begin(), sphereMap.end());
    EXPECT_EQ(applied(environmentBump, recorder), expected);
    EXPECT_EQ(unapplied(environmentBump, recorder),
              (Calls{"glActiveTextureARB(GL_TEXTURE0_ARB)", "glDisable(GL_TEXTURE_2D)",
                     "glActiveTextureARB(GL_TEXTURE1_ARB)", "glDisable(GL_TEXTURE_2D)",
                     "glDisable(GL_TEXTURE_GEN_S)", "glDisable(GL_TEXTURE_GEN_T)"}));
}

TEST_F(ShaderTest, TextureEnvironmentBumpShaderCombinesThreeUnitsAndUndoesThemAll) {
    TextureEnvironmentBumpShader shader;
    auto unit = [](int n) {
        return Calls{"glActiveTextureARB(GL_TEXTURE" + std::to_string(n) + "_ARB)",
                     "glEnable(GL_TEXTURE_2D)",
                     "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB)",
                     "glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, GL_TEXTURE)"};
    };
    Calls expected = unit(0);
    for (const char* line : {"glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_MODULATE)",
                             "glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, GL_PREVIOUS_ARB)"})
        expected.push_back(line);
    for (const std::string& line : unit(1))
        expected.push_back(line);
    for (const char* line : {"glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_BUMP_ENVMAP_ATI)",
                             "glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, GL_TEXTURE)",
                             "glTexEnvi(GL_TEXTURE_ENV, GL_BUMP_TARGET_ATI, GL_TEXTURE2_ARB)"})
        expected.push_back(line);
    for (const std::string& line : unit(2))
        expected.push_back(line);
    for (const char* line : {"glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_ADD)",
                             "glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, GL_PREVIOUS_ARB)",
                             "glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP)",
                             "glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP)",
                             "glEnable(GL_TEXTURE_GEN_S)", "glEnable(GL_TEXTURE_GEN_T)"})
        expected.push_back(line);
    EXPECT_EQ(applied(shader, recorder), expected);

    shader.unapply();
    for (int n = 0; n < 3; ++n)
        EXPECT_FALSE(recorder.isEnabled(GL_TEXTURE_2D, n)) << n;
    EXPECT_FALSE(recorder.isEnabled(GL_TEXTURE_GEN_S, 2));
    EXPECT_FALSE(recorder.isEnabled(GL_TEXTURE_GEN_T, 2));
    EXPECT_EQ(recorder.takeCalls().back(), "glDisable(GL_TEXTURE_GEN_T)");
}

// Switching through the shader stack: the previous shader's unapply, the arrays, the new
// shader's apply.
TEST_F(ShaderTest, SwitchesUndoWhatThePreviousShaderSetUp) {
    ColourShader colour;
    TextureShader texture;
    EnvironmentShader environment;
    ShaderStack& stack = context->shaderStack;
    stack.select(&colour);
    recorder.clear();

    stack.select(&texture);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glClientActiveTextureARB(GL_TEXTURE0_ARB)",
                     "glEnableClientState(GL_TEXTURE_COORD_ARRAY)",
                     "glActiveTextureARB(GL_TEXTURE0_ARB)", "glEnable(GL_TEXTURE_2D)",
                     "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE)"}));
    EXPECT_TRUE(recorder.isEnabled(GL_TEXTURE_2D, 0));

    stack.select(&colour);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glActiveTextureARB(GL_TEXTURE0_ARB)", "glDisable(GL_TEXTURE_2D)",
                     "glClientActiveTextureARB(GL_TEXTURE0_ARB)",
                     "glDisableClientState(GL_TEXTURE_COORD_ARRAY)"}));
    EXPECT_FALSE(recorder.isEnabled(GL_TEXTURE_2D, 0));
    EXPECT_FALSE(recorder.isEnabled(GL_TEXTURE_COORD_ARRAY, 0));

    stack.select(&texture);
    recorder.clear();
    stack.select(&environment);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glActiveTextureARB(GL_TEXTURE0_ARB)", "glDisable(GL_TEXTURE_2D)",
                     "glClientActiveTextureARB(GL_TEXTURE0_ARB)",
                     "glDisableClientState(GL_TEXTURE_COORD_ARRAY)",
                     "glActiveTextureARB(GL_TEXTURE0_ARB)", "glEnable(GL_TEXTURE_2D)",
                     "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE)",
                     "glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP)",
                     "glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP)",
                     "glEnable(GL_TEXTURE_GEN_S)", "glEnable(GL_TEXTURE_GEN_T)"}));
    stack.reset();
}

// Every shader destroyed while it is current is undone as its unapply would have undone it,
// without being called: the state it switched on does not stay behind under the next
// shader (a texture shown on plain parts).
TEST_F(ShaderTest, AShaderDestroyedWhileCurrentIsUndoneAsItsUnapplyWould) {
    using Make = Shader* (*)();
    const std::vector<std::pair<const char*, Make>> shaders = {
        {"colour", []() -> Shader* { return new ColourShader; }},
        {"texture", []() -> Shader* { return new TextureShader; }},
        {"bump", []() -> Shader* { return new BumpShader; }},
        {"environment", []() -> Shader* { return new EnvironmentShader; }},
        {"environment bump", []() -> Shader* { return new EnvironmentBumpShader; }},
        {"texture environment bump", []() -> Shader* { return new TextureEnvironmentBumpShader; }},
    };
    ShaderStack& stack = context->shaderStack;
    for (const auto& [name, make] : shaders) {
        Shader* twin = make();
        twin->apply();
        const Calls expected = unapplied(*twin, recorder);
        twin->release();

        Shader* shader = make();
        stack.select(shader);
        recorder.clear();
        shader->release();
        EXPECT_EQ(recorder.takeCalls(), expected) << name;
        EXPECT_EQ(stack.shader, nullptr) << name;
        EXPECT_FALSE(recorder.isEnabled(GL_TEXTURE_2D, 0)) << name;
        stack.reset();
        EXPECT_TRUE(recorder.takeCalls().empty()) << name << ": undone once";
    }
}

// A stage program that logs its enables and disables as OpenGL calls.
class LoggedProgram : public ShaderProgram {
public:
    LoggedProgram(std::uint32_t arrays, GLuint id)
        : ShaderProgram(arrays)
        , id(id) {}
    void enable() override { gl.glBindProgramARB(GL_VERTEX_PROGRAM_ARB, id); }
    void disable() override { gl.glBindProgramARB(GL_VERTEX_PROGRAM_ARB, 0); }
    GLuint id;
};

TEST_F(ShaderTest, StageProgramsJoinTheMaskAndAreSwitchedPerSlot) {
    auto first = object::Pointer<LoggedProgram>::adopt(new LoggedProgram(0x10, 1));
    auto second = object::Pointer<LoggedProgram>::adopt(new LoggedProgram(0x2000, 2));
    ColourShader withFirst;
    withFirst.setProgramA(first.get());
    ColourShader withBoth;
    withBoth.setProgramA(first.get());
    withBoth.setProgramB(second.get());
    EXPECT_EQ(withFirst.arrayMask, 0x15u);
    EXPECT_EQ(withBoth.arrayMask, 0x2015u);
    withBoth.setArrays(0x1);
    EXPECT_EQ(withBoth.arrayMask, 0x2011u);

    EXPECT_EQ(applied(withFirst, recorder), (Calls{"glBindProgramARB(GL_VERTEX_PROGRAM_ARB, 1)"}));
    EXPECT_EQ(applied(withBoth, recorder), (Calls{"glBindProgramARB(GL_VERTEX_PROGRAM_ARB, 2)"}))
        << "slot A holds the same program already";
    EXPECT_EQ(unapplied(withFirst, recorder),
              (Calls{"glBindProgramARB(GL_VERTEX_PROGRAM_ARB, 0)"}));
    EXPECT_EQ(context->shaderStack.programA, nullptr);
    EXPECT_EQ(context->shaderStack.programB, second.get());
    EXPECT_TRUE(unapplied(withFirst, recorder).empty()) << "no longer current";

    // A program destroyed while current leaves its slot without being called.
    withBoth.setProgramB(nullptr);
    second = nullptr;
    EXPECT_EQ(context->shaderStack.programB, nullptr);
}

TEST_F(ShaderTest, DestroyedShaderReleasesItsProgramsAndConstants) {
    int destroyed = 0;
    auto* shader = new TextureShader;
    class TrackedConstant : public Constant {
    public:
        explicit TrackedConstant(int* count)
            : count(count) {}
        ~TrackedConstant() override { ++*count; }
        int* count;
    };
    class TrackedProgram : public LoggedProgram {
    public:
        explicit TrackedProgram(int* count)
            : LoggedProgram(0, 3)
            , count(count) {}
        ~TrackedProgram() override { ++*count; }
        int* count;
    };
    auto* tracked = new TrackedConstant(&destroyed);
    shader->constants.add(tracked);
    tracked->release();
    auto* program = new TrackedProgram(&destroyed);
    shader->setProgramB(program);
    program->release();
    EXPECT_EQ(destroyed, 0);
    shader->release();
    EXPECT_EQ(destroyed, 2);
}

} // namespace
} // namespace orvane::graphics3d
