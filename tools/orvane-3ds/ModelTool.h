#pragma once

#include <cstdio>

namespace orvane::tools {

// The orvane-3ds program, for people whose model files misbehave:
//   orvane-3ds dump FILE    the chunk tree as the engine's 3DS reader walks it: one line
//                           per chunk with its id (hexadecimal), length field and depth,
//                           indented by depth, and what the reader took from the chunks it
//                           knows (counts, names, colours, percentages, file names); then
//                           a summary line, or the reader's error
// argv[0] is the program's name. Reports go to out, failures to err as
// "FILE: ExceptionClass: message". Answers the exit code: 0, 1 when the file failed, 2
// (after printing the usage) for bad arguments.
int runModelTool(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

} // namespace orvane::tools
