#include "orvane/graphics3d/model3ds/ModelTranslator.h"

#include <gtest/gtest.h>

namespace orvane::graphics3d {
namespace {

class StubTranslator : public ModelTranslator {
public:
    Model* translate(io::InputStream*, int) override { return nullptr; }
    int write(const Model*, io::OutputStream*) override { return 0; }
    bool identify(io::File*) override { return false; }
};

struct Manager : object::Object {};

object::Pointer<object::PropertyList> propertiesOf(ModelTranslator& translator) {
    return object::Pointer<object::PropertyList>::adopt(translator.getProperties());
}

TEST(ModelTranslatorProperties, PublishesBothManagersInOrder) {
    StubTranslator translator;
    auto empty = propertiesOf(translator);
    ASSERT_EQ(empty->count(), 2u);
    EXPECT_STREQ((*empty)[0].getName().cString(), "texturemanager");
    EXPECT_STREQ((*empty)[1].getName().cString(), "shadermanager");
    EXPECT_EQ((*empty)[0].getObject(), nullptr);
    EXPECT_EQ((*empty)[1].getType(), object::Property::objectKind);

    Manager textures, shaders;
    translator.setTextureManager(&textures);
    translator.setShaderManager(&shaders);
    auto full = propertiesOf(translator);
    EXPECT_EQ(full->lookup("texturemanager")->getObject(), &textures);
    EXPECT_EQ(full->lookup("shadermanager")->getObject(), &shaders);
    EXPECT_EQ(textures.getReferenceCount(), 2) << "the list holds no reference";
    translator.clearTextureManager();
    translator.clearShaderManager();
}

TEST(ModelTranslatorProperties, SettingTakesOnlyTheNamedManagers) {
    StubTranslator translator;
    Manager textures, shaders, newShaders;
    translator.setTextureManager(&textures);
    translator.setShaderManager(&shaders);

    const object::PropertyDescriptor table[] = {
        {object::Property::objectKind, "shadermanager", "", {}},
        object::PropertyDescriptor::end(),
    };
    object::PropertyList onlyShaders(table);
    onlyShaders.lookup("shadermanager")->setObject(&newShaders);
    translator.setProperties(&onlyShaders);
    EXPECT_EQ(translator.getTextureManager(), &textures);
    EXPECT_EQ(translator.getShaderManager(), &newShaders);
    EXPECT_EQ(shaders.getReferenceCount(), 1) << "the old manager was let go";
    EXPECT_EQ(newShaders.getReferenceCount(), 2);

    auto cleared = propertiesOf(translator);
    cleared->lookup("texturemanager")->setObject(nullptr);
    translator.setProperties(cleared.get());
    EXPECT_EQ(translator.getTextureManager(), nullptr) << "a null value clears";
    EXPECT_EQ(textures.getReferenceCount(), 1);
    EXPECT_EQ(translator.getShaderManager(), &newShaders);
    translator.clearShaderManager();
}

TEST(ModelTranslatorLifetime, ReleasesItsManagersWhenItDies) {
    auto* textures = new Manager();
    auto* shaders = new Manager();
    {
        StubTranslator translator;
        translator.setTextureManager(textures);
        translator.setShaderManager(shaders);
        translator.setShaderManager(shaders);
        EXPECT_EQ(shaders->getReferenceCount(), 2) << "setting the same manager again";
        EXPECT_STREQ(translator.getClassName().cString(), "Object:Translator:ModelTranslator");
    }
    EXPECT_EQ(textures->getReferenceCount(), 1);
    EXPECT_EQ(shaders->getReferenceCount(), 1);
    textures->release();
    shaders->release();
}

} // namespace
} // namespace orvane::graphics3d
