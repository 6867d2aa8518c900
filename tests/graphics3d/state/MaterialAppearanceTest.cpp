#include "orvane/graphics3d/state/Appearance.h"
#include "orvane/graphics3d/state/ColourMaterial.h"
#include "orvane/graphics3d/state/TextureShader.h"
#include "orvane/system/Assembler.h"
#include "tests/graphics3d/RecordedContext.h"

#include <vector>

namespace orvane::graphics3d {
namespace {

using test::Calls;
using test::RecordedContext;

const Calls freshColourMaterial = {"glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, {0,0,0,0})",
                                   "glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, {0,0,0,0})",
                                   "glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, {0,0,0,0})",
                                   "glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, {0,0,0,0})",
                                   "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0)",
                                   "glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE)",
                                   "glColor4fv({0,0,0,0})"};

using MaterialTest = RecordedContext;

// A material that writes its own code: one store of a marker into a word.
class CompiledMaterial : public Material {
public:
    bool compile(system::Assembler& assembler) override {
        assembler.moveImmediate(system::Assembler::EAX, 0x5EED);
        assembler.storeAbsolute(&marker, system::Assembler::EAX);
        return true;
    }
    void apply() override { gl.glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 99); }
    std::uintptr_t marker = 0;
};

TEST_F(MaterialTest, ColourMaterialSetsBothFacesAndTheAmbientAsCurrentColour) {
    ColourMaterial material;
    EXPECT_EQ(material.getClassName(), "Object:Resource:Material:ColourMaterial");
    material.apply();
    EXPECT_EQ(recorder.takeCalls(), freshColourMaterial);

    const float ambient[4] = {0.25f, 0.5f, 0.75f, 1};
    std::copy(ambient, ambient + 4, material.ambient);
    material.diffuse[0] = 1;
    material.specular[1] = 0.5f;
    material.emission[2] = 0.125f;
    material.shininess = 64;
    const Calls everything = {"glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, {0.25,0.5,0.75,1})",
                              "glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, {1,0,0,0})",
                              "glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, {0,0.5,0,0})",
                              "glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, {0,0,0.125,0})",
                              "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 64)",
                              "glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE)",
                              "glColor4fv({0.25,0.5,0.75,1})"};
    context->setRedundancyTests(false);
    material.apply();
    EXPECT_EQ(recorder.takeCalls(), everything) << "without redundancy tests, all of it";
    context->setRedundancyTests(true);
    context->materialStack.reset();
    material.apply();
    EXPECT_EQ(recorder.takeCalls(), everything) << "after a reset, all of it";
}

// What the last colour material applied is not sent again, whichever object brings it;
// the current colour follows whenever ambient or diffuse changes (colour tracking makes
// it decide both). A change of shader or another kind of material forgets it all.
TEST_F(MaterialTest, ColourMaterialsSendOnlyWhatDiffersFromTheLastApplied) {
    ColourMaterial first, same, brighter;
    first.ambient[0] = same.ambient[0] = 0.5f;
    brighter.ambient[0] = 0.5f;
    brighter.diffuse[1] = 1;
    brighter.shininess = 8;
    context->materialStack.select(&first);
    EXPECT_EQ(recorder.takeCalls().size(), 7u);
    context->materialStack.select(&same);
    EXPECT_TRUE(recorder.takeCalls().empty()) << "equal colours cost nothing";
    context->materialStack.select(&brighter);
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, {0,1,0,0})",
                                           "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 8)",
                                           "glColor4fv({0.5,0,0,0})"}));
    brighter.shininess = 9; // changed after it was applied
    brighter.apply();
    EXPECT_EQ(recorder.takeCalls(), Calls{"glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 9)"});

    auto shader = object::make<Shader>();
    context->shaderStack.select(shader.get());
    recorder.clear();
    context->materialStack.select(&first);
    EXPECT_EQ(recorder.takeCalls().size(), 7u) << "a shader may have changed anything";
    CompiledMaterial foreign;
    context->materialStack.select(&foreign);
    recorder.clear();
    context->materialStack.select(&same);
    EXPECT_EQ(recorder.takeCalls().size(), 7u) << "so may another kind of material";
    context->shaderStack.reset();
}

// Render programs begin with the current context in ESI.
object::Pointer<system::Program> renderProgram(Material& material,
                                               system::Program::Machine machine) {
    using A = system::Assembler;
    A assembler;
    assembler.push(A::ESI);
    assembler.callCdecl(&Context::current);
    assembler.moveRegister(A::ESI, A::EAX);
    material.emitApply(assembler);
    assembler.pop(A::ESI);
    assembler.ret();
    return assembler.assemble(machine);
}

TEST_F(MaterialTest, EmittedApplyRecordsTheMaterialAndAppliesItNativelyAndInterpreted) {
    using Machine = system::Program::Machine;
    for (Machine machine : {system::Program::hostMachine, Machine::INTERPRETER}) {
        SCOPED_TRACE(int(machine));
        ColourMaterial material;
        context->materialStack.reset();
        context->materialStack.select(&material);
        EXPECT_EQ(recorder.takeCalls(), freshColourMaterial);
        material.shininess = 3;
        // Current already: the program applies it all the same (what changed is sent).
        auto program = renderProgram(material, machine);
        ASSERT_TRUE(program);
        program->code()();
        EXPECT_EQ(recorder.takeCalls(), Calls{"glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 3)"});

        ColourMaterial other;
        other.shininess = 7;
        program = renderProgram(other, machine);
        ASSERT_TRUE(program);
        program->code()();
        EXPECT_EQ(context->materialStack.material, &other);
        EXPECT_EQ(recorder.takeCalls(), Calls{"glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 7)"});
        context->materialStack.select(&other);
        EXPECT_TRUE(recorder.calls().empty()) << "the stored material counts as current";
    }
}

TEST_F(MaterialTest, MaterialThatCompilesItselfIsNotCalled) {
    CompiledMaterial material;
    system::Assembler assembler;
    material.emitApply(assembler);
    const auto& commands = assembler.getCommands();
    ASSERT_EQ(commands.count(), 5u);
    EXPECT_EQ(commands[0].type, system::Assembler::MOVE_IMMEDIATE);
    EXPECT_EQ(commands[1].type, system::Assembler::STORE_INDEXED);
    EXPECT_EQ(commands[1].operand1, system::Assembler::Word(system::Assembler::ESI));
    EXPECT_EQ(commands[1].operand2, system::Assembler::Word(Context::MATERIAL_OFFSET));
    EXPECT_EQ(commands[2].type, system::Assembler::CALL_CDECL)
        << "the colours a colour material applied are forgotten";
    auto program = renderProgram(material, system::Program::hostMachine);
    ASSERT_TRUE(program);
    program->code()();
    EXPECT_EQ(material.marker, 0x5EEDu);
    EXPECT_EQ(context->materialStack.material, &material);
    EXPECT_TRUE(recorder.calls().empty());
}

// Textures with recognisable names that need no OpenGL to be made.
class NamedTexture : public Texture {
public:
    explicit NamedTexture(GLuint id)
        : Texture(id, GL_TEXTURE_2D) {}
};

class AppearanceTest : public RecordedContext {
protected:
    void SetUp() override {
        RecordedContext::SetUp();
        material = object::Pointer<ColourMaterial>::adopt(new ColourMaterial);
        material->shininess = 1;
        shader = object::Pointer<TextureShader>::adopt(new TextureShader);
        for (GLuint id : {11u, 12u})
            textures.push_back(object::Pointer<Texture>::adopt(new NamedTexture(id)));
        recorder.clear();
    }

    // Material, shader, textures on units 0 and 2.
    object::Pointer<Appearance> full() {
        auto appearance = object::Pointer<Appearance>::adopt(new Appearance);
        appearance->setMaterial(material.get());
        appearance->setShader(shader.get());
        appearance->setTexture(textures[0].get(), 0);
        appearance->setTexture(textures[1].get(), 2);
        return appearance;
    }

    object::Pointer<ColourMaterial> material;
    object::Pointer<TextureShader> shader;
    std::vector<object::Pointer<Texture>> textures;
};

TEST_F(AppearanceTest, AppliesShaderMaterialAndTexturesOnceAndAgainWhenForced) {
    auto appearance = full();
    EXPECT_EQ(appearance->getClassName(), "Object:Resource:Appearance");
    EXPECT_EQ(appearance->texture(2), textures[1].get());
    EXPECT_EQ(appearance->texture(8), nullptr);
    appearance->apply();
    Calls expected = {"glEnableClientState(GL_VERTEX_ARRAY)",
                      "glEnableClientState(GL_NORMAL_ARRAY)",
                      "glClientActiveTextureARB(GL_TEXTURE0_ARB)",
                      "glEnableClientState(GL_TEXTURE_COORD_ARRAY)",
                      "glActiveTextureARB(GL_TEXTURE0_ARB)",
                      "glEnable(GL_TEXTURE_2D)",
                      "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE)"};
    Calls materialCalls = freshColourMaterial;
    materialCalls[4] = "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 1)";
    expected.insert(expected.end(), materialCalls.begin(), materialCalls.end());
    const Calls textureCalls = {
        "glActiveTextureARB(GL_TEXTURE0_ARB)", "glBindTexture(GL_TEXTURE_2D, 11)",
        "glActiveTextureARB(GL_TEXTURE2_ARB)", "glBindTexture(GL_TEXTURE_2D, 12)"};
    expected.insert(expected.end(), textureCalls.begin(), textureCalls.end());
    EXPECT_EQ(recorder.takeCalls(), expected);

    appearance->apply();
    EXPECT_TRUE(recorder.calls().empty()) << "everything is current";

    // Forced: the shader is unapplied and applied again (its arrays are current).
    appearance->applyAll();
    Calls forced = {"glActiveTextureARB(GL_TEXTURE0_ARB)", "glDisable(GL_TEXTURE_2D)",
                    "glActiveTextureARB(GL_TEXTURE0_ARB)", "glEnable(GL_TEXTURE_2D)",
                    "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE)"};
    forced.insert(forced.end(), materialCalls.begin(), materialCalls.end());
    forced.insert(forced.end(), textureCalls.begin(), textureCalls.end());
    EXPECT_EQ(recorder.takeCalls(), forced);
}

TEST_F(AppearanceTest, EmptyAppearanceChangesNothingAndSharedMaterialIsNotReapplied) {
    Appearance empty;
    empty.apply();
    empty.applyAll();
    empty.withdraw();
    EXPECT_TRUE(recorder.calls().empty());

    auto first = full();
    Appearance second;
    second.setMaterial(material.get());
    second.setTexture(textures[1].get(), 0);
    first->apply();
    recorder.clear();
    second.apply();
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glActiveTextureARB(GL_TEXTURE0_ARB)", "glBindTexture(GL_TEXTURE_2D, 12)"}))
        << "only unit 0's texture differs";
    first->apply();
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glBindTexture(GL_TEXTURE_2D, 11)"}))
        << "unit 0 is active already";
}

TEST_F(AppearanceTest, WithdrawForgetsItsPiecesSoTheNextApplySetsThemAgain) {
    auto appearance = full();
    appearance->apply();
    recorder.clear();
    appearance->withdraw();
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glActiveTextureARB(GL_TEXTURE0_ARB)", "glDisable(GL_TEXTURE_2D)"}))
        << "only the shader is unapplied";
    EXPECT_EQ(context->shaderStack.shader, nullptr);
    EXPECT_EQ(context->materialStack.material, nullptr);
    EXPECT_EQ(context->textureStack.textures[0], nullptr);
    EXPECT_EQ(context->textureStack.textures[2], nullptr);
    appearance->apply();
    EXPECT_EQ(recorder.count("glMaterialfv"), 4u);
    EXPECT_EQ(recorder.count("glBindTexture"), 2u);
    EXPECT_EQ(recorder.count("glEnable"), 1u);
}

TEST_F(AppearanceTest, DestroyedCurrentMaterialIsAppliedAgainAtTheSameAddress) {
    Appearance appearance;
    appearance.setMaterial(material.get());
    appearance.apply();
    ColourMaterial* address = material.get();
    appearance.setMaterial(nullptr);
    material = nullptr; // the last reference: destroyed while current
    EXPECT_EQ(context->materialStack.material, nullptr);
    recorder.clear();
    // Whatever the allocator hands out next, a new material must be applied.
    auto replacement = object::Pointer<ColourMaterial>::adopt(new ColourMaterial);
    for (float* colour :
         {replacement->ambient, replacement->diffuse, replacement->specular, replacement->emission})
        colour[0] = 0.5f; // colours unlike the last applied, which it must send
    appearance.setMaterial(replacement.get());
    appearance.apply();
    EXPECT_EQ(recorder.count("glMaterialfv"), 4u) << (replacement.get() == address);
}

// Records the order in which an appearance lets go of its pieces.
std::vector<std::string> releases;

template <class Base>
class Noted : public Base {
public:
    explicit Noted(const char* label)
        : label(label) {}
    template <class Argument>
    Noted(const char* label, Argument argument)
        : Base(argument, GL_TEXTURE_2D)
        , label(label) {}
    ~Noted() override { releases.push_back(label); }
    const char* label;
};

TEST_F(AppearanceTest, LetsGoOfShaderThenTexturesThenMaterial) {
    releases.clear();
    auto* appearance = new Appearance;
    auto* notedMaterial = new Noted<Material>("material");
    auto* notedShader = new Noted<Shader>("shader");
    auto* texture0 = new Noted<Texture>("texture 0", 1u);
    auto* texture5 = new Noted<Texture>("texture 5", 2u);
    appearance->setMaterial(notedMaterial);
    appearance->setShader(notedShader);
    appearance->setTexture(texture5, 5);
    appearance->setTexture(texture0, 0);
    for (object::Object* piece :
         std::initializer_list<object::Object*>{notedMaterial, notedShader, texture0, texture5}) {
        EXPECT_EQ(piece->getReferenceCount(), 2);
        piece->release();
    }
    appearance->release();
    EXPECT_EQ(releases, (std::vector<std::string>{"shader", "texture 0", "texture 5", "material"}));
}

} // namespace
} // namespace orvane::graphics3d
