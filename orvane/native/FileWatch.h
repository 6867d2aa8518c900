#pragma once

#include <string>
#include <vector>

namespace orvane::native {

// Changes to the entries of directories: files written, created, renamed into or out of,
// or removed. Watching the directory, not the file, catches editors that save by writing
// a new file and renaming it over the old one, which a watch on the old file would lose.
//
// Not thread-safe: one thread adds directories and asks for changes. The watch holds one
// file descriptor, released by the destructor with every directory watched.
class FileWatch {
public:
    FileWatch();
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // Whether the system gave the watch its descriptor; when not, watchDirectory fails.
    bool isValid() const noexcept { return descriptor >= 0; }
    // Adds a directory (once; a second time changes nothing). False, with lastError()
    // saying why, when it cannot be watched.
    bool watchDirectory(const std::string& path);
    // The paths (directory, '/', entry name) of the entries changed since the last call,
    // waiting up to `milliseconds` for the first (0: not at all). A path is named once
    // per call however often it changed; empty when nothing changed.
    std::vector<std::string> changes(int milliseconds = 0);
    const std::string& lastError() const noexcept { return why; }
    std::size_t directoryCount() const noexcept { return directories.size(); }

private:
    struct Directory {
        int watch;
        std::string path;
    };

    int descriptor;
    std::vector<Directory> directories;
    std::string why;
};

} // namespace orvane::native
