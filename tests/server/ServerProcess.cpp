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
using Clock = std::chrono::steady_clock;

pid_t spawn(const std::vector<std::string>& args, const std::string& outputPath) {
    std::vector<char*> argv{const_cast<char*>(KORALITH_SERVER_PATH)};
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        dup2(fd, 1);
        dup2(fd, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

// The child's status once it has ended; killed first when it has not within 10 s.
int reap(pid_t child) {
    const auto deadline = Clock::now() + 10s;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) != child) {
        if (Clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(5ms);
    }
    return status;
}

std::string readFile(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
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
    const std::string marker = "listening on 127.0.0.1:";
    const auto deadline = Clock::now() + 10s;
    while (Clock::now() < deadline) {
        const std::string text = log().substr(logStart);
        const size_t at = text.find(marker);
        if (at != std::string::npos && text.find(',', at) != std::string::npos) {
            listenPort = static_cast<unsigned short>(std::atoi(text.c_str() + at + marker.size()));
            return listenPort != 0;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
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
    const int status = reap(pid);
    pid = -1;
    return status;
}

std::string ServerProcess::log() const {
    return readFile(logPath);
}

int ServerProcess::runToExit(const std::vector<std::string>& args, std::string& output) {
    char path[] = "/tmp/koralith-server-out-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        return -1;
    }
    close(fd);
    const int status = reap(spawn(args, path));
    output = readFile(path);
    unlink(path);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
