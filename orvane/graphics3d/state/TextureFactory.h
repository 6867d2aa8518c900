#pragma once

#include "orvane/graphics/TranslatorRoster.h"
#include "orvane/graphics3d/state/Texture.h"
#include "orvane/io/SystemFile.h"
#include "orvane/types/String.h"

#include <string>

namespace orvane::graphics3d {

// Makes textures from image files: the file is read with the first of the engine's image
// translators that recognises it (BMP, DDS, GIF, JPG, PCX, PNG, TGA, TIFF, asked in this
// order) and uploaded with a full mipmap chain (createTexture2D's levels -2) and trilinear
// filtering.
class TextureFactory : public object::Object {
public:
    TextureFactory() = default;
    TextureFactory(const TextureFactory&) = delete;
    TextureFactory& operator=(const TextureFactory&) = delete;

    // The directory names are taken from: an empty path stays empty, any other ends with
    // one backslash (file names turn backslashes into slashes).
    void setDirectory(const types::String& path);
    const types::String& getDirectory() const noexcept { return directory; }

    // A new texture (the caller owns the creation reference) from the file `name` in the
    // directory. Where no file of that name exists, the same stem with each picture
    // extension the image roster reads is tried in the roster's order (model files name
    // ".RGB" or ".JPG" textures that ship as ".tga"); names are matched ignoring case, as
    // every open does. Raises FileNotFoundException when none of them exists (and the
    // other IO exceptions of opening and reading), TranslatorFormatException when no
    // translator recognises the file or its translator yields no picture, the translators'
    // own exceptions for a file that does not decode, and those of createTexture2D. A
    // failure leaves no texture object behind.
    Texture* create(const char* name);
    // The path of the file create(name) reads, as the file system spells it: `name` in
    // the directory or its stem under another picture extension; empty when none exists.
    std::string locate(const char* name) const;

    types::String getClassName() const override;

private:
    io::SystemFile* openImage(const std::string& name);

    graphics::TranslatorRoster roster;
    types::String directory;
};

} // namespace orvane::graphics3d
