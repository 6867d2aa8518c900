#pragma once

// The built orvane-viewer run as a child process, as a user runs it: arguments, an
// environment with or without DISPLAY, a working directory, standard output and error
// kept in files.

#include "tests/support/TempDirectory.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace orvane::test {

class ViewerProcess {
public:
    struct Launch {
        Launch(std::vector<std::string> arguments, std::string directory = "",
               bool withoutDisplay = false)
            : arguments(std::move(arguments))
            , directory(std::move(directory))
            , withoutDisplay(withoutDisplay) {}
        std::vector<std::string> arguments;
        // Empty: the repository's root (the tests' working directory).
        std::string directory;
        bool withoutDisplay;
    };

    explicit ViewerProcess(const Launch& launch) {
        std::vector<std::string> environment;
        for (char** entry = environ; *entry; ++entry)
            if (!launch.withoutDisplay || std::strncmp(*entry, "DISPLAY=", 8) != 0)
                environment.emplace_back(*entry);
        std::vector<std::string> argv{ORVANE_VIEWER};
        argv.insert(argv.end(), launch.arguments.begin(), launch.arguments.end());

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.path("stdout").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, output.path("stderr").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (!launch.directory.empty())
            posix_spawn_file_actions_addchdir_np(&actions, launch.directory.c_str());
        const std::vector<char*> args = pointers(argv), env = pointers(environment);
        if (posix_spawn(&pid, ORVANE_VIEWER, &actions, nullptr, args.data(), env.data()) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    // A viewer still running when the test ends (it failed) is killed, so that no test
    // leaves a window behind for the next.
    ~ViewerProcess() {
        if (pid > 0 && !exited) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;

    bool started() const { return pid > 0; }

    // Whether it has ended within the time, polling; the exit code is then in exitCode
    // (128 + the signal for a crash).
    bool ended(std::chrono::seconds limit = std::chrono::seconds(60)) {
        const auto giveUp = std::chrono::steady_clock::now() + limit;
        while (!exited && std::chrono::steady_clock::now() < giveUp) {
            poll();
            if (!exited)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return exited;
    }
    bool running() {
        poll();
        return !exited;
    }

    std::string standardOutput() const { return contents("stdout"); }
    std::string standardError() const { return contents("stderr"); }

    pid_t pid = -1;
    bool exited = false;
    int exitCode = -1;

private:
    static std::vector<char*> pointers(const std::vector<std::string>& strings) {
        std::vector<char*> list;
        for (const std::string& text : strings)
            list.push_back(const_cast<char*>(text.c_str()));
        list.push_back(nullptr);
        return list;
    }
    void poll() {
        int status = 0;
        if (exited || pid <= 0 || waitpid(pid, &status, WNOHANG) != pid)
            return;
        exited = true;
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::string contents(const char* name) const {
        std::ifstream file(output.path(name));
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    TempDirectory output;
};

} // namespace orvane::test
