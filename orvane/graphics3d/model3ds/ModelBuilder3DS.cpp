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

void copyColour(const Colour3DS& from, float (&to)[4], const Material3DS& material) {
    to[0] = from.red;
    to[1] = from.green;
    to[2] = from.blue;
    to[3] = material.hasTransparency ? 1.0f - material.transparency : from.alpha;
}

// The wrap mode a texture map's tiling flags ask for.
GLenum wrapOf(const TextureMapping3DS& mapping) {
    if (mapping.flags & (TextureMapping3DS::DECAL | TextureMapping3DS::NO_TILE))
        return GL_CLAMP_TO_EDGE;
    if (mapping.flags & TextureMapping3DS::MIRROR)
        return GL_MIRRORED_REPEAT_ARB;
    return GL_REPEAT;
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
            for (auto& textured : builder.shaders)
                for (auto& sided : textured)
                    for (auto& shader : sided)
                        shader = nullptr;
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
    std::vector<object::Pointer<Mesh>> blended;
    for (const Mesh3DS& mesh : scene.meshes)
        if (mesh.isBuildable())
            buildMeshes(mesh, *model, blended);
    // Blended meshes last, so that what they let show is drawn before them (a compiled
    // model sorts them after the others too).
    for (const auto& mesh : blended)
        model->addMesh(mesh.get());
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
    copyColour(material.ambient, currentMaterial->ambient, material);
    copyColour(material.diffuse, currentMaterial->diffuse, material);
    copyColour(material.specular, currentMaterial->specular, material);
    copyColour(material.emission, currentMaterial->emission, material);
    currentMaterial->shininess = material.shininess;
    currentAppearance->setMaterial(currentMaterial.get());

    if (material.textured && textures) {
        // Lent by the manager, which keeps the creation reference; the appearance adds its own.
        if (Texture* texture = loadTexture(material)) {
            texture->setFilter(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
            // The last material to name a texture decides how it repeats.
            const GLenum wrap = wrapOf(material.mapping);
            if (wrap != texture->wrapS || wrap != texture->wrapT)
                texture->setWrap(wrap, wrap);
            currentAppearance->setTexture(texture, 0);
        }
    }
    const Texture* texture = currentAppearance->texture(0);
    const bool blended = (material.hasTransparency && material.transparency > 0.0f) ||
                         (texture && texture->translucent);
    // A translucent picture's texels are weighed by the colours' alpha, which must not
    // stay the 0 of a material that says nothing of transparency.
    if (blended && !material.hasTransparency)
        for (float* colour : {currentMaterial->ambient, currentMaterial->diffuse,
                              currentMaterial->specular, currentMaterial->emission})
            colour[3] = 1.0f;
    currentAppearance->setShader(shaderFor(texture != nullptr, material.twoSided, blended));
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

Shader* ModelBuilder3DS::shaderFor(bool textured, bool twoSided, bool blended) {
    object::Pointer<Shader>& shader = shaders[textured][twoSided][blended];
    if (!shader) {
        if (!twoSided && !blended)
            shader = textured ? object::Pointer<Shader>(textureShader.get())
                              : object::Pointer<Shader>(colourShader.get());
        else if (textured)
            shader = object::make<TextureShader>();
        else
            shader = object::make<ColourShader>();
        shader->twoSided = twoSided;
        shader->blended = blended;
    }
    return shader.get();
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

void ModelBuilder3DS::buildMeshes(const Mesh3DS& mesh, StaticModel& model,
                                  std::vector<object::Pointer<Mesh>>& blended) {
    const MeshLayout3DS layout(mesh, &described);
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
        Appearance* look = named ? named : appearanceWithoutMaterial();
        drawn->name = mesh.objectName.c_str();
        drawn->setAppearance(look);
        if (look->shader && look->shader->blended)
            blended.push_back(drawn);
        else
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
        IndexBuffer::create(layout.indexSize(), layout.indexCount(), IndexBuffer::USAGE_STATIC));
    if (!buffer)
        throw io::TranslatorMemoryException();
    const WriteLock lock(*buffer);
    layout.writeIndices(lock.get());
    return buffer;
}

} // namespace orvane::graphics3d
