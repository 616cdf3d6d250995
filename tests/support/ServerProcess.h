#pragma once
// A real koralith-server process for a test: its own temporary folder and database, an
// ephemeral port on 127.0.0.1 read from its start line, its output in a log file (or in a pipe
// copied there). The destructor stops it and removes the folder.

#include "Support.h"

#include <string>
#include <sys/types.h>
#include <vector>

class ServerProcess {
public:
    ServerProcess() = default;
    ~ServerProcess() { stop(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts the server on the folder's database with the low test hash cost, plus `extra`
    // options; may be called again after a stop (a restart on the same data). False when it did
    // not report its port within 10 s.
    bool start(const std::vector<std::string>& extra = {});
    // SIGTERM and wait (10 s at most, then SIGKILL). The exit status as waitpid gives it.
    int stop();
    // SIGKILL and wait: the server gets no chance to finish anything.
    void crash();
    bool running() const { return pid > 0; }
    // From the next start on, standard error is a pipe copied to the log file whenever the test
    // reads the log: the server then writes to no file but its database (see limitFileSize), and
    // its writes block once the pipe is full while the test does not read.
    void usePipe() { pipe = true; }
    // Sets the running server's limit on the size of the files it writes (RLIMIT_FSIZE, also
    // as root); -1 lifts it. At 0 no write to its database succeeds, as on a full disk or a
    // read-only file. False when the limit could not be set.
    bool limitFileSize(long long bytes);

    unsigned short port() const { return listenPort; }
    std::string databasePath() const { return folder.file("koralith.db"); }
    std::string log() const;
    // The log holds `text` at least `count` times within `ms`: lines reach it from a thread of
    // the server's own.
    bool logShows(const std::string& text, size_t count = 1, int ms = 5000) const;

    // Runs the server binary with exactly `args` until it exits (10 s at most); its exit code,
    // or -1, with its output in `output`.
    int runToExit(const std::vector<std::string>& args, std::string& output) const;

private:
    // Moves whatever the pipe holds now to the log file.
    void drainPipe() const;

    TempDir folder;
    bool pipe = false;
    int pipeEnd = -1; // the pipe's read end
    pid_t pid = -1;
    unsigned short listenPort = 0;
};
