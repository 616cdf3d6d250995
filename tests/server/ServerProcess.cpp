#include "ServerProcess.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Standard output and error go to the file at `outputPath`; error to `errorFd` instead when given.
pid_t spawn(const std::vector<std::string>& args, const std::string& outputPath, int errorFd = -1) {
    std::vector<char*> argv{const_cast<char*>(KORALITH_SERVER_PATH)};
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        dup2(fd, 1);
        dup2(errorFd >= 0 ? errorFd : fd, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

// The child's status once it has ended; killed first when it has not within 10 s.
int reap(pid_t child) {
    int status = 0;
    for (const auto deadline = Clock::now() + 10s; waitpid(child, &status, WNOHANG) != child;) {
        if (Clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(5ms);
    }
    return status;
}

} // namespace

std::string fileText(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

ServerProcess::ServerProcess(Output output) : output(output) {
    char pattern[] = "/tmp/koralith-server-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    folder = pattern;
}

ServerProcess::~ServerProcess() {
    stop();
    std::filesystem::remove_all(folder);
}

bool ServerProcess::start(const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"--listen",     "127.0.0.1:0", "--db",
                                     databasePath(), "--hash-cost", "min"};
    args.insert(args.end(), extra.begin(), extra.end());
    const size_t logStart = log().size(); // a restart appends to the same log
    int errorFd = -1;
    if (output == Output::UnreadPipe) {
        int ends[2];
        if (pipeEnd >= 0) { // left by a start that failed
            close(std::exchange(pipeEnd, -1));
        }
        if (pipe2(ends, O_CLOEXEC) != 0) {
            return false;
        }
        pipeEnd = ends[0];
        fcntl(pipeEnd, F_SETFL, O_NONBLOCK);
        errorFd = ends[1];
    }
    pid = spawn(args, folder + "/server.log", errorFd);
    if (errorFd >= 0) {
        close(errorFd);
    }
    const std::string marker = "listening on 127.0.0.1:";
    for (const auto deadline = Clock::now() + 10s; Clock::now() < deadline;) {
        drainPipe();
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
    const pid_t child = std::exchange(pid, -1);
    const int status = child > 0 && kill(child, SIGTERM) == 0 ? reap(child) : -1;
    if (pipeEnd >= 0) { // kept open until the end: the server's writes block rather than fail
        close(std::exchange(pipeEnd, -1));
    }
    return status;
}

bool ServerProcess::logShows(const std::string& text) const {
    for (const auto deadline = Clock::now() + 5s; log().find(text) == std::string::npos;) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

void ServerProcess::drainPipe() const {
    if (pipeEnd < 0) {
        return;
    }
    std::ofstream file(folder + "/server.log", std::ios::binary | std::ios::app);
    char chunk[4096];
    for (ssize_t n; (n = read(pipeEnd, chunk, sizeof chunk)) > 0;) {
        file.write(chunk, n);
    }
}

void ServerProcess::crash() {
    const pid_t child = std::exchange(pid, -1);
    if (child > 0 && kill(child, SIGKILL) == 0) {
        waitpid(child, nullptr, 0);
    }
}

int ServerProcess::runToExit(const std::vector<std::string>& args, std::string& output) const {
    const std::string path = folder + "/run.log";
    std::filesystem::remove(path);
    const int status = reap(spawn(args, path));
    output = fileText(path);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
