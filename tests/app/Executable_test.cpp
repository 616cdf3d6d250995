// The koralith executable itself, run with no video driver that works, so that it stops right
// after start-up: its command line, its message when no window opens, and where its network
// diary goes.

#include "Child.h"
#include "Support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <utility>
#include <vector>

namespace {

struct GameRun {
    int code = -1; // the exit status; -1 for a crash or a run past its time
    std::string out, err;
};

// Runs the game in `folder` with the arguments and the environment changes (a null value
// removes the variable), until it exits (15 s at most).
GameRun runGame(const std::string& folder, const std::vector<std::string>& args,
                std::vector<std::pair<const char*, const char*>> env) {
    ChildSetup setup;
    setup.folder = folder;
    setup.outputPath = folder + "/../stdout.txt";
    setup.errorPath = folder + "/../stderr.txt";
    setup.env = std::move(env);
    setup.env.insert(setup.env.begin(), {"SDL_VIDEODRIVER", "no-such-driver"});
    const int status = reapChild(spawnChild(KORALITH_GAME, args, setup), 15000);
    std::string out = fileText(setup.outputPath), err = fileText(setup.errorPath);
    std::filesystem::remove(setup.outputPath);
    std::filesystem::remove(setup.errorPath);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, err};
}

// The network diaries (netlog<date>.log) in a folder.
int diaries(const std::string& folder) {
    int count = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        count += name.rfind("netlog", 0) == 0 && entry.path().extension() == ".log";
    }
    return count;
}

// --server HOST:PORT points the game at another server; a bad one is a usage error that starts
// nothing (no diary is written). A game that starts writes its diary to the folder it is started
// in (the launchers choose it), never to the data folder, and without a display says so.
TEST(Executable, TheCommandLineTakesAServerAddressAndRefusesBadOnes) {
    TempDir dir;
    const std::string work = dir.file("work"), xdg = dir.file("xdg");
    std::filesystem::create_directories(work);
    const struct {
        std::vector<std::string> args;
        int code;
        const char* message; // on standard error, or standard output for --help
    } cases[] = {
        {{"--help"}, 0, "--server HOST:PORT"},
        {{"--server", "127.0.0.1:9"}, 1, "Koralith cannot open its window"},
        {{"--server", "games.example.org:65535", "-h"}, 0, "usage: koralith"},
        {{"--server", "127.0.0.1"}, 2, "--server needs HOST:PORT"},
        {{"--server", ":8886"}, 2, "not \":8886\""},
        {{"--server", "host:"}, 2, "not \"host:\""},
        {{"--server", "host:0"}, 2, "not \"host:0\""},
        {{"--server", "host:65536"}, 2, "not \"host:65536\""},
        {{"--server", "host:88a"}, 2, "not \"host:88a\""},
        {{"--server", "::1:8886"}, 2, "not \"::1:8886\""},
        {{"--server"}, 2, "--server needs HOST:PORT"},
        {{"--serve", "host:1"}, 2, "unknown option --serve"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const GameRun run = runGame(work, c.args, {{"XDG_DATA_HOME", xdg.c_str()}});
        EXPECT_EQ(run.code, c.code);
        EXPECT_NE((c.code == 0 ? run.out : run.err).find(c.message), std::string::npos)
            << run.out << run.err;
        if (c.code == 2) {
            EXPECT_NE(run.err.find("usage: koralith"), std::string::npos);
        }
        EXPECT_EQ(diaries(work), c.code == 1 ? 1 : 0);
        EXPECT_EQ(diaries(xdg + "/koralith"), 0);
        std::filesystem::remove_all(work);
        std::filesystem::create_directories(work);
    }
}

} // namespace
