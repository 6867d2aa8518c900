#pragma once

#include <cstdio>

namespace orvane::tools {

// The orvane-3ds program, for people whose model files misbehave:
//   orvane-3ds info [--no-textures | --textures DIR] FILE...
//                           builds each file's model as the engine does and prints, per
//                           file, exactly these lines (scripts parse them):
//                             file PATH
//                             status ok | null | ExceptionClass: message
//                             meshes N           the model's meshes
//                             vertex-buffers N   distinct vertex buffers of the meshes
//                             vertices N         their vertex counts added up
//                             indices N          the meshes' index counts added up
//                             appearances N      distinct appearances of the meshes
//                             textures N         distinct textures of those appearances
//                             bounds MINX MINY MINZ MAXX MAXY MAXZ  (%.6g), or bounds empty
//                           the last seven only with status ok (null: no 3D-editor chunk).
//                           Textures are loaded in an offscreen OpenGL context (no display
//                           needed), from DIR or else the model file's directory; when no
//                           context can be made it says so and exits 2. --no-textures
//                           opens no texture file and needs no context: textures then
//                           counts the distinct file names the appearances' texture maps
//                           name (a map without a file name counts as the empty name).
//   orvane-3ds dump FILE    the chunk tree as the engine's 3DS reader walks it: one line
//                           per chunk with its id (hexadecimal), length field and depth,
//                           indented by depth, and what the reader took from the chunks it
//                           knows (counts, names, colours, percentages, file names); then
//                           a summary line, or the reader's error
//   orvane-3ds obj FILE OUT.obj [--textures DIR]
//                           builds the file's model as the engine does (without loading
//                           textures) and writes it as OBJ to OUT.obj, its materials to the
//                           same name ending in .mtl (see ObjExport.h), map_Kd naming the
//                           texture file found in DIR or else the model file's directory
//                           (a texture not found is named as the 3DS file names it, with a
//                           warning on err); then prints
//                             wrote OUT.obj (V vertices, F faces) and OUT.mtl (M materials)
// argv[0] is the program's name. Reports go to out, failures to err as
// "FILE: ExceptionClass: message" (info puts them on its status line). Answers the exit
// code: 0, 1 when a file failed, 2 (after printing the usage) for bad arguments or when
// info has no OpenGL context to load textures with.
int runModelTool(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

} // namespace orvane::tools
