// What the password hashing owes every address: tries sent side by side are throttled like tries
// sent one after the other, and a flood of registrations from other addresses neither holds up a
// login for long nor a stop. These run at the real hash cost, where a hash takes long enough for
// many requests to wait on it at once.

#include "CLMD5.h"
#include "Database.h"
#include "Packet.h"
#include "ServerFixture.h"

#include <arpa/inet.h>
#include <functional>
#include <regex>

namespace {

// Connections from 127.0.0.`host`: loopback takes every address of 127/8 as its own, so the
// server sees clients of several addresses. Each sends one request, all before any answer.
class Crowd {
public:
    Crowd(int host, size_t size, uint16_t port) {
        const sockaddr_in from{AF_INET, 0, {htonl(INADDR_LOOPBACK - 1 + uint32_t(host))}, {}};
        const sockaddr_in to{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
        for (size_t i = 0; i < size; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            fds.push_back(fd);
            if (bind(fd, reinterpret_cast<const sockaddr*>(&from), sizeof from) != 0 ||
                connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
                ADD_FAILURE() << "no connection from 127.0.0." << host;
            }
        }
    }
    ~Crowd() { std::for_each(fds.begin(), fds.end(), ::close); }
    Crowd(const Crowd&) = delete;
    Crowd& operator=(const Crowd&) = delete;

    // The request of connection i has the credentials `name(i)` and `password`.
    void send(int32_t code, const std::function<std::string(size_t)>& name,
              const std::string& password) {
        for (size_t i = 0; i < fds.size(); ++i) {
            const CLDataBuffer fields = credentials(name(i), md5Hex(password.c_str()));
            put(fds[i], buildRequestPacket(1, code, &fields));
        }
    }
    // Whether every connection has its whole answer within `ms`.
    bool answered(int ms) {
        std::vector<Bytes> got(fds.size());
        const auto whole = [](const Bytes& b) {
            return b.size() >= kLengthFieldSize &&
                   b.size() >= kLengthFieldSize + readWord(b.data());
        };
        return eventually(
            [&] {
                bool all = true;
                for (size_t i = 0; i < fds.size(); ++i) {
                    uint8_t chunk[256];
                    const ssize_t n = recv(fds[i], chunk, sizeof chunk, MSG_DONTWAIT);
                    got[i].insert(got[i].end(), chunk, chunk + std::max<ssize_t>(n, 0));
                    all = all && whole(got[i]);
                }
                return all;
            },
            ms, 5);
    }

private:
    std::vector<int> fds;
};

} // namespace

// Sequentially an address gets 5 wrong tries at a name, and 20 at all names, a minute.
TEST_F(ServerTest, WrongLoginsSentAtOnceGetNoMoreTriesThanOneAfterTheOther) {
    expectCleanStop();
    ASSERT_TRUE(server.start({"--hash-cost", "interactive"})) << server.log();
    const struct {
        int host;
        size_t connections;
        std::function<std::string(size_t)> name;
        size_t tries;
    } cases[] = {
        {2, 12, [](size_t) { return "dora"; }, 5},
        {3, 26, [](size_t i) { return "name" + std::to_string(i); }, 20},
    };
    for (const auto& k : cases) {
        Crowd crowd(k.host, k.connections, server.port());
        crowd.send(EVENT_LOGIN, k.name, "guess");
        EXPECT_TRUE(crowd.answered(scaled(20000))) << k.connections;
    }
    expectCleanStop(); // every line is written
    for (const auto& k : cases) {
        const std::regex tried("login failed for [^\n]* from 127\\.0\\.0\\." +
                               std::to_string(k.host) + "\n");
        const std::string log = server.log();
        EXPECT_EQ(size_t(std::distance(std::sregex_iterator(log.begin(), log.end(), tried),
                                       std::sregex_iterator())),
                  k.tries)
            << k.connections << log;
    }
}

// The flood's registrations wait their turns with the player's address, and those that have not
// started when the server stops are dropped, not hashed before it may exit.
TEST_F(ServerTest, ARegistrationFloodFromOtherAddressesNeitherHoldsUpALoginNorAStop) {
    expectCleanStop();
    ASSERT_TRUE(server.start({"--hash-cost", "interactive"})) << server.log();
    auto player = client();
    ASSERT_EQ(player->registerUser("player", "pw"), 1);
    std::vector<std::unique_ptr<Crowd>> flood;
    const size_t floodSize = 4 * 6;
    for (int host = 2; host <= 5; ++host) {
        flood.push_back(std::make_unique<Crowd>(host, floodSize / 4, server.port()));
        flood.back()->send(
            EVENT_REG, [host](size_t i) { return "f" + std::to_string(host * 100 + i); }, "pw");
    }
    EXPECT_GT(player->login("player", "pw"), 0);
    expectCleanStop();
    const std::string log = server.log();
    EXPECT_LT(occurrences(log.substr(0, log.find("login player")), "registered f"), floodSize / 2)
        << log;
    int users = 0;
    ASSERT_TRUE(Database(server.databasePath()).run("SELECT count(*) FROM users", &users));
    EXPECT_LT(users, 1 + int(floodSize));
}
