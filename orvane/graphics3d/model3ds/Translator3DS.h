#pragma once

#include "orvane/container/Stack.h"
#include "orvane/graphics3d/model3ds/ChunkListener3DS.h"
#include "orvane/graphics3d/model3ds/ModelBuilder3DS.h"
#include "orvane/graphics3d/model3ds/ModelTranslator.h"
#include "orvane/graphics3d/model3ds/Scene3DS.h"

#include <map>
#include <string>
#include <vector>

namespace orvane::graphics3d {

// Reads 3DS files: a tree of chunks, each a little-endian header (16-bit id, 32-bit length
// counting the header, the chunk's own data and its sub-chunks) followed by its own data
// and its sub-chunks. The reader walks strictly forward and skips what it does not know,
// wherever it appears. Sub-chunks are recognised only inside their containers:
//
//   stream  4D4D main chunk (must come first)
//   4D4D    3D3D 3D editor, AFFF material
//   3D3D    4000 named object, AFFF material
//   4000    4100 triangle mesh
//   4100    4110 vertices, 4120 faces, 4130 face-material group, 4140 texture
//           coordinates, 4150 smoothing groups, 4160 local axes
//   4120    4130 face-material group, 4150 smoothing groups
//   AFFF    A000 name, A010 ambient, A020 diffuse, A030 specular, A080 emission colour,
//           A040 shininess, A050 transparency, A081 two-sided, A200 texture map
//   A200    A300 texture file name (the last one wins), A351 tiling flags, A354 and A356
//           u and v scale, A358 and A35A u and v offset, A35C rotation
//
// Damaged files raise io::TranslatorFormatException: a stream that does not start with a
// 4D4D header, a header cut short, a chunk whose length is below 6 or longer than what
// is left of its parent, a level with 1 to 5 bytes left when a header is due, and a
// chunk's own data that is cut short or claims more bytes than the chunk holds. Every
// count is checked against the bytes its chunk holds before memory is taken for it, and
// arrays grow only as their bytes arrive, so a short file cannot make the reader allocate
// much. IO exceptions of the stream pass through; memory that cannot be had raises
// io::TranslatorMemoryException.
//
// The whole file is read and checked before anything is built (ModelBuilder3DS), so a
// damaged file makes no engine object and opens no texture.
//
// One translator serves one call at a time and keeps nothing of a file between calls but
// the textures its last translate() went without; its managers and settings persist.
//
// Besides the managers, the translator publishes the string property "texturefailures":
// "raise" (the default) fails the translation on the first texture that cannot be loaded,
// with that texture's exception; "warn" keeps the material without the texture, goes on,
// and lists what it went without in textureFailures(). Other values are refused when set
// (io::TranslatorException).
class Translator3DS : public ModelTranslator {
public:
    static constexpr const char* TEXTURE_FAILURES = "texturefailures";
    // One face-material group of a mesh as read (Mesh3DS::faceMaterials).
    using FaceMaterial = FaceMaterial3DS;

    Translator3DS();
    ~Translator3DS() override;

    // The model of the file (length -1: the stream's available()), a StaticModel owned by
    // the caller, or null when the file has no 3D-editor chunk. Textures come from the
    // texture manager; when the file names textures and the translator has none, it makes
    // a TextureManager (empty base directory) and keeps it for this and later calls. A
    // texture manager that is not a TextureManager raises io::TranslatorException. Texture
    // loading needs the rendering thread's OpenGL context current.
    Model* translate(io::InputStream* stream, int length) override;
    // The same with the caller's builder, which decides where textures come from (none at
    // all, say) and answers afterwards which appearance each material became; the
    // translator's own managers are not used.
    Model* translate(io::InputStream* stream, int length, ModelBuilder3DS& builder);
    // Not supported: answers 0.
    int write(const Model* model, io::OutputStream* stream) override;
    // True when the two bytes at the file's position are the main chunk's id, 0x4D4D.
    bool identify(io::File* file) override;

    // The managers' properties and "texturefailures".
    object::PropertyList* getProperties() override;
    void setProperties(const object::PropertyList* properties) override;
    void setTextureFailures(ModelBuilder3DS::TextureFailures policy) noexcept {
        failurePolicy = policy;
    }
    ModelBuilder3DS::TextureFailures getTextureFailures() const noexcept { return failurePolicy; }
    // What the last translate() with the translator's own builder went without ("warn").
    const std::vector<ModelBuilder3DS::TextureFailure>& textureFailures() const noexcept {
        return lastFailures;
    }

    // Reads and checks the whole file into scene (which is cleared first) without making
    // engine objects; a damaged file raises as in translate(). The listener, when given,
    // sees every chunk the walk reaches.
    void read(io::InputStream* stream, int length, Scene3DS& scene,
              ChunkListener3DS* listener = nullptr);

    types::String getClassName() const override;

    // One entry of the chunk stack: the chunk entered and the bytes of its own level that
    // followed it.
    struct Chunk {
        std::uint16_t id;
        std::int32_t levelRemaining;
    };

private:
    // The forward walk.
    bool nextChunk();
    void enterChunk();
    void leaveChunk();
    void readExact(void* buffer, std::int32_t count);
    std::string readString();
    std::string readName();
    Colour3DS readColour();
    float readPercentage();
    std::uint16_t readCount();
    template <class T>
    void readArray(std::vector<T>& into, std::uint32_t count, std::uint32_t perItem);

    // The containers.
    void readMain();
    void readEditor();
    void readObject();
    void readMesh(const std::string& objectName);
    void readVertices(Mesh3DS& mesh);
    void readFaces(Mesh3DS& mesh);
    void readGroup(Mesh3DS& mesh);
    void readSmoothing(Mesh3DS& mesh);
    void readTexCoords(Mesh3DS& mesh);
    void readLocalAxes(Mesh3DS& mesh);
    void readMaterial();
    void readTextureMap(Material3DS& material);
    float readMappingNumber(float fallback);
    void lowerVertexCount(Mesh3DS& mesh, std::uint32_t count, bool& counted);

    void detail(const std::string& text);
    TextureManager* textureManagerFor(const Scene3DS& scene);
    void reset(io::InputStream* stream, int length, Scene3DS* scene, ChunkListener3DS* listener);

    // Reading state of one call.
    io::InputStream* stream = nullptr;
    std::int32_t bodyRemaining = 0;  // unread bytes of the current chunk's body
    std::uint16_t chunkId = 0;       // id of the current chunk
    std::int32_t levelRemaining = 0; // bytes of the current level after the current chunk
    container::Stack<Chunk> chunks;
    Scene3DS* scene = nullptr;
    ChunkListener3DS* listener = nullptr;
    // Material name to its index in scene->materials, the latest of each name: what the
    // file's material chunks became so far, as groups look them up.
    std::map<std::string, int> materials;

    ModelBuilder3DS::TextureFailures failurePolicy = ModelBuilder3DS::TextureFailures::RAISE;
    std::vector<ModelBuilder3DS::TextureFailure> lastFailures;
};

} // namespace orvane::graphics3d
