#include "Child.h"

#include "Support.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

pid_t spawnChild(const std::string& program, const std::vector<std::string>& args,
                 const ChildSetup& setup) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int flags = O_WRONLY | O_CREAT | O_APPEND;
        const int out = open(setup.outputPath.c_str(), flags, 0600);
        const int err = setup.errorFd >= 0        ? setup.errorFd
                        : setup.errorPath.empty() ? out
                                                  : open(setup.errorPath.c_str(), flags, 0600);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
            (!setup.folder.empty() && chdir(setup.folder.c_str()) != 0)) {
            _exit(126);
        }
        for (const auto& [name, value] : setup.env) {
            value ? setenv(name, value, 1) : unsetenv(name);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

int reapChild(pid_t child, int ms) {
    int status = 0;
    if (!eventually([&] { return waitpid(child, &status, WNOHANG) == child; }, ms, 5)) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    return status;
}
