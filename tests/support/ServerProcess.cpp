#include "ServerProcess.h"

#include "Child.h"

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

bool ServerProcess::start(const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"--listen",     "127.0.0.1:0", "--db",
                                     databasePath(), "--hash-cost", "min"};
    args.insert(args.end(), extra.begin(), extra.end());
    const size_t logStart = log().size(); // a restart appends to the same log
    int errorFd = -1;
    if (pipe) {
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
    // Standard output and error to the log file, error to the pipe instead when there is one.
    pid = spawnChild(KORALITH_SERVER_PATH, args, {{}, folder.file("server.log"), {}, errorFd, {}});
    if (errorFd >= 0) {
        close(errorFd);
    }
    const std::string marker = "listening on 127.0.0.1:";
    listenPort = 0;
    bool ended = false;
    eventually(
        [&] {
            const std::string text = log().substr(logStart);
            const size_t at = text.find(marker);
            if (at != std::string::npos && text.find(',', at) != std::string::npos) {
                listenPort = static_cast<unsigned short>(std::atoi(&text[at + marker.size()]));
                return true;
            }
            return ended = waitpid(pid, nullptr, WNOHANG) == pid;
        },
        10000, 5);
    if (ended) {
        pid = -1;
        return false;
    }
    return listenPort != 0;
}

int ServerProcess::stop() {
    const pid_t child = std::exchange(pid, -1);
    const int status = child > 0 && kill(child, SIGTERM) == 0 ? reapChild(child, 10000) : -1;
    if (pipeEnd >= 0) { // kept open until the end: the server's writes block rather than fail
        drainPipe();
        close(std::exchange(pipeEnd, -1));
    }
    return status;
}

bool ServerProcess::limitFileSize(long long bytes) {
    rlimit limit{};
    if (pid <= 0 || prlimit(pid, RLIMIT_FSIZE, nullptr, &limit) != 0) {
        return false;
    }
    limit.rlim_cur = bytes < 0 ? limit.rlim_max : rlim_t(bytes);
    return prlimit(pid, RLIMIT_FSIZE, &limit, nullptr) == 0;
}

std::string ServerProcess::log() const {
    drainPipe();
    return fileText(folder.file("server.log"));
}

void ServerProcess::crash() {
    const pid_t child = std::exchange(pid, -1);
    if (child > 0 && kill(child, SIGKILL) == 0) {
        waitpid(child, nullptr, 0);
    }
}

bool ServerProcess::logShows(const std::string& text, size_t count, int ms) const {
    return eventually([&] { return occurrences(log(), text) >= count; }, ms, 5);
}

void ServerProcess::drainPipe() const {
    if (pipeEnd < 0) {
        return;
    }
    std::ofstream file(folder.file("server.log"), std::ios::binary | std::ios::app);
    char chunk[4096];
    for (ssize_t n; (n = read(pipeEnd, chunk, sizeof chunk)) > 0;) {
        file.write(chunk, n);
    }
}

int ServerProcess::runToExit(const std::vector<std::string>& args, std::string& output) const {
    const std::string path = folder.file("run.log");
    std::filesystem::remove(path);
    const int status =
        reapChild(spawnChild(KORALITH_SERVER_PATH, args, {{}, path, {}, -1, {}}), 10000);
    output = fileText(path);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
