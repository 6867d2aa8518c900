#include "orvane/sample/ModelWatch.h"

#include "orvane/graphics/TranslatorRoster.h"
#include "orvane/sample/Options.h"

#include <algorithm>
#include <cctype>

namespace orvane::sample {
namespace {

// The directory part as the watch names it: "." for a bare file name.
std::string directoryPart(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path.empty() ? "." : path;
}

bool isPicture(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = name.substr(dot + 1);
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const auto& known = graphics::TranslatorRoster::PICTURE_EXTENSIONS;
    return std::find(known.begin(), known.end(), extension) != known.end();
}

} // namespace

ModelWatch::ModelWatch(const std::string& modelPath, const std::string& textures)
    : modelDirectory(directoryPart(displayName(modelPath)))
    , modelFile(fileNameOf(displayName(modelPath)))
    , textureDirectory(withoutTrailingSlash(displayName(textures))) {
    watching = watch.watchDirectory(modelDirectory) &&
               (textureDirectory == modelDirectory || watch.watchDirectory(textureDirectory));
}

bool ModelWatch::concernsModel(const std::string& path) const {
    const std::string directory = directoryPart(path), name = fileNameOf(path);
    return (directory == modelDirectory && name == modelFile) ||
           (directory == textureDirectory && isPicture(name));
}

bool ModelWatch::due(double now) {
    if (!watching)
        return false;
    for (const std::string& path : watch.changes())
        if (concernsModel(path))
            changedAt = now;
    if (changedAt < 0 || now - changedAt < QUIET)
        return false;
    changedAt = -1;
    return true;
}

} // namespace orvane::sample
