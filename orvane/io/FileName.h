#pragma once

#include <string>

namespace orvane::io {

// File names as the engine writes them ("data\f5e_05.3ds") turned into names the file
// system knows.

// The name with every backslash turned into a slash.
std::string withSlashes(const char* name);

// The name of the existing entry that `path` means. When the exact path exists it is
// answered unchanged; otherwise each component that is missing is looked up in its
// directory ignoring ASCII case (model files name textures "GL-14_C2.TGA" that lie on disk
// as "gl-14_c2.tga"), the first matching entry in byte order winning. A component that
// has no match at all ends the walk: the leading part that was found is answered with the
// rest of the path unchanged, so callers creating a new file keep the spelling they asked
// for and callers opening a missing one get the system's own error.
std::string resolveCaseInsensitive(const std::string& path);

// Whether the directory that would hold `path` exists (used to tell a missing file from a
// missing directory).
bool parentDirectoryExists(const std::string& path);

} // namespace orvane::io
