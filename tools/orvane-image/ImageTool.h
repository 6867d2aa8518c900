#pragma once

#include <cstdio>

namespace orvane::tools {

// The orvane-image program, for people who prepare assets:
//   orvane-image info FILE...      one line per file: the translator that recognised it,
//                                  the format code, width, height, palette, mip levels,
//                                  and "truncated" when the file ended before its pixels
//   orvane-image pam FILE OUT.pam  the decoded top level written as a PAM file (DXT
//                                  levels decoded to RGB_ALPHA)
// Files go through graphics::TranslatorRoster, so every format the roster knows works.
// argv[0] is the program's name. Reports go to out, failures to err as
// "FILE: ExceptionClass: message", where the exception's detail (Exception::getDetail),
// when it has one, replaces a message that only repeats the class name ("x.bmp:
// TranslatorFormatException: BMP: unsupported compression 4") or follows the message in
// parentheses ("FileNotFoundException: The system cannot find the file specified. (No
// such file or directory)"). Answers the exit code: 0, 1 when an input failed, 2
// (after printing the usage) for bad arguments.
int runImageTool(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

} // namespace orvane::tools
