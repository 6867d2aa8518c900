#pragma once

#include <chrono>
#include <cstddef>
#include <dirent.h>
#include <string>
#include <thread>

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

} // namespace orvane::test
