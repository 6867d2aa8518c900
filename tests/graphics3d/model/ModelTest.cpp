#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/mesh/TypeCode.h"
#include "orvane/graphics3d/model/StaticModel.h"
#include "orvane/graphics3d/state/Appearance.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/system/Assembler.h"
#include "tests/graphics3d/RecordedContext.h"
#include "tests/graphics3d/RenderMarks.h"
#include "tests/support/MeshBuffers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace orvane::graphics3d {
namespace {

using object::Pointer;
using orvane::test::makeIndexBuffer;
using orvane::test::makePositionBuffer;
using test::Calls;
using Point = math::Vector<float, 3>;

// A mesh that only says when it is drawn.
class MarkMesh : public Mesh {
public:
    explicit MarkMesh(GLint mark)
        : mark(mark) {}
    void draw() override { gl.glDrawArrays(GL_POINTS, mark, 1); }
    geometry::TriangleMesh3<float>* createTriangleMesh() override { return nullptr; }
    bool getBounds(BoundingVolume&) override { return false; }
    GLint mark;
};

// A model whose compilation succeeds, to see compile()'s guard.
class CompilingModel : public Model {
public:
    void draw(ParameterBuffer&) override {}
    bool compileNow() override {
        ++compilations;
        return true;
    }
    int compilations = 0;
};

Pointer<IndexMesh> meshOver(const std::vector<float>& xyz, std::uint32_t first = 0,
                            std::uint32_t end = 0) {
    auto mesh = object::make<IndexMesh>();
    mesh->setVertexBuffer(makePositionBuffer(xyz).get(), 0);
    mesh->setIndexBuffer(makeIndexBuffer<std::uint16_t>({0, 1, 2}).get());
    mesh->setFirst(first);
    mesh->setEnd(end);
    return mesh;
}

TEST(StaticModel, KeepsItsMeshesInOrderAndCountsThem) {
    auto model = object::make<StaticModel>();
    auto a = object::make<MarkMesh>(1);
    auto b = object::make<MarkMesh>(2);
    model->addMesh(a.get());
    model->addMesh(b.get());
    model->addMesh(a.get());
    model->addMesh(nullptr);
    EXPECT_EQ(model->meshCount(), 3u);
    EXPECT_EQ(a->getReferenceCount(), 3);
    model->removeMesh(a.get());
    model->removeMesh(object::make<MarkMesh>(3).get());
    container::Array<Mesh*> meshes;
    meshes.add(nullptr);
    model->collectMeshes(meshes);
    ASSERT_EQ(meshes.count(), 3u) << "appended after what was there";
    EXPECT_EQ(meshes[1], b.get());
    EXPECT_EQ(meshes[2], a.get());
    EXPECT_EQ(a->getReferenceCount(), 2);
    model = nullptr;
    EXPECT_EQ(a->getReferenceCount(), 1);
    EXPECT_EQ(b->getReferenceCount(), 1);
}

TEST(StaticModel, InitialisesToOnePositionParameterAndTheUnitedBounds) {
    auto model = object::make<StaticModel>();
    model->addMesh(meshOver({0, 0, 0, 1, 2, 3, -1, 0, 0}).get());
    model->addMesh(object::make<MarkMesh>(1).get()); // no bounds: skipped
    model->addMesh(meshOver({5, -4, 1, 5, 5, 1, 5, 5, 2}).get());
    model->initialise();
    model->initialise(); // again: still exactly one parameter
    const ParameterFormat& format = model->getParameterFormat();
    ASSERT_EQ(format.count(), 1u);
    EXPECT_STREQ(format.component(0).name, "position");
    EXPECT_EQ(format.component(0).type, 0x00401024u);
    EXPECT_EQ(format.component(0).offset, 0u);
    EXPECT_EQ(format.size(), 64u);
    EXPECT_EQ(format.capacity(), 1u);
    EXPECT_TRUE(model->getJoints().isEmpty());
    EXPECT_EQ(model->getBounds().kind, BoundingVolume::BOX);
    EXPECT_EQ(model->getBounds().minimum, (Point{{-1, -4, 0}}));
    EXPECT_EQ(model->getBounds().maximum, (Point{{5, 5, 3}}));
}

TEST(StaticModel, EndsWithEmptyBoundsWhenNoMeshHasAny) {
    VertexFormat shorts;
    shorts.addComponent(0x00060312, VertexFormat::ARRAY_POSITION);
    const std::uint16_t xyz[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    auto mesh = object::make<IndexMesh>();
    mesh->setVertexBuffer(
        orvane::test::makeVertexBuffer(shorts, xyz, 3, VertexBuffer::USAGE_CLIENT).get(), 0);
    auto model = object::make<StaticModel>();
    model->addMesh(mesh.get());
    model->initialise();
    EXPECT_TRUE(model->getBounds().isEmpty());
    EXPECT_EQ(model->getClassName(), "Object:Resource:Model:StaticModel");
}

TEST(Model, CompilesAtMostOnce) {
    auto model = object::make<CompilingModel>();
    EXPECT_FALSE(model->isCompiled());
    EXPECT_TRUE(model->compile());
    EXPECT_TRUE(model->isCompiled());
    EXPECT_FALSE(model->compile()) << "compiled already";
    EXPECT_EQ(model->compilations, 1);
}

class StaticModelDrawing : public test::RecordedContext {
protected:
    void SetUp() override {
        model->addMesh(object::make<MarkMesh>(1).get());
        model->addMesh(object::make<MarkMesh>(2).get());
        model->initialise();
        parameters =
            Pointer<ParameterBuffer>::adopt(ParameterBuffer::create(model->getParameterFormat()));
        auto* matrix = static_cast<float*>(parameters->parameter("position"));
        for (int index = 0; index < 16; ++index)
            matrix[index] = float(index);
        RecordedContext::SetUp();
    }

    Pointer<StaticModel> model = object::make<StaticModel>();
    Pointer<ParameterBuffer> parameters;
};

TEST_F(StaticModelDrawing, LoadsThePositionMatrixThenDrawsEveryMesh) {
    model->draw(*parameters);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glMatrixMode(GL_MODELVIEW)",
                     "glLoadTransposeMatrixfARB({0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15})",
                     "glDrawArrays(GL_POINTS, 1, 1)", "glDrawArrays(GL_POINTS, 2, 1)"}));
    model->draw(*parameters);
    EXPECT_EQ(recorder.takeCalls().front(),
              "glLoadTransposeMatrixfARB({0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15})")
        << "the matrix mode is cached";

    // Compiled, the model holds no meshes and draws through its stream, which calls the
    // own draw of meshes it cannot take apart, in model order.
    EXPECT_TRUE(model->compile());
    EXPECT_TRUE(model->isCompiled());
    EXPECT_EQ(model->meshCount(), 0u);
    container::Array<Mesh*> collected;
    model->collectMeshes(collected);
    EXPECT_EQ(collected.count(), 0u);
    const RenderStream* stream = model->getRenderStream();
    ASSERT_NE(stream, nullptr);
    model->draw(*parameters);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glLoadTransposeMatrixfARB({0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15})",
                     "glDrawArrays(GL_POINTS, 1, 1)", "glDrawArrays(GL_POINTS, 2, 1)"}));
    EXPECT_FALSE(model->compile()) << "compiled already";
    EXPECT_EQ(model->getRenderStream(), stream) << "the second compile leaves the stream alone";
}

TEST_F(StaticModelDrawing, ACompiledModelKeepsAliveEverythingItDraws) {
    auto compiled = object::make<StaticModel>();
    {
        auto appearance = object::make<Appearance>();
        appearance->setShader(
            object::make<test::MarkShader>(3, VertexFormat::ARRAY_POSITION).get());
        appearance->setMaterial(object::make<test::MarkMaterial>(4).get());
        appearance->setTexture(object::make<Texture>(6, GL_TEXTURE_2D).get(), 0);
        for (std::uint32_t part = 0; part < 2; ++part) {
            auto mesh = meshOver({0, 0, 0, 1, 0, 0, 0, 1, 0}, 0, 3);
            mesh->setAppearance(appearance.get());
            compiled->addMesh(mesh.get());
        }
        compiled->initialise();
        EXPECT_TRUE(compiled->compile());
    } // the model's meshes, buffers, appearance, shader, material and texture: only the
      // stream holds them now
    recorder.clear();
    compiled->draw(*parameters);
    compiled->draw(*parameters);
    const Calls calls = recorder.takeCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "glLineWidth(3)"), 2);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "glBindTexture(GL_TEXTURE_2D, 6)"), 2);
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const std::string& call) {
                                return call.rfind("glDrawElements(GL_TRIANGLES, 6,", 0) == 0;
                            }),
              2)
        << "two meshes of separate buffers merged and joined into one draw, twice";
    compiled = nullptr;
    EXPECT_EQ(context->shaderStack.shader, nullptr);
}

// A material whose own code the assembler refuses (a register that does not exist).
class FaultyMaterial : public Material {
public:
    bool compile(system::Assembler& assembler) override {
        assembler.add({system::Assembler::PUSH, 99, 0, 0});
        return true;
    }
};

TEST_F(StaticModelDrawing, AModelWithoutAStreamDrawsNothingAndDoesNotCountAsCompiled) {
    auto failing = object::make<StaticModel>();
    auto mesh = meshOver({0, 0, 0, 1, 0, 0, 0, 1, 0});
    auto appearance = object::make<Appearance>();
    appearance->setMaterial(object::make<FaultyMaterial>().get());
    mesh->setAppearance(appearance.get());
    failing->addMesh(mesh.get());
    failing->initialise();
    EXPECT_FALSE(failing->compile());
    EXPECT_FALSE(failing->isCompiled());
    EXPECT_EQ(failing->getRenderStream(), nullptr);
    EXPECT_EQ(failing->meshCount(), 0u);
    recorder.clear();
    failing->draw(*parameters);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glMatrixMode(GL_MODELVIEW)",
                     "glLoadTransposeMatrixfARB({0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15})"}))
        << "the matrix, and nothing drawn";
}

TEST_F(StaticModelDrawing, TransposesTheMatrixItselfWithoutTheTransposeEntryPoint) {
    recorder.removeExtension("GL_ARB_transpose_matrix");
    model->draw(*parameters);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glMatrixMode(GL_MODELVIEW)",
                     "glLoadMatrixf({0,4,8,12,1,5,9,13,2,6,10,14,3,7,11,15})",
                     "glDrawArrays(GL_POINTS, 1, 1)", "glDrawArrays(GL_POINTS, 2, 1)"}));
}

TEST_F(StaticModelDrawing, DrawsNothingWithoutAContextOrWithoutRoomForTheMatrix) {
    ParameterFormat small;
    small.add("position", 0x000C0324, 0);
    auto tooSmall = Pointer<ParameterBuffer>::adopt(ParameterBuffer::create(small));
    model->draw(*tooSmall);
    EXPECT_EQ(recorder.takeCalls(), Calls{});
    context->retire();
    model->draw(*parameters);
    EXPECT_EQ(recorder.takeCalls(), Calls{});
    context = Context::createForCurrent();
    context->release();
}

} // namespace
} // namespace orvane::graphics3d
