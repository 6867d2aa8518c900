#pragma once

#include <chrono>
#include <cstddef>
#include <dirent.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace orvane::test {

// Polls condition until it holds or the deadline passes; answers its last value. Threaded
// tests wait with this and a deadline far beyond what an idle machine needs, so that a
// busy shared machine slows them down but does not fail them.
template <class Condition>
bool eventually(Condition condition,
                std::chrono::milliseconds deadline = std::chrono::seconds(20)) {
    const auto giveUp = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// The number of entries of a /proc directory of this process ("fd", "task") other than
// "." and "..". For "fd" the descriptor used for reading is one of them, every time.
inline std::size_t countProcessEntries(const char* directory) {
    const std::string path = std::string("/proc/self/") + directory;
    DIR* listing = opendir(path.c_str());
    if (!listing)
        return 0;
    std::size_t count = 0;
    while (const dirent* entry = readdir(listing))
        if (entry->d_name[0] != '.')
            ++count;
    closedir(listing);
    return count;
}

// The descriptors of this process that are sockets (X connections among them).
inline std::size_t countProcessSockets() {
    std::size_t sockets = 0;
    DIR* listing = opendir("/proc/self/fd");
    while (const dirent* entry = listing ? readdir(listing) : nullptr) {
        char target[64] = {};
        const std::string path = std::string("/proc/self/fd/") + entry->d_name;
        if (readlink(path.c_str(), target, sizeof target - 1) > 0 &&
            std::string(target).starts_with("socket:"))
            ++sockets;
    }
    if (listing)
        closedir(listing);
    return sockets;
}

} // namespace orvane::test
