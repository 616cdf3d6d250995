#pragma once
// koralith-load --hashing: what the password hashing costs a player. From a clean address: one
// login alone, then 16 logins at once, round after round. Then four other addresses flood the
// server with registrations, 64 connections each keeping one in flight, while the clean address
// logs in every 200 ms. Last, a SIGTERM under the flood, timed until the server has exited. Meant
// for a server with the real hash cost: at the test cost a hash is too quick to queue.

#include <string>

struct HashingOptions {
    unsigned short port = 0;
    int seconds = 10; // of logins under the flood
    long serverPid = 0;
    std::string prefix; // of the account names, new for each run
};

// 0 when every figure was measured.
int runHashing(const HashingOptions& options);
