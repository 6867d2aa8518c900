#include "orvane/graphics3d/compile/Compiler.h"

#include "orvane/graphics3d/mesh/IndexBuffer.h"
#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/mesh/VertexBuffer.h"
#include "orvane/graphics3d/state/Appearance.h"
#include "orvane/graphics3d/state/RenderCalls.h"
#include "orvane/graphics3d/state/Texture.h"
#include "orvane/system/Assembler.h"
#include "tests/graphics3d/RecordedContext.h"
#include "tests/graphics3d/RenderMarks.h"
#include "tests/support/MeshBuffers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace orvane::graphics3d {
namespace {

using object::Pointer;
using system::Assembler;
using system::Program;
using test::Calls;
using test::MarkMaterial;
using test::MarkMode;
using test::MarkShader;
using test::pointerText;

constexpr std::uint32_t POSITION_AND_COLOUR = 0x11;

// Twelve bytes of position and four of colour: 16 bytes a vertex.
VertexFormat positionAndColour() {
    VertexFormat format;
    format.addComponent(0x000C0324, VertexFormat::ARRAY_POSITION);
    format.addComponent(0x00040411, VertexFormat::ARRAY_COLOUR);
    return format;
}

class CompilerTest : public test::RecordedContext {
protected:
    // The calls of a stream run once, natively, and the same commands interpreted.
    struct Runs {
        Calls native;
        Calls interpreted;
    };
    Runs runBoth(const Compiler& finished) {
        auto native = Pointer<RenderStream>::adopt(finished.finish());
        auto interpreted =
            Pointer<RenderStream>::adopt(finished.finish(Program::Machine::INTERPRETER));
        EXPECT_EQ(native->getProgram()->getMachine(), Program::hostMachine);
        EXPECT_EQ(interpreted->getProgram()->getMachine(), Program::Machine::INTERPRETER);
        recorder.clear();
        native->run();
        Runs runs;
        runs.native = recorder.takeCalls();
        forgetContextState();
        interpreted->run();
        runs.interpreted = recorder.takeCalls();
        return runs;
    }
    // Puts the context's caches back to what a fresh context knows.
    void forgetContextState() {
        context->modeStack.reset();
        context->shaderStack.reset();
        context->shaderStack.setClientArrays(0);
        context->materialStack.reset();
        for (int unit = 0; unit < TextureStack::UNITS; ++unit)
            context->textureStack.forget(unit);
        recorder.clear();
    }

    std::vector<std::int32_t> commandTypes() const {
        std::vector<std::int32_t> types;
        for (const auto& command : compiler.getAssembler().getCommands())
            types.push_back(command.type);
        return types;
    }

    Compiler compiler;
};

TEST_F(CompilerTest, AnEmptyStreamOnlyFetchesTheContextInEsi) {
    compiler.end();
    const auto& commands = compiler.getAssembler().getCommands();
    ASSERT_EQ(commands.count(), 5u);
    EXPECT_EQ(commands[0].type, Assembler::PUSH);
    EXPECT_EQ(commands[0].operand1, Assembler::Word(Assembler::ESI));
    EXPECT_EQ(commands[1].type, Assembler::CALL_CDECL);
    EXPECT_EQ(commands[1].operand1,
              reinterpret_cast<Assembler::Word>(&renderCalls::currentContext));
    EXPECT_EQ(commands[2].type, Assembler::MOVE_REGISTER);
    EXPECT_EQ(commands[2].operand1, Assembler::Word(Assembler::ESI));
    EXPECT_EQ(commands[2].operand2, Assembler::Word(Assembler::EAX));
    EXPECT_EQ(commands[3].type, Assembler::POP);
    EXPECT_EQ(commands[4].type, Assembler::RETURN);

    auto stream = Pointer<RenderStream>::adopt(compiler.finish());
    EXPECT_EQ(stream->getResources().count(), 0u);
    stream->run();
    EXPECT_EQ(recorder.takeCalls(), Calls{});
    EXPECT_EQ(stream->getClassName(), "Object:Resource:RenderStream");
    EXPECT_EQ(compiler.getClassName(), "Object:Compiler");
}

TEST_F(CompilerTest, EmitsNothingForWhatTheCodeHasSetAlready) {
    auto material = object::make<MarkMaterial>(1);
    auto shader = object::make<MarkShader>(1, 0x1);
    auto mode = object::make<MarkMode>(1);
    auto texture = object::make<Texture>(7, GL_TEXTURE_2D);
    auto buffer =
        orvane::test::makeVertexBuffer(positionAndColour(), nullptr, 0, VertexBuffer::USAGE_STATIC);
    const std::size_t prologue = commandTypes().size();

    compiler.clearShader();
    compiler.clearMaterial();
    compiler.clearMode();
    compiler.clearTexture(3);
    EXPECT_EQ(commandTypes().size(), prologue) << "nothing set, nothing to clear";

    compiler.setMaterial(material.get());
    const std::size_t afterMaterial = commandTypes().size();
    compiler.setMaterial(material.get());
    compiler.setShader(shader.get());
    const std::size_t afterShader = commandTypes().size();
    compiler.setShader(shader.get());
    compiler.setMode(mode.get());
    const std::size_t afterMode = commandTypes().size();
    compiler.setMode(mode.get());
    compiler.setTexture(texture.get(), 2);
    const std::size_t afterTexture = commandTypes().size();
    compiler.setTexture(texture.get(), 2);
    compiler.setTexture(texture.get(), 9);
    EXPECT_EQ(commandTypes().size(), afterTexture) << "repeats and unit 9 emit nothing";
    EXPECT_GT(afterMaterial, prologue);
    EXPECT_GT(afterShader, afterMaterial);
    EXPECT_GT(afterMode, afterShader);
    EXPECT_GT(afterTexture, afterMode);

    // The buffer has position and colour: a normal (bit 2) alone is nothing to bind.
    compiler.setVertexBuffer(buffer.get(), VertexFormat::ARRAY_NORMAL);
    EXPECT_EQ(commandTypes().size(), afterTexture);
    EXPECT_EQ(compiler.resourceCount(), 4u) << "the buffer is not kept for nothing";

    compiler.setVertexBuffer(buffer.get(), VertexFormat::ARRAY_POSITION);
    compiler.setVertexBuffer(buffer.get(), POSITION_AND_COLOUR);
    compiler.setVertexBuffer(buffer.get(), POSITION_AND_COLOUR);
    compiler.setMaterial(material.get());
    EXPECT_EQ(compiler.resourceCount(), 5u) << "each resource once, however often it was set";
    compiler.end();
    auto stream = Pointer<RenderStream>::adopt(compiler.finish());
    ASSERT_EQ(stream->getResources().count(), 5u);
    for (std::uint32_t i = 1; i < 5; ++i)
        EXPECT_LT(stream->getResources()[i - 1]->sequence(), stream->getResources()[i]->sequence())
            << "in creation order";

    recorder.clear();
    stream->run();
    const Calls calls = recorder.takeCalls();
    const Calls pointerCalls(calls.end() - 3, calls.end());
    EXPECT_EQ(pointerCalls, (Calls{"glBindBufferARB(GL_ARRAY_BUFFER_ARB, 1)",
                                   "glVertexPointer(3, GL_FLOAT, 16, 0)",
                                   "glColorPointer(4, GL_UNSIGNED_BYTE, 16, 0xc)"}))
        << "the second binding sets only the colour pointer, the buffer being bound still";
}

// The bound array buffer is known from one binding to the next, until a mesh draws by
// itself; another buffer is bound, and so is the first again after it.
TEST_F(CompilerTest, AnArrayBufferIsBoundAgainOnlyAfterAnotherOrAMeshOfItsOwn) {
    const auto make = [] {
        return orvane::test::makeVertexBuffer(positionAndColour(), nullptr, 0,
                                              VertexBuffer::USAGE_STATIC);
    };
    auto first = make(), second = make();
    auto mesh = object::make<IndexMesh>();
    compiler.setVertexBuffer(first.get(), VertexFormat::ARRAY_POSITION);
    compiler.setVertexBuffer(second.get(), VertexFormat::ARRAY_POSITION);
    compiler.setVertexBuffer(first.get(), VertexFormat::ARRAY_POSITION);
    compiler.setVertexBuffer(first.get(), VertexFormat::ARRAY_COLOUR);
    compiler.drawMesh(mesh.get());
    compiler.setVertexBuffer(first.get(), VertexFormat::ARRAY_POSITION);
    compiler.end();
    auto stream = Pointer<RenderStream>::adopt(compiler.finish());
    recorder.clear();
    stream->run();
    Calls binds;
    for (const std::string& call : recorder.takeCalls())
        if (call.starts_with("glBindBufferARB(GL_ARRAY_BUFFER_ARB"))
            binds.push_back(call);
    EXPECT_EQ(binds, (Calls{"glBindBufferARB(GL_ARRAY_BUFFER_ARB, 1)",
                            "glBindBufferARB(GL_ARRAY_BUFFER_ARB, 2)",
                            "glBindBufferARB(GL_ARRAY_BUFFER_ARB, 1)",
                            "glBindBufferARB(GL_ARRAY_BUFFER_ARB, 1)"}));
}

TEST_F(CompilerTest, EveryResourceKindEmitsItsSelectionAndNativeCodeMatchesTheInterpreter) {
    auto mode = object::make<MarkMode>(2);
    auto shader = object::make<MarkShader>(3, POSITION_AND_COLOUR);
    auto material = object::make<MarkMaterial>(4);
    auto texture = object::make<Texture>(9, GL_TEXTURE_2D);
    auto vertices =
        orvane::test::makeVertexBuffer(positionAndColour(), nullptr, 0, VertexBuffer::USAGE_STATIC);
    auto indices = orvane::test::makeIndexBuffer<std::uint16_t>({0, 1, 2, 2, 1, 0});
    const std::uintptr_t indexBase = indices->base();
    ASSERT_NE(indexBase, 0u) << "indices in ordinary memory";

    compiler.setMode(mode.get());
    compiler.setShader(shader.get());
    compiler.setMaterial(material.get());
    compiler.setTexture(texture.get(), 1);
    compiler.setVertexBuffer(vertices.get(), 0xFFFFF);
    compiler.setIndexBuffer(indices.get());
    compiler.drawElements(GL_TRIANGLES, 3, 3);
    compiler.drawArrays(GL_POINTS, 1, 2);
    compiler.clearTexture(1);
    compiler.clearMaterial();
    compiler.clearShader();
    compiler.clearMode();
    compiler.end();

    forgetContextState();
    const Runs runs = runBoth(compiler);
    EXPECT_EQ(runs.native, runs.interpreted);
    EXPECT_EQ(
        runs.native,
        (Calls{// the mode, with the previous mode's unapply (there is none)
               "glStencilMask(2)",
               // the shader: the client arrays of its mask, then its apply
               "glEnableClientState(GL_VERTEX_ARRAY)", "glEnableClientState(GL_COLOR_ARRAY)",
               "glLineWidth(3)",
               // the material's apply
               "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 4)",
               // the texture through the texture stack
               "glActiveTextureARB(GL_TEXTURE1_ARB)", "glBindTexture(GL_TEXTURE_2D, 9)",
               // the vertex buffer's arrays, the index buffer in ordinary memory
               "glBindBufferARB(GL_ARRAY_BUFFER_ARB, 1)", "glVertexPointer(3, GL_FLOAT, 16, 0)",
               "glColorPointer(4, GL_UNSIGNED_BYTE, 16, 0xc)",
               "glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0)",
               "glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_SHORT, " + pointerText(indexBase + 6) +
                   ")",
               "glDrawArrays(GL_POINTS, 1, 2)",
               // the shader's and the mode's unapply; forgetting calls nothing
               "glPointSize(3)", "glClearStencil(2)"}));

    // What the code stored into the context, and what the stacks know afterwards.
    EXPECT_EQ(context->indexPointer, indexBase);
    EXPECT_EQ(context->indexType, GL_UNSIGNED_SHORT);
    EXPECT_EQ(context->indexSize, 2u);
    EXPECT_EQ(context->materialStack.material, nullptr);
    EXPECT_EQ(context->shaderStack.shader, nullptr);
    EXPECT_EQ(context->modeStack.mode, nullptr);
    EXPECT_EQ(context->textureStack.textures[1], nullptr);
}

TEST_F(CompilerTest, SelectionsLeaveTheContextAsTheStacksWould) {
    auto shaderA = object::make<MarkShader>(1, 0x1);
    auto shaderB = object::make<MarkShader>(2, 0x5);
    auto material = object::make<MarkMaterial>(5);
    auto appearance = object::make<Appearance>();
    appearance->setShader(shaderB.get());
    appearance->setMaterial(material.get());
    auto texture = object::make<Texture>(4, GL_TEXTURE_2D);
    appearance->setTexture(texture.get(), 0);

    compiler.setShader(shaderA.get());
    compiler.applyAppearance(*appearance);
    compiler.end();
    forgetContextState();
    const Runs runs = runBoth(compiler);
    EXPECT_EQ(runs.native, runs.interpreted);
    EXPECT_EQ(runs.native,
              (Calls{"glEnableClientState(GL_VERTEX_ARRAY)", "glLineWidth(1)",
                     // selecting B unapplies A first, as the shader stack does
                     "glPointSize(1)", "glEnableClientState(GL_NORMAL_ARRAY)", "glLineWidth(2)",
                     "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 5)",
                     "glActiveTextureARB(GL_TEXTURE0_ARB)", "glBindTexture(GL_TEXTURE_2D, 4)"}));
    EXPECT_EQ(context->shaderStack.shader, shaderB.get());
    EXPECT_EQ(context->shaderStack.clientArrays, 0x5u);
    EXPECT_EQ(context->materialStack.material, material.get());
    EXPECT_EQ(context->textureStack.textures[0], texture.get());

    // The stacks now skip what the stream made current.
    appearance->apply();
    EXPECT_EQ(recorder.takeCalls(), Calls{});

    compiler.begin();
    compiler.setMaterial(material.get());
    compiler.setTexture(texture.get(), 0);
    compiler.resetState();
    EXPECT_EQ(compiler.resourceCount(), 2u) << "begin starts afresh";
    compiler.end();
    auto stream = Pointer<RenderStream>::adopt(compiler.finish());
    stream->run();
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 5)",
                                           "glBindTexture(GL_TEXTURE_2D, 4)"}))
        << "resetting the material and forgetting the texture call nothing";
    EXPECT_EQ(context->materialStack.material, nullptr);
    EXPECT_EQ(context->textureStack.textures[0], nullptr);
}

TEST_F(CompilerTest, AStreamKeepsEveryResourceItCallsAlive) {
    {
        auto shader = object::make<MarkShader>(6, 0x1);
        auto material = object::make<MarkMaterial>(7);
        auto mode = object::make<MarkMode>(1);
        auto texture = object::make<Texture>(3, GL_TEXTURE_2D);
        auto vertices = orvane::test::makePositionBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0});
        auto indices = orvane::test::makeIndexBuffer<std::uint8_t>({0, 1, 2});
        compiler.setMode(mode.get());
        compiler.setShader(shader.get());
        compiler.setMaterial(material.get());
        compiler.setTexture(texture.get(), 0);
        compiler.setVertexBuffer(vertices.get(), 0x1);
        compiler.setIndexBuffer(indices.get());
        compiler.drawElements(GL_TRIANGLES, 0, 3);
        compiler.end();
    }
    auto stream = Pointer<RenderStream>::adopt(compiler.finish());
    compiler.begin(); // the compiler lets go as well: the stream holds the only references
    forgetContextState();
    stream->run();
    stream->run();
    const Calls calls = recorder.takeCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().rfind("glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_BYTE, ", 0), 0u);
    stream = nullptr;
    EXPECT_EQ(context->shaderStack.shader, nullptr) << "the destroyed shader left the stack";
    EXPECT_EQ(context->materialStack.material, nullptr);
    EXPECT_EQ(context->modeStack.mode, nullptr);
}

} // namespace
} // namespace orvane::graphics3d
