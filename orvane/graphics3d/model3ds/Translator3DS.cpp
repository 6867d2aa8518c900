#include "orvane/graphics3d/model3ds/Translator3DS.h"

#include "orvane/graphics3d/state/TextureManager.h"
#include "orvane/io/TranslatorException.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

namespace orvane::graphics3d {

namespace {

enum ChunkId : std::uint16_t {
    MAIN = 0x4D4D,
    EDITOR = 0x3D3D,
    OBJECT = 0x4000,
    TRIANGLE_MESH = 0x4100,
    VERTICES = 0x4110,
    FACES = 0x4120,
    FACE_MATERIAL = 0x4130,
    TEXTURE_COORDINATES = 0x4140,
    SMOOTHING_GROUPS = 0x4150,
    LOCAL_AXES = 0x4160,
    MATERIAL = 0xAFFF,
    MATERIAL_NAME = 0xA000,
    AMBIENT = 0xA010,
    DIFFUSE = 0xA020,
    SPECULAR = 0xA030,
    SHININESS = 0xA040,
    TRANSPARENCY = 0xA050,
    TWO_SIDED = 0xA081,
    EMISSION = 0xA080,
    TEXTURE_MAP = 0xA200,
    MAP_FILE_NAME = 0xA300,
    MAP_TILING = 0xA351,
    MAP_U_SCALE = 0xA354,
    MAP_V_SCALE = 0xA356,
    MAP_U_OFFSET = 0xA358,
    MAP_V_OFFSET = 0xA35A,
    MAP_ROTATION = 0xA35C,
    COLOUR_FLOAT = 0x0010,
    COLOUR_BYTES = 0x0011,
    PERCENT_INTEGER = 0x0030,
    PERCENT_FLOAT = 0x0031,
};

constexpr const char* failuresRaise = "raise";
constexpr const char* failuresWarn = "warn";

constexpr int headerBytes = 6;
constexpr std::int32_t nameLimit = 63;
constexpr std::uint32_t chunkStackDepth = 64;
// Arrays are read in pieces of this many bytes, each allocated only once the previous one
// has arrived, so that memory follows the bytes a file really has.
constexpr std::size_t readPiece = 64 * 1024;
// The scale factors as single-precision constants (bit patterns 0x3B808081, 0x3C23D70A).
constexpr float byteToUnit = 1.0f / 255.0f;
constexpr float percentToUnit = 0.01f;

std::uint16_t little16(const std::uint8_t* bytes) {
    return std::uint16_t(bytes[0] | bytes[1] << 8);
}

std::uint32_t little32(const std::uint8_t* bytes) {
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

float littleFloat(const std::uint8_t* bytes) {
    return std::bit_cast<float>(little32(bytes));
}

// Turns values read as little-endian bytes into host order (nothing to do on x86).
template <class T>
void toHostOrder(std::vector<T>& values, std::size_t from) {
    if constexpr (std::endian::native == std::endian::big) {
        for (std::size_t i = from; i < values.size(); ++i) {
            auto* bytes = reinterpret_cast<std::uint8_t*>(&values[i]);
            std::reverse(bytes, bytes + sizeof(T));
        }
    }
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string formatNumber(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", double(value));
    return text;
}

std::string formatColour(const Colour3DS& colour) {
    return "colour " + formatNumber(colour.red) + " " + formatNumber(colour.green) + " " +
           formatNumber(colour.blue);
}

} // namespace

Translator3DS::Translator3DS()
    : chunks(chunkStackDepth) {}

Translator3DS::~Translator3DS() = default;

Model* Translator3DS::translate(io::InputStream* input, int length) {
    lastFailures.clear();
    try {
        Scene3DS described;
        read(input, length, described);
        if (described.editors == 0)
            return nullptr;
        ModelBuilder3DS builder(textureManagerFor(described));
        builder.setTextureFailures(failurePolicy);
        Model* model = builder.build(described);
        lastFailures = builder.textureFailures();
        return model;
    } catch (const std::bad_alloc&) {
        throw io::TranslatorMemoryException();
    }
}

Model* Translator3DS::translate(io::InputStream* input, int length, ModelBuilder3DS& builder) {
    try {
        Scene3DS described;
        read(input, length, described);
        return described.editors == 0 ? nullptr : builder.build(described);
    } catch (const std::bad_alloc&) {
        throw io::TranslatorMemoryException();
    }
}

int Translator3DS::write(const Model* model, io::OutputStream* output) {
    (void)model;
    (void)output;
    return 0;
}

bool Translator3DS::identify(io::File* file) {
    std::uint8_t bytes[2];
    return probe(file, bytes, 2) && little16(bytes) == MAIN;
}

object::PropertyList* Translator3DS::getProperties() {
    static const object::PropertyDescriptor own[] = {
        {object::Property::stringKind,
         TEXTURE_FAILURES,
         "what a texture that cannot be loaded does: raise or warn",
         {.text = failuresRaise}},
        object::PropertyDescriptor::end(),
    };
    object::PropertyList* properties = ModelTranslator::getProperties();
    object::PropertyList extra(own);
    extra.lookup(TEXTURE_FAILURES)
        ->setString(failurePolicy == ModelBuilder3DS::TextureFailures::WARN ? failuresWarn
                                                                            : failuresRaise);
    properties->append(extra);
    return properties;
}

void Translator3DS::setProperties(const object::PropertyList* properties) {
    ModelTranslator::setProperties(properties);
    const object::Property* failures = properties->lookup(TEXTURE_FAILURES);
    if (!failures)
        return;
    const char* value = failures->getString() ? failures->getString() : "";
    if (std::strcmp(value, failuresRaise) == 0)
        failurePolicy = ModelBuilder3DS::TextureFailures::RAISE;
    else if (std::strcmp(value, failuresWarn) == 0)
        failurePolicy = ModelBuilder3DS::TextureFailures::WARN;
    else
        object::raiseWithDetail(
            io::TranslatorException(),
            (std::string("3DS: texturefailures is raise or warn, not \"") + value + "\"").c_str());
}

TextureManager* Translator3DS::textureManagerFor(const Scene3DS& described) {
    const bool textured =
        std::any_of(described.materials.begin(), described.materials.end(),
                    [](const Material3DS& material) { return material.textured; });
    if (!textured)
        return nullptr;
    if (!getTextureManager()) {
        const auto made = object::make<TextureManager>();
        setTextureManager(made.get());
    }
    auto* manager = dynamic_cast<TextureManager*>(getTextureManager());
    if (!manager)
        throw io::TranslatorException("the texture manager is not a TextureManager");
    return manager;
}

types::String Translator3DS::getClassName() const {
    return object::classPath(ModelTranslator::getClassName(), ":Translator3DS");
}

void Translator3DS::reset(io::InputStream* input, int length, Scene3DS* into,
                          ChunkListener3DS* watcher) {
    stream = input;
    bodyRemaining = 0;
    chunkId = 0;
    levelRemaining = length;
    chunks.clear();
    scene = into;
    listener = watcher;
    materials.clear();
}

void Translator3DS::read(io::InputStream* input, int length, Scene3DS& into,
                         ChunkListener3DS* watcher) {
    into = Scene3DS();
    // The per-call state borrows the caller's objects: let go of it however the walk ends.
    struct Release {
        Translator3DS& translator;
        ~Release() { translator.reset(nullptr, 0, nullptr, nullptr); }
    } release{*this};
    reset(input, resolveLength(input, length), &into, watcher);
    if (!nextChunk() || chunkId != MAIN)
        throw io::TranslatorFormatException();
    readMain();
}

// ---- The forward walk

bool Translator3DS::nextChunk() {
    if (levelRemaining == 0)
        return false;
    if (levelRemaining < headerBytes)
        throw io::TranslatorFormatException();
    if (bodyRemaining != 0) {
        stream->skip(bodyRemaining);
        bodyRemaining = 0;
    }
    std::uint8_t header[headerBytes];
    if (stream->read(header, headerBytes) != headerBytes)
        throw io::TranslatorFormatException();
    const std::uint16_t id = little16(header);
    const auto length = std::int32_t(little32(header + 2));
    if (listener)
        listener->chunk(id, length, int(chunks.count()));
    // A length below the header's own size would have the walk stand still or go back.
    if (length < headerBytes || length > levelRemaining)
        throw io::TranslatorFormatException();
    chunkId = id;
    bodyRemaining = length - headerBytes;
    levelRemaining -= length;
    return true;
}

void Translator3DS::enterChunk() {
    if (!chunks.push({chunkId, levelRemaining}))
        throw io::TranslatorFormatException();
    levelRemaining = bodyRemaining;
    bodyRemaining = 0;
    chunkId = 0;
}

void Translator3DS::leaveChunk() {
    const std::int32_t rest = bodyRemaining + levelRemaining;
    if (rest > 0)
        stream->skip(rest);
    Chunk entered{};
    if (!chunks.pop(entered))
        throw io::TranslatorFormatException();
    chunkId = entered.id;
    levelRemaining = entered.levelRemaining;
    bodyRemaining = 0;
}

void Translator3DS::readExact(void* buffer, std::int32_t count) {
    // Data a chunk claims beyond its own length would be read from its neighbours.
    if (count < 0 || count > bodyRemaining)
        throw io::TranslatorFormatException();
    if (count == 0)
        return;
    const int got = stream->read(buffer, count);
    bodyRemaining -= std::max(got, 0);
    if (got != count)
        throw io::TranslatorFormatException();
}

template <class T>
void Translator3DS::readArray(std::vector<T>& into, std::uint32_t count, std::uint32_t perItem) {
    const std::uint64_t elements = std::uint64_t(count) * perItem;
    if (elements * sizeof(T) > std::uint64_t(bodyRemaining))
        throw io::TranslatorFormatException();
    into.clear();
    const std::size_t piece = readPiece / sizeof(T);
    while (into.size() < elements) {
        const std::size_t from = into.size();
        const std::size_t step = std::min<std::size_t>(piece, elements - from);
        into.resize(from + step);
        readExact(into.data() + from, std::int32_t(step * sizeof(T)));
        toHostOrder(into, from);
    }
}

std::uint16_t Translator3DS::readCount() {
    std::uint8_t bytes[2];
    readExact(bytes, 2);
    return little16(bytes);
}

std::string Translator3DS::readString() {
    std::vector<char> bytes;
    readArray(bytes, std::uint32_t(bodyRemaining), 1);
    return std::string(bytes.data(), std::find(bytes.begin(), bytes.end(), '\0') - bytes.begin());
}

std::string Translator3DS::readName() {
    const std::int32_t limit = std::min(bodyRemaining, nameLimit);
    std::string name;
    for (std::int32_t i = 0; i < limit; ++i) {
        char c = 0;
        readExact(&c, 1);
        if (c == '\0')
            return name;
        name.push_back(c);
    }
    // Not terminated within the limit: the last byte read makes way for the terminator.
    if (!name.empty())
        name.pop_back();
    return name;
}

Colour3DS Translator3DS::readColour() {
    Colour3DS colour;
    enterChunk();
    while (nextChunk()) {
        if (chunkId == COLOUR_FLOAT) {
            std::uint8_t bytes[12] = {};
            const std::int32_t count = std::min<std::int32_t>(bodyRemaining, 12);
            readExact(bytes, count);
            // Components the chunk is too short to hold stay 0.
            float* components[3] = {&colour.red, &colour.green, &colour.blue};
            for (int i = 0; i < 3 && (i + 1) * 4 <= count; ++i)
                *components[i] = littleFloat(bytes + i * 4);
            break;
        }
        if (chunkId == COLOUR_BYTES) {
            std::uint8_t bytes[3] = {};
            const std::int32_t count = std::min<std::int32_t>(bodyRemaining, 3);
            readExact(bytes, count);
            float* components[3] = {&colour.red, &colour.green, &colour.blue};
            for (int i = 0; i < count; ++i)
                *components[i] = float(bytes[i]) * byteToUnit;
            break;
        }
    }
    leaveChunk();
    detail(formatColour(colour));
    return colour;
}

float Translator3DS::readPercentage() {
    float value = 0.0f;
    enterChunk();
    while (nextChunk()) {
        if (chunkId == PERCENT_INTEGER) {
            value = float(readCount()) * percentToUnit;
            break;
        }
        if (chunkId == PERCENT_FLOAT) {
            std::uint8_t bytes[4];
            readExact(bytes, 4);
            value = littleFloat(bytes) * percentToUnit;
            break;
        }
    }
    leaveChunk();
    detail("percentage " + formatNumber(value));
    return value;
}

void Translator3DS::detail(const std::string& text) {
    if (listener)
        listener->detail(text);
}

// ---- The containers

void Translator3DS::readMain() {
    enterChunk();
    while (nextChunk()) {
        if (chunkId == EDITOR)
            readEditor();
        else if (chunkId == MATERIAL)
            readMaterial();
    }
    leaveChunk();
}

void Translator3DS::readEditor() {
    enterChunk();
    while (nextChunk()) {
        if (chunkId == OBJECT)
            readObject();
        else if (chunkId == MATERIAL)
            readMaterial();
    }
    leaveChunk();
    ++scene->editors;
}

void Translator3DS::readObject() {
    const std::string name = readName();
    detail("name " + quoted(name));
    enterChunk();
    while (nextChunk()) {
        if (chunkId == TRIANGLE_MESH)
            readMesh(name);
    }
    leaveChunk();
}

void Translator3DS::readMesh(const std::string& objectName) {
    Mesh3DS mesh;
    mesh.objectName = objectName;
    mesh.editor = scene->editors;
    bool counted = false;
    enterChunk();
    while (nextChunk()) {
        switch (chunkId) {
        case VERTICES:
            readVertices(mesh);
            lowerVertexCount(mesh, std::uint32_t(mesh.positions.size() / 3), counted);
            break;
        case FACES:
            readFaces(mesh);
            break;
        case FACE_MATERIAL:
            readGroup(mesh);
            break;
        case SMOOTHING_GROUPS:
            readSmoothing(mesh);
            break;
        case TEXTURE_COORDINATES:
            readTexCoords(mesh);
            lowerVertexCount(mesh, std::uint32_t(mesh.texCoords.size() / 2), counted);
            break;
        case LOCAL_AXES:
            readLocalAxes(mesh);
            break;
        default:
            break;
        }
    }
    leaveChunk();
    scene->meshes.push_back(std::move(mesh));
}

// The first vertex or texture-coordinate count sets the mesh's vertex count; a smaller one
// later lowers it, so that every vertex has a position and (when any) a coordinate pair.
void Translator3DS::lowerVertexCount(Mesh3DS& mesh, std::uint32_t count, bool& counted) {
    if (!counted || count < mesh.vertexCount)
        mesh.vertexCount = count;
    counted = true;
}

void Translator3DS::readVertices(Mesh3DS& mesh) {
    const std::uint16_t count = readCount();
    readArray(mesh.positions, count, 3);
    detail("vertices " + std::to_string(count));
}

void Translator3DS::readFaces(Mesh3DS& mesh) {
    const std::uint16_t count = readCount();
    readArray(mesh.faces, count, 4);
    mesh.faceCount = count;
    detail("faces " + std::to_string(count));
    // Masks read for earlier faces belong to them, not to these.
    mesh.smoothing.clear();
    enterChunk();
    while (nextChunk()) {
        if (chunkId == FACE_MATERIAL)
            readGroup(mesh);
        else if (chunkId == SMOOTHING_GROUPS)
            readSmoothing(mesh);
    }
    leaveChunk();
}

// One mask per face of the faces read before it; a chunk of another length is ignored,
// since masks that do not match the faces cannot say which face they belong to.
void Translator3DS::readSmoothing(Mesh3DS& mesh) {
    if (mesh.faceCount == 0 || std::int64_t(bodyRemaining) != 4 * std::int64_t(mesh.faceCount)) {
        detail("smoothing groups ignored");
        return;
    }
    readArray(mesh.smoothing, mesh.faceCount, 1);
    detail("smoothing groups " + std::to_string(mesh.faceCount));
}

void Translator3DS::readGroup(Mesh3DS& mesh) {
    FaceMaterial3DS group;
    group.materialName = readName();
    const std::uint16_t count = readCount();
    detail("material " + quoted(group.materialName) + " faces " + std::to_string(count));
    if (count == 0)
        return; // an empty group draws nothing and is dropped
    // The material is the one of that name read so far: groups name materials that come
    // before them.
    const auto found = materials.find(group.materialName);
    group.material = found == materials.end() ? -1 : found->second;
    readArray(group.faces, count, 1);
    mesh.faceMaterials.push_back(std::move(group));
}

void Translator3DS::readTexCoords(Mesh3DS& mesh) {
    const std::uint16_t count = readCount();
    readArray(mesh.texCoords, count, 2);
    mesh.hasTexCoords = true;
    detail("coordinates " + std::to_string(count));
}

void Translator3DS::readLocalAxes(Mesh3DS& mesh) {
    std::uint8_t bytes[48];
    readExact(bytes, 48);
    for (int i = 0; i < 12; ++i)
        mesh.localAxes[i] = littleFloat(bytes + 4 * i);
}

void Translator3DS::readMaterial() {
    Material3DS material;
    enterChunk();
    while (nextChunk()) {
        switch (chunkId) {
        case MATERIAL_NAME:
            material.name = readString();
            detail("name " + quoted(material.name));
            break;
        case AMBIENT:
            material.ambient = readColour();
            break;
        case DIFFUSE:
            material.diffuse = readColour();
            break;
        case SPECULAR:
            material.specular = readColour();
            break;
        case EMISSION:
            material.emission = readColour();
            break;
        case SHININESS:
            material.shininess = readPercentage();
            break;
        case TRANSPARENCY:
            material.transparency = std::clamp(readPercentage(), 0.0f, 1.0f);
            material.hasTransparency = true;
            break;
        case TWO_SIDED:
            material.twoSided = true;
            detail("two-sided");
            break;
        case TEXTURE_MAP:
            readTextureMap(material);
            break;
        default:
            break;
        }
    }
    leaveChunk();
    // A material of a name already read takes over the name from here on.
    materials[material.name] = int(scene->materials.size());
    scene->materials.push_back(std::move(material));
}

void Translator3DS::readTextureMap(Material3DS& material) {
    material.textured = true;
    material.textureName.clear();
    material.mapping = TextureMapping3DS();
    TextureMapping3DS& mapping = material.mapping;
    enterChunk();
    while (nextChunk()) {
        switch (chunkId) {
        case MAP_FILE_NAME:
            material.textureName = readString();
            detail("file " + quoted(material.textureName));
            break;
        case MAP_TILING:
            mapping.flags = readCount();
            detail("tiling " + std::to_string(mapping.flags));
            break;
        case MAP_U_SCALE:
            mapping.uScale = readMappingNumber(mapping.uScale);
            break;
        case MAP_V_SCALE:
            mapping.vScale = readMappingNumber(mapping.vScale);
            break;
        case MAP_U_OFFSET:
            mapping.uOffset = readMappingNumber(mapping.uOffset);
            break;
        case MAP_V_OFFSET:
            mapping.vOffset = readMappingNumber(mapping.vOffset);
            break;
        case MAP_ROTATION:
            mapping.rotation = readMappingNumber(mapping.rotation);
            break;
        default:
            break;
        }
    }
    leaveChunk();
}

// A texture-map number: one float. A value that is not finite (or absurdly large, which
// would lose every coordinate's precision) keeps the default.
float Translator3DS::readMappingNumber(float fallback) {
    std::uint8_t bytes[4];
    readExact(bytes, 4);
    const float value = littleFloat(bytes);
    detail("value " + formatNumber(value));
    return std::isfinite(value) && std::fabs(value) < 1e6f ? value : fallback;
}

} // namespace orvane::graphics3d
