#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/state/Light.h"
#include "orvane/graphics3d/state/Material.h"
#include "orvane/graphics3d/state/Mode.h"
#include "orvane/graphics3d/state/Shader.h"
#include "orvane/graphics3d/state/Texture.h"
#include "orvane/system/Assembler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane::graphics3d {
namespace {

using Calls = std::vector<std::string>;

// State objects that leave one recognisable call each, so that the logs show when the
// stacks apply them.
class MarkMaterial : public Material {
public:
    explicit MarkMaterial(float mark)
        : mark(mark) {}
    void apply() override { gl.glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, mark); }
    float mark;
};

class MarkMode : public Mode {
public:
    explicit MarkMode(GLenum function)
        : function(function) {}
    void apply() override { gl.glDepthFunc(function); }
    void unapply() override { gl.glDepthFunc(GL_ALWAYS); }
    GLenum function;
};

class MarkLight : public Light {
public:
    explicit MarkLight(float intensity)
        : intensity(intensity) {}
    void apply(int index) override {
        gl.glLightf(GL_LIGHT0 + GLenum(index), GL_CONSTANT_ATTENUATION, intensity);
    }
    float intensity;
};

class MarkShader : public Shader {
public:
    MarkShader(std::uint32_t arrays, GLenum mode)
        : Shader(arrays)
        , mode(mode) {}
    void apply() override { gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GLint(mode)); }
    void unapply() override { gl.glDisable(GL_TEXTURE_2D); }
    GLenum mode;
};

// A context without any OpenGL behind it, in front of a recorder.
class ContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        context = Context::createForCurrent();
        context->release(); // the chain keeps it until retire()
        recorder.clear();
    }
    void TearDown() override { context->retire(); }

    GLRecorder recorder;
    Context* context = nullptr;
};

TEST_F(ContextTest, IsFoundAgainAndLeavesTheChainWhenRetired) {
    std::size_t before = Context::count();
    EXPECT_EQ(Context::current(), context);
    EXPECT_EQ(Context::acquire(), context) << "no second context for the same OpenGL context";
    EXPECT_EQ(Context::count(), before);
    EXPECT_EQ(context->renderingContext, nullptr);
    EXPECT_EQ(context->getClassName(), "Object:Context");
    EXPECT_EQ(context->textureStack.getClassName(), "Object:TextureStack");
    EXPECT_EQ(context->frameBuffer.getClassName(), "Object:FrameBuffer");
    EXPECT_EQ(context->textureStack.targets[7], GLenum(GL_TEXTURE_2D));
    EXPECT_TRUE(context->extensions.isSupported("GL_ARB_multitexture"));

    Context* other = Context::createForCurrent();
    EXPECT_EQ(Context::count(), before + 1);
    EXPECT_EQ(Context::current(), other);
    other->retire();
    EXPECT_EQ(Context::current(), nullptr) << "a retired context stops being current";
    EXPECT_EQ(Context::count(), before);
    EXPECT_EQ(other->getReferenceCount(), 1) << "the chain gave its reference back";
    other->release();
    EXPECT_EQ(Context::acquire(), context);
}

TEST_F(ContextTest, MatrixModeIsSentOnlyWhenItChanges) {
    context->matrixStack.setMatrixMode(GL_PROJECTION);
    context->matrixStack.setMatrixMode(GL_PROJECTION);
    context->matrixStack.setMatrixMode(GL_MODELVIEW);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glMatrixMode(GL_PROJECTION)", "glMatrixMode(GL_MODELVIEW)"}));
}

TEST_F(ContextTest, MaterialsApplyOnceAndAreForgottenWhenDestroyed) {
    MaterialStack& stack = context->materialStack;
    auto* material = new MarkMaterial(1);
    MarkMaterial other(2);
    stack.select(material);
    stack.select(material);
    stack.selectAlways(material);
    stack.select(&other);
    stack.select(material);
    stack.deselect(material);
    EXPECT_EQ(stack.material, nullptr) << "deselect makes no call";
    stack.select(material);
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 1)",
                                           "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 1)",
                                           "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 2)",
                                           "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 1)",
                                           "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 1)"}));
    material->release();
    EXPECT_EQ(stack.material, nullptr) << "the destroyed material left the stack";
    EXPECT_TRUE(recorder.calls().empty());
    stack.select(&other);
    stack.reset();
    EXPECT_EQ(stack.material, nullptr);
}

TEST_F(ContextTest, LightsEnableEmptySlotsOnlyAndSwitchOffWhenDestroyed) {
    LightStack& stack = context->lightStack;
    MarkLight first(1);
    auto* second = new MarkLight(2);
    stack.select(&first, 3);
    stack.select(&first, 3);
    stack.select(second, 3);
    stack.select(second, 0);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glEnable(GL_LIGHT3)", "glLightf(GL_LIGHT3, GL_CONSTANT_ATTENUATION, 1)",
                     "glLightf(GL_LIGHT3, GL_CONSTANT_ATTENUATION, 2)", "glEnable(GL_LIGHT0)",
                     "glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 2)"}));
    second->release();
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glDisable(GL_LIGHT0)", "glDisable(GL_LIGHT3)"}));
    EXPECT_EQ(stack.lights[0], nullptr);
    EXPECT_EQ(stack.lights[3], nullptr);
    stack.select(&first, 8);
    EXPECT_TRUE(recorder.calls().empty()) << "an index outside 0 to 7 is ignored";
}

// The active unit is made active once; a shader (which may switch units itself) makes
// the stack forget it, and without redundancy tests every bind makes it active again.
TEST_F(ContextTest, TheActiveUnitIsSwitchedOnlyWhenItChangesOrMayHaveChanged) {
    TextureStack& stack = context->textureStack;
    Texture a(5, GL_TEXTURE_2D), b(6, GL_TEXTURE_2D);
    recorder.clear();
    stack.bind(&a, 3);
    stack.bind(&b, 3);
    EXPECT_EQ(recorder.count("glActiveTextureARB"), 1u);
    auto* shader = new MarkShader(0, GL_MODULATE);
    context->shaderStack.select(shader);
    recorder.clear();
    stack.bind(&a, 3);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glActiveTextureARB(GL_TEXTURE3_ARB)", "glBindTexture(GL_TEXTURE_2D, 5)"}));
    context->setRedundancyTests(false);
    stack.bind(&a, 3);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glActiveTextureARB(GL_TEXTURE3_ARB)", "glBindTexture(GL_TEXTURE_2D, 5)"}));
    context->setRedundancyTests(true);
    context->shaderStack.reset();
    shader->release();
}

TEST_F(ContextTest, TexturesBindOnceAndCarryAnEnabledTargetAcrossATargetChange) {
    TextureStack& stack = context->textureStack;
    Texture flat(5, GL_TEXTURE_2D);
    Texture cube(6, GL_TEXTURE_CUBE_MAP_ARB);
    auto* rectangle = new Texture(7, GL_TEXTURE_RECTANGLE_ARB);
    recorder.clear(); // what wrapping the texture objects sent
    stack.bind(&flat, 1);
    stack.bind(&flat, 1);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glActiveTextureARB(GL_TEXTURE1_ARB)", "glBindTexture(GL_TEXTURE_2D, 5)"}));

    // Unit 1 has texturing on: the cube map takes it over.
    recorder.setEnabled(GL_TEXTURE_2D, true, 1);
    stack.bind(&cube, 1);
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glIsEnabled(GL_TEXTURE_2D)", "glDisable(GL_TEXTURE_2D)",
                                           "glEnable(GL_TEXTURE_CUBE_MAP_ARB)",
                                           "glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, 6)"}))
        << "unit 1 is active already";
    EXPECT_TRUE(recorder.isEnabled(GL_TEXTURE_CUBE_MAP_ARB, 1));

    // Unit 2 has texturing off: only the target is recorded.
    stack.bind(rectangle, 2);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glActiveTextureARB(GL_TEXTURE2_ARB)", "glIsEnabled(GL_TEXTURE_2D)",
                     "glBindTexture(GL_TEXTURE_RECTANGLE_ARB, 7)"}));
    EXPECT_EQ(stack.targets[2], GLenum(GL_TEXTURE_RECTANGLE_ARB));
    EXPECT_FALSE(recorder.isEnabled(GL_TEXTURE_RECTANGLE_ARB, 2));
    stack.bind(&flat, 2);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glIsEnabled(GL_TEXTURE_RECTANGLE_ARB)", "glBindTexture(GL_TEXTURE_2D, 5)"}));

    stack.bind(rectangle, 3);
    recorder.clear();
    rectangle->release();
    EXPECT_EQ(stack.textures[3], nullptr);
    EXPECT_TRUE(recorder.calls().empty()) << "a destroyed texture is forgotten without calls";
    stack.unbind(&flat, 2);
    stack.bind(&flat, 2);
    EXPECT_EQ(recorder.takeCalls().size(), 2u) << "an unbound texture is bound again";
}

TEST_F(ContextTest, ShadersSwitchTheirClientArrays) {
    ShaderStack& stack = context->shaderStack;
    MarkShader textured(0x1005, GL_MODULATE);
    MarkShader coloured(0x5, GL_REPLACE);
    stack.select(&textured);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glEnableClientState(GL_VERTEX_ARRAY)", "glEnableClientState(GL_NORMAL_ARRAY)",
                     "glClientActiveTextureARB(GL_TEXTURE0_ARB)",
                     "glEnableClientState(GL_TEXTURE_COORD_ARRAY)",
                     "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE)"}));
    // 0x1005 to 0x5: only unit 0's coordinates go off; vertices and normals stay.
    stack.select(&coloured);
    stack.select(&coloured);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glDisable(GL_TEXTURE_2D)", "glClientActiveTextureARB(GL_TEXTURE0_ARB)",
                     "glDisableClientState(GL_TEXTURE_COORD_ARRAY)",
                     "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE)"}));
    EXPECT_EQ(stack.clientArrays, 0x5u);

    stack.deselect(&textured);
    EXPECT_TRUE(recorder.calls().empty()) << "deselecting a shader that is not current";
    stack.deselect(&coloured);
    stack.reset();
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glDisable(GL_TEXTURE_2D)"}));

    auto* doomed = new MarkShader(0x1, GL_ADD);
    stack.select(doomed);
    recorder.clear();
    doomed->release();
    EXPECT_EQ(stack.shader, nullptr);
    stack.select(&coloured);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glEnableClientState(GL_NORMAL_ARRAY)",
                     "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE)"}))
        << "the destroyed shader is not unapplied";
}

TEST_F(ContextTest, ClientArraysGoInTheirFixedOrderOffBeforeOn) {
    ShaderStack& stack = context->shaderStack;
    stack.setClientArrays(0x1D5 | 0x5000);
    EXPECT_EQ(
        recorder.takeCalls(),
        (Calls{"glEnableClientState(GL_VERTEX_ARRAY)", "glEnableClientState(GL_NORMAL_ARRAY)",
               "glEnableClientState(GL_COLOR_ARRAY)", "glEnableClientState(GL_EDGE_FLAG_ARRAY)",
               "glEnableClientState(GL_FOG_COORDINATE_ARRAY_EXT)",
               "glEnableClientState(GL_WEIGHT_ARRAY_ARB)",
               "glClientActiveTextureARB(GL_TEXTURE0_ARB)",
               "glEnableClientState(GL_TEXTURE_COORD_ARRAY)",
               "glClientActiveTextureARB(GL_TEXTURE2_ARB)",
               "glEnableClientState(GL_TEXTURE_COORD_ARRAY)"}));
    stack.setClientArrays(0x1D5 | 0x5000);
    EXPECT_TRUE(recorder.calls().empty());
    stack.setClientArrays(0x11 | 0x82000);
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glDisableClientState(GL_NORMAL_ARRAY)",
                                           "glDisableClientState(GL_EDGE_FLAG_ARRAY)",
                                           "glDisableClientState(GL_FOG_COORDINATE_ARRAY_EXT)",
                                           "glDisableClientState(GL_WEIGHT_ARRAY_ARB)",
                                           "glClientActiveTextureARB(GL_TEXTURE0_ARB)",
                                           "glDisableClientState(GL_TEXTURE_COORD_ARRAY)",
                                           "glClientActiveTextureARB(GL_TEXTURE1_ARB)",
                                           "glEnableClientState(GL_TEXTURE_COORD_ARRAY)",
                                           "glClientActiveTextureARB(GL_TEXTURE2_ARB)",
                                           "glDisableClientState(GL_TEXTURE_COORD_ARRAY)",
                                           "glClientActiveTextureARB(GL_TEXTURE7_ARB)",
                                           "glEnableClientState(GL_TEXTURE_COORD_ARRAY)"}));
    stack.setClientArrays(0x20001);
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glDisableClientState(GL_COLOR_ARRAY)",
                                           "glClientActiveTextureARB(GL_TEXTURE1_ARB)",
                                           "glDisableClientState(GL_TEXTURE_COORD_ARRAY)",
                                           "glClientActiveTextureARB(GL_TEXTURE5_ARB)",
                                           "glEnableClientState(GL_TEXTURE_COORD_ARRAY)",
                                           "glClientActiveTextureARB(GL_TEXTURE7_ARB)",
                                           "glDisableClientState(GL_TEXTURE_COORD_ARRAY)"}));
}

TEST_F(ContextTest, ModesUnapplyThePreviousModeAndAreForgottenWhenDestroyed) {
    ModeStack& stack = context->modeStack;
    MarkMode less(GL_LESS);
    auto* equal = new MarkMode(GL_EQUAL);
    stack.select(&less);
    stack.select(&less);
    stack.select(equal);
    stack.selectAlways(equal);
    stack.reset();
    stack.reset();
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glDepthFunc(GL_LESS)", "glDepthFunc(GL_ALWAYS)", "glDepthFunc(GL_EQUAL)",
                     "glDepthFunc(GL_ALWAYS)", "glDepthFunc(GL_EQUAL)", "glDepthFunc(GL_ALWAYS)"}));
    stack.select(equal);
    recorder.clear();
    equal->release();
    EXPECT_EQ(stack.mode, nullptr);
    stack.select(&less);
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glDepthFunc(GL_LESS)"}))
        << "the destroyed mode is not unapplied";
}

TEST_F(ContextTest, WithoutRedundancyTestsEveryStackResendsItsState) {
    context->setRedundancyTests(false);
    EXPECT_FALSE(context->redundancyTests());
    MarkMaterial material(1);
    MarkLight light(1);
    MarkMode mode(GL_LESS);
    MarkShader shader(0x5, GL_MODULATE);
    Texture texture(4, GL_TEXTURE_2D);
    recorder.clear();
    for (int i = 0; i < 2; ++i) {
        context->matrixStack.setMatrixMode(GL_MODELVIEW);
        context->materialStack.select(&material);
        context->lightStack.select(&light, 1);
        context->modeStack.select(&mode);
        context->shaderStack.select(&shader);
        context->textureStack.bind(&texture, 0);
    }
    EXPECT_EQ(recorder.count("glMatrixMode"), 2u);
    EXPECT_EQ(recorder.count("glMaterialf"), 2u);
    EXPECT_EQ(recorder.count("glEnable"), 2u) << "the light is enabled each time";
    EXPECT_EQ(recorder.count("glLightf"), 2u);
    EXPECT_EQ(recorder.count("glDepthFunc"), 3u) << "apply, unapply, apply";
    EXPECT_EQ(recorder.count("glTexEnvi"), 2u);
    EXPECT_EQ(recorder.count("glEnableClientState"), 4u) << "vertices and normals each time";
    EXPECT_EQ(recorder.count("glBindTexture"), 2u);
    context->setRedundancyTests(true);
}

TEST_F(ContextTest, GeneratedCodeStoresIntoTheFieldsAtTheirOffsets) {
    using A = system::Assembler;
    MarkMaterial material(1);
    MarkShader shader(0x1, GL_MODULATE);
    A assembler;
    assembler.push(A::ESI);
    assembler.moveImmediate(A::ESI, context);
    auto store = [&](std::ptrdiff_t offset, A::Word value) {
        assembler.moveImmediate(A::EDX, value);
        assembler.storeIndexed(A::ESI, A::Word(offset), A::EDX);
    };
    store(Context::MATERIAL_OFFSET, A::Word(&material));
    store(Context::SHADER_OFFSET, A::Word(&shader));
    store(Context::INDEX_POINTER_OFFSET, 0x123456789A);
    store(Context::INDEX_TYPE_OFFSET, GL_UNSIGNED_SHORT);
    store(Context::INDEX_SIZE_OFFSET, 2);
    assembler.pop(A::ESI);
    assembler.ret();
    auto program = assembler.assemble();
    ASSERT_TRUE(program);
    program->code()();
    EXPECT_EQ(context->materialStack.material, &material);
    EXPECT_EQ(context->shaderStack.shader, &shader);
    EXPECT_EQ(context->indexPointer, 0x123456789Au);
    EXPECT_EQ(context->indexType, std::uintptr_t(GL_UNSIGNED_SHORT));
    EXPECT_EQ(context->indexSize, 2u);
    context->materialStack.reset();
    context->shaderStack.forget(&shader, true);
}

} // namespace
} // namespace orvane::graphics3d
