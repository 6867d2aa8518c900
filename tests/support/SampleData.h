#pragma once

#include "tests/support/TempDirectory.h"

#include <filesystem>
#include <string>

namespace orvane::test {

// A private copy of the viewer's sample data (data/ of the repository, the tests' working
// directory). The engine opens files exclusively, so tests that run in parallel would make
// each other's opens of the committed files fail; each test reads its own copy instead.
class SampleData {
public:
    SampleData() {
        for (const auto& entry : std::filesystem::directory_iterator("data"))
            if (entry.is_regular_file())
                std::filesystem::copy_file(entry.path(),
                                           copy.path(entry.path().filename().string()));
    }

    // The copy's directory, and a file in it.
    std::string directory() const { return copy.path(); }
    std::string path(const std::string& name) const { return copy.path(name); }
    std::string model() const { return path("f5e_05.3ds"); }

private:
    TempDirectory copy;
};

} // namespace orvane::test
