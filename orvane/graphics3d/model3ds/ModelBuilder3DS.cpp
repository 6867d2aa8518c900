#include "orvane/graphics3d/model3ds/ModelBuilder3DS.h"

#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/model3ds/MeshLayout3DS.h"
#include "orvane/graphics3d/state/ColourMaterial.h"
#include "orvane/graphics3d/state/TextureManager.h"
#include "orvane/io/IOException.h"
#include "orvane/io/TranslatorException.h"

namespace orvane::graphics3d {

namespace {

constexpr std::uint32_t THREE_FLOATS = 0x000C0324;
constexpr std::uint32_t TWO_FLOATS = 0x00080224;
// Every texture unit reads the same coordinates.
constexpr std::uint32_t ALL_TEXTURE_UNITS = 0xFF000;

void copyColour(const Colour3DS& from, float (&to)[4]) {
    to[0] = from.red;
    to[1] = from.green;
    to[2] = from.blue;
    to[3] = from.alpha;
}

// Holds a buffer locked for writing while the builder fills it. A buffer that yields no
// memory fails the build instead of being written through null.
template <class Buffer>
class WriteLock {
public:
    explicit WriteLock(Buffer& buffer)
        : buffer(buffer)
        , memory(buffer.lock(GL_WRITE_ONLY_ARB)) {
        if (!memory)
            throw io::TranslatorMemoryException();
    }
    ~WriteLock() { buffer.unlock(); }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

    void* get() const noexcept { return memory; }

private:
    Buffer& buffer;
    void* memory;
};

} // namespace

ModelBuilder3DS::ModelBuilder3DS(TextureManager* textures) noexcept
    : textures(textures) {}

ModelBuilder3DS::~ModelBuilder3DS() = default;

StaticModel* ModelBuilder3DS::build(const Scene3DS& scene) {
    // However the build ends, the builder holds nothing of it but what it reports.
    struct Done {
        ModelBuilder3DS& builder;
        ~Done() {
            builder.model = nullptr;
            builder.currentAppearance = nullptr;
            builder.currentMaterial = nullptr;
            builder.colourShader = nullptr;
            builder.textureShader = nullptr;
        }
    } done{*this};
    colourShader = object::make<ColourShader>();
    textureShader = object::make<TextureShader>();
    described = scene.materials;
    fallback = nullptr;
    failures.clear();
    appearances.clear();
    appearances.reserve(scene.materials.size());
    for (const Material3DS& material : scene.materials)
        appearances.push_back(buildAppearance(material));

    model = object::make<StaticModel>();
    for (const Mesh3DS& mesh : scene.meshes)
        if (mesh.isBuildable())
            buildMeshes(mesh, *model);
    // Once for all 3D-editor chunks: the model is out of sight until it is returned, and
    // initialising it after each chunk would only repeat the bounds of the earlier meshes
    // (quadratic work on a file of many small chunks) to the same end.
    model->initialise();

    // The appearances hold the shaders they use.
    StaticModel* built = model.get();
    built->retain();
    return built;
}

Appearance* ModelBuilder3DS::appearance(std::size_t material) const noexcept {
    return material < appearances.size() ? appearances[material].get() : nullptr;
}

object::Pointer<Appearance> ModelBuilder3DS::buildAppearance(const Material3DS& material) {
    currentAppearance = object::make<Appearance>();
    currentAppearance->name = material.name.c_str();
    currentMaterial = object::make<ColourMaterial>();
    copyColour(material.ambient, currentMaterial->ambient);
    copyColour(material.diffuse, currentMaterial->diffuse);
    copyColour(material.specular, currentMaterial->specular);
    copyColour(material.emission, currentMaterial->emission);
    currentMaterial->shininess = material.shininess;
    currentAppearance->setMaterial(currentMaterial.get());

    if (material.textured && textures) {
        // Lent by the manager, which keeps the creation reference; the appearance adds its own.
        if (Texture* texture = loadTexture(material)) {
            texture->setFilter(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
            currentAppearance->setTexture(texture, 0);
        }
    }
    if (currentAppearance->texture(0))
        currentAppearance->setShader(textureShader.get());
    else
        currentAppearance->setShader(colourShader.get());
    object::Pointer<Appearance> built = std::move(currentAppearance);
    currentAppearance = nullptr;
    currentMaterial = nullptr;
    return built;
}

Texture* ModelBuilder3DS::loadTexture(const Material3DS& material) {
    using Failure = TextureFailure;
    const bool warn = failurePolicy == TextureFailures::WARN;
    if (material.textureName.empty()) {
        if (!warn)
            object::raiseWithDetail(
                io::TranslatorFormatException(),
                ("3DS: material \"" + material.name + "\": its texture map names no file").c_str());
        failures.push_back({Failure::UNNAMED, material.name, "", ""});
        return nullptr;
    }
    try {
        return textures->get(types::String(material.textureName.c_str()));
    } catch (const io::FileNotFoundException&) {
        if (!warn)
            throw;
        failures.push_back({Failure::MISSING, material.name, material.textureName, ""});
    } catch (const object::Exception& exception) {
        if (!warn)
            throw;
        std::string reason = exception.getName().cString();
        const types::String& words =
            exception.getDetail().length() > 0 ? exception.getDetail() : exception.getMessage();
        if (words.length() > 0 && !(words == exception.getName()))
            reason += std::string(": ") + words.cString();
        failures.push_back({Failure::UNUSABLE, material.name, material.textureName, reason});
    }
    return nullptr;
}

Appearance* ModelBuilder3DS::appearanceWithoutMaterial() {
    if (!fallback) {
        fallback = object::make<Appearance>();
        auto grey = object::make<ColourMaterial>();
        for (int channel = 0; channel < 3; ++channel) {
            grey->ambient[channel] = DEFAULT_AMBIENT;
            grey->diffuse[channel] = DEFAULT_DIFFUSE;
            grey->specular[channel] = DEFAULT_SPECULAR;
        }
        grey->ambient[3] = grey->diffuse[3] = grey->specular[3] = 1.0f;
        grey->shininess = DEFAULT_SHININESS;
        fallback->setMaterial(grey.get());
        fallback->setShader(colourShader.get());
    }
    return fallback.get();
}

void ModelBuilder3DS::buildMeshes(const Mesh3DS& mesh, StaticModel& model) {
    const MeshLayout3DS layout(mesh);
    const object::Pointer<VertexBuffer> vertices = buildVertexBuffer(layout);
    const object::Pointer<IndexBuffer> indices = buildIndexBuffer(layout);
    for (const MeshLayout3DS::Range& range : layout.ranges()) {
        auto drawn = object::make<IndexMesh>();
        drawn->setMode(GL_TRIANGLES);
        drawn->setVertexBuffer(vertices.get(), 0);
        drawn->setIndexBuffer(indices.get());
        drawn->setFirst(range.first);
        drawn->setEnd(range.first + range.count);
        Appearance* named = range.material >= 0 ? appearance(std::size_t(range.material)) : nullptr;
        drawn->setAppearance(named ? named : appearanceWithoutMaterial());
        model.addMesh(drawn.get());
    }
}

object::Pointer<VertexBuffer> ModelBuilder3DS::buildVertexBuffer(const MeshLayout3DS& layout) {
    VertexFormat format;
    format.setComponent(0, THREE_FLOATS, VertexFormat::ARRAY_POSITION);
    format.setComponent(1, THREE_FLOATS, VertexFormat::ARRAY_NORMAL);
    if (layout.hasTexCoords())
        format.setComponent(2, TWO_FLOATS, ALL_TEXTURE_UNITS);
    auto buffer = object::Pointer<VertexBuffer>::adopt(
        VertexBuffer::create(format, layout.vertexCount(), VertexBuffer::USAGE_STATIC));
    if (!buffer)
        throw io::TranslatorMemoryException();
    const WriteLock lock(*buffer);
    layout.writeVertices(lock.get());
    return buffer;
}

object::Pointer<IndexBuffer> ModelBuilder3DS::buildIndexBuffer(const MeshLayout3DS& layout) {
    auto buffer = object::Pointer<IndexBuffer>::adopt(
        IndexBuffer::create(2, layout.indexCount(), IndexBuffer::USAGE_STATIC));
    if (!buffer)
        throw io::TranslatorMemoryException();
    const WriteLock lock(*buffer);
    layout.writeIndices(static_cast<std::uint16_t*>(lock.get()));
    return buffer;
}

} // namespace orvane::graphics3d
