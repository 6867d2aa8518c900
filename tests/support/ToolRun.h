#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace orvane::test {

// What a command-line tool's entry point answered: its exit code and both outputs.
struct ToolOutcome {
    int code;
    std::string out;
    std::string err;
};

using ToolEntry = int (*)(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

// Runs a tool in-process as `program arguments...`, capturing both outputs.
inline ToolOutcome runTool(ToolEntry entry, const char* program,
                           std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), program);
    std::vector<const char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(a.c_str());
    char *outText = nullptr, *errText = nullptr;
    std::size_t outSize = 0, errSize = 0;
    std::FILE* out = open_memstream(&outText, &outSize);
    std::FILE* err = open_memstream(&errText, &errSize);
    const int code = entry(int(argv.size()), argv.data(), out, err);
    std::fclose(out);
    std::fclose(err);
    ToolOutcome result{code, outText, errText};
    std::free(outText);
    std::free(errText);
    return result;
}

} // namespace orvane::test
