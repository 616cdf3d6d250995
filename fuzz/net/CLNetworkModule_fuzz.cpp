// Feeds arbitrary byte streams through the network module's receive path over a socket pair,
// written in pieces of arbitrary sizes, and checks that the bodies handed over are exactly those
// a plain reading of the stream finds, and that an over-long length field breaks the stream.
//
// Input: byte 0 picks how many cut bytes follow (1 to 16); each cut byte + 1 is the size of one
// write, taken in turn; the rest is the stream.
#include "CLNetworkModule.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct Reading {
    std::vector<Bytes> bodies;
    std::vector<size_t> bodyStarts; // where a non-empty body follows its length field
    bool broken = false;            // a length field over the limit was reached
};

Reading readPlainly(const uint8_t* stream, size_t length) {
    Reading reading;
    size_t at = 0;
    while (length - at >= 4) {
        const uint32_t body = uint32_t(stream[at]) << 24 | uint32_t(stream[at + 1]) << 16 |
                              uint32_t(stream[at + 2]) << 8 | uint32_t(stream[at + 3]);
        if (body > CLNetworkModule::kMaxBodyLength) {
            reading.broken = true;
            break;
        }
        if (body > 0) {
            reading.bodyStarts.push_back(at + 4);
        }
        if (length - at - 4 < body) {
            break;
        }
        reading.bodies.emplace_back(stream + at + 4, stream + at + 4 + body);
        at += 4 + body;
    }
    return reading;
}

std::vector<Bytes>* delivered = nullptr;

CLNetworkModule& module() {
    // "/dev/null/" holds no files: the log lines go nowhere, as with an unwritable folder.
    static CLNetworkModule instance(
        [](CLNetworkModule::CallBackType type, const uint8_t* data, uint32_t length) {
            if (type != CLNetworkModule::PACKET_RECEIVED) {
                std::abort();
            }
            delivered->emplace_back(data, data + length);
        },
        "/dev/null/", "127.0.0.1", 0, false);
    return instance;
}

void writeAll(int fd, const uint8_t* data, size_t length) {
    for (size_t at = 0; at < length;) {
        const ssize_t n = send(fd, data + at, length - at, MSG_NOSIGNAL);
        if (n <= 0) {
            std::abort();
        }
        at += static_cast<size_t>(n);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size < 2 + data[0] % 16u) {
        return 0;
    }
    const size_t cutCount = data[0] % 16u + 1;
    const uint8_t* cuts = data + 1;
    const uint8_t* stream = data + 1 + cutCount;
    const size_t length = size - 1 - cutCount;
    const Reading expected = readPlainly(stream, length);

    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) {
        std::abort();
    }
    std::vector<Bytes> got;
    delivered = &got;
    CLNetworkModule& reader = module();
    // A packet must be whole within the io time-out of its first byte: far longer than any run.
    reader.setTimeouts(1000, 5000);
    reader.adoptConnection(pair[0]);

    size_t written = 0, taken = 0, cut = 0;
    bool refused = false;
    while (written < length && !refused) {
        size_t end = std::min(length, written + cuts[cut++ % cutCount] + 1u);
        // The body read after a completed length field waits; never stop a write right there.
        if (end < length &&
            std::binary_search(expected.bodyStarts.begin(), expected.bodyStarts.end(), end)) {
            ++end;
        }
        writeAll(pair[1], stream + written, end - written);
        written = end;
        if (written == length) {
            shutdown(pair[1], SHUT_WR); // an unfinished last body then ends instead of waiting
        }
        // Every call takes at least one byte, or reports the stream broken.
        while (taken < written) {
            const uint32_t n = reader.recvData();
            if (n == 0) {
                refused = true;
                break;
            }
            taken += n;
        }
    }
    close(pair[1]);
    if (refused != expected.broken || got != expected.bodies) {
        std::abort();
    }
    return 0;
}
