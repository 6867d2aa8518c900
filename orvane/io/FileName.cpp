#include "orvane/io/FileName.h"

#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace orvane::io {

namespace {

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool equalIgnoringAsciiCase(const char* a, const std::string& b) {
    std::size_t i = 0;
    for (; a[i] != 0 && i < b.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return a[i] == 0 && i == b.size();
}

bool exists(const std::string& path) {
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0;
}

// The entry of `directory` equal to `name` ignoring ASCII case, the first in byte order;
// empty when there is none.
std::string findEntry(const std::string& directory, const std::string& name) {
    DIR* stream = ::opendir(directory.c_str());
    if (!stream)
        return {};
    std::string best;
    while (const dirent* entry = ::readdir(stream)) {
        if (!equalIgnoringAsciiCase(entry->d_name, name))
            continue;
        if (best.empty() || std::strcmp(entry->d_name, best.c_str()) < 0)
            best = entry->d_name;
    }
    ::closedir(stream);
    return best;
}

std::string join(const std::string& directory, const std::string& name) {
    if (directory.empty())
        return name;
    if (directory.back() == '/')
        return directory + name;
    return directory + '/' + name;
}

} // namespace

std::string withSlashes(const char* name) {
    std::string result(name);
    for (char& c : result) {
        if (c == '\\')
            c = '/';
    }
    return result;
}

std::string resolveCaseInsensitive(const std::string& path) {
    if (path.empty() || exists(path))
        return path;
    std::string found = path.front() == '/' ? "/" : "";
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string component = path.substr(start, end - start);
        const std::size_t next = end + 1;
        if (component.empty() || component == "." || component == "..") {
            found = component.empty() ? found : join(found, component);
            start = next;
            continue;
        }
        std::string candidate = join(found, component);
        if (!exists(candidate)) {
            const std::string entry = findEntry(found.empty() ? "." : found, component);
            if (entry.empty())
                return next < path.size() ? join(candidate, path.substr(next)) : candidate;
            candidate = join(found, entry);
        }
        found = candidate;
        start = next;
    }
    if (path.back() == '/' && found.back() != '/')
        found += '/';
    return found;
}

bool parentDirectoryExists(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return true;
    const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    struct stat status;
    return ::stat(parent.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace orvane::io
