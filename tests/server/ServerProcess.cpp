#include "ServerProcess.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

pid_t spawn(const std::vector<std::string>& args, const std::string& errorPath) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(KORALITH_SERVER_PATH));
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd >= 0) {
            dup2(fd, 2);
            dup2(fd, 1);
            close(fd);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

// Waits up to `limit` for the child; its status, or -1 if it is still running.
int waitFor(pid_t child, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            return status;
        }
        std::this_thread::sleep_for(5ms);
    }
    return -1;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

ServerProcess::ServerProcess() {
    char pattern[] = "/tmp/koralith-server-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    folder = made != nullptr ? made : "/tmp";
    logPath = folder + "/server.log";
}

ServerProcess::~ServerProcess() {
    stop();
    std::system(("rm -rf '" + folder + "'").c_str());
}

bool ServerProcess::start(const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"--listen",     "127.0.0.1:0", "--db",
                                     databasePath(), "--hash-cost", "min"};
    args.insert(args.end(), extra.begin(), extra.end());
    const size_t logStart = log().size(); // a restart appends to the same log
    pid = spawn(args, logPath);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string text = log().substr(std::min(logStart, log().size()));
        const std::string marker = "listening on 127.0.0.1:";
        const size_t at = text.find(marker);
        if (at != std::string::npos && text.find(',', at) != std::string::npos) {
            listenPort = static_cast<unsigned short>(std::atoi(text.c_str() + at + marker.size()));
            return listenPort != 0;
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

int ServerProcess::stop() {
    if (pid <= 0) {
        return -1;
    }
    kill(pid, SIGTERM);
    int status = waitFor(pid, 10s);
    if (status == -1) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    pid = -1;
    return status;
}

std::string ServerProcess::log() const {
    return readFile(logPath);
}

int ServerProcess::runToExit(const std::vector<std::string>& args, std::string& output) {
    char pattern[] = "/tmp/koralith-server-out-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0) {
        return -1;
    }
    close(fd);
    const pid_t child = spawn(args, pattern);
    int status = waitFor(child, 10s);
    if (status == -1) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        status = -1;
    }
    output = readFile(pattern);
    unlink(pattern);
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
