#include "orvane/graphics3d/model3ds/ModelTranslator.h"

namespace orvane::graphics3d {

namespace {

constexpr const char* textureManagerKey = "texturemanager";
constexpr const char* shaderManagerKey = "shadermanager";

const object::PropertyDescriptor managerProperties[] = {
    {object::Property::objectKind, textureManagerKey, "", {}},
    {object::Property::objectKind, shaderManagerKey, "", {}},
    object::PropertyDescriptor::end(),
};

} // namespace

ModelTranslator::~ModelTranslator() = default;

object::PropertyList* ModelTranslator::getProperties() {
    auto* properties = new object::PropertyList(managerProperties);
    properties->lookup(textureManagerKey)->setObject(textureManager.get());
    properties->lookup(shaderManagerKey)->setObject(shaderManager.get());
    return properties;
}

void ModelTranslator::setProperties(const object::PropertyList* properties) {
    if (const object::Property* texture = properties->lookup(textureManagerKey))
        textureManager = texture->getObject();
    if (const object::Property* shader = properties->lookup(shaderManagerKey))
        shaderManager = shader->getObject();
}

types::String ModelTranslator::getClassName() const {
    return object::classPath(Translator::getClassName(), ":ModelTranslator");
}

} // namespace orvane::graphics3d
