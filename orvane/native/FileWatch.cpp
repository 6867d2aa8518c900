#include "orvane/native/FileWatch.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace orvane::native {
namespace {

// What counts as a change of an entry: its data written and closed, or written in place
// (an editor that rewrites without closing between writes), created, renamed in or out,
// removed.
constexpr std::uint32_t ENTRY_CHANGES =
    IN_CLOSE_WRITE | IN_MODIFY | IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE;

} // namespace

FileWatch::FileWatch()
    : descriptor(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (descriptor < 0)
        why = std::string("cannot watch files: ") + std::strerror(errno);
}

FileWatch::~FileWatch() {
    if (descriptor >= 0)
        close(descriptor); // the directories' watches go with it
}

bool FileWatch::watchDirectory(const std::string& path) {
    if (descriptor < 0)
        return false;
    const std::string directory = path.empty() ? "." : path;
    const int watch = inotify_add_watch(descriptor, directory.c_str(), ENTRY_CHANGES | IN_ONLYDIR);
    if (watch < 0) {
        why = "cannot watch " + directory + ": " + std::strerror(errno);
        return false;
    }
    // The system answers the same watch for a directory added twice.
    if (std::none_of(directories.begin(), directories.end(),
                     [&](const Directory& known) { return known.watch == watch; }))
        directories.push_back({watch, directory});
    return true;
}

std::vector<std::string> FileWatch::changes(int milliseconds) {
    std::vector<std::string> changed;
    if (descriptor < 0)
        return changed;
    pollfd waiting{descriptor, POLLIN, 0};
    if (poll(&waiting, 1, std::max(milliseconds, 0)) <= 0)
        return changed;
    // Events are read whole: a buffer of this size holds at least one of any name length.
    alignas(inotify_event) char buffer[4096 + sizeof(inotify_event) + NAME_MAX + 1];
    for (;;) {
        const ssize_t length = read(descriptor, buffer, sizeof buffer);
        if (length <= 0)
            break; // EAGAIN: nothing more for now
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->len == 0)
                continue; // about the directory itself
            const auto directory =
                std::find_if(directories.begin(), directories.end(),
                             [&](const Directory& known) { return known.watch == event->wd; });
            if (directory == directories.end())
                continue;
            std::string path = directory->path + "/" + event->name;
            if (std::find(changed.begin(), changed.end(), path) == changed.end())
                changed.push_back(std::move(path));
        }
    }
    return changed;
}

} // namespace orvane::native
