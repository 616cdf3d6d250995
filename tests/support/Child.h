#pragma once
// A program a test runs as a child process, and its end.

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

struct ChildSetup {
    std::string folder;     // its working folder; empty: the test's
    std::string outputPath; // standard output, appended to
    std::string errorPath;  // standard error, appended to; empty: with the output
    int errorFd = -1;       // standard error to this descriptor instead
    std::vector<std::pair<const char*, const char*>> env; // set, or removed where null
};

pid_t spawnChild(const std::string& program, const std::vector<std::string>& args,
                 const ChildSetup& setup);
// The child's wait status once it has ended; killed first when it has not within `ms`.
int reapChild(pid_t child, int ms);
