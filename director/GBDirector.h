#pragma once
// The one object through which the game talks to the game server. It owns the network module
// and its thread, numbers and sends the scenes' requests, remembers each request until its
// answer comes, carries every network event from the network thread to the main thread, and
// there calls the listener a scene registered under the event's name. It also holds the text
// table (text.xml) and the logged-in user's id.
//
// Threads: onNetworkEvent (and the parsing it does) runs on the network thread and only appends
// to `events` under eventMutex. Everything else, listener calls included, runs on the main
// (engine) thread: `pending`, `listeners`, `texts`, `nextSeq` and `userId` need no lock.
//
// The product has exactly one, built by main (app/) from its command line; scenes reach it
// through getInstance(). Tests build their own with another server address and log prefix.

#include "CLDataBuffer.h"
#include "CLNetworkModule.h"
#include "ResponseDataPack.h"

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace cocos2d {
class __Dictionary;
}

struct PendingRequest {
    uint32_t seq = 0;
    int32_t code = 0;
    bool reportFailure = false;
    std::unique_ptr<CLDataBuffer> request;
    std::unique_ptr<CLDataBuffer> context;
    double sentAt = 0; // the director's clock (summed dispatch steps) when it was queued
};

struct NetEvent {
    CLNetworkModule::CallBackType status = CLNetworkModule::PACKET_RECEIVED;
    uint32_t seq = 0;
    int32_t code = 0;
    std::unique_ptr<CLDataBuffer> fields; // null without field bytes or for a failed request
};

class GBDirector {
public:
    using Listener = std::function<void(const ResponseDataPack&)>;

    // A request whose answer has not come after this long is given up (see dispatchEvents).
    static constexpr double kRequestExpirySeconds = 15.0;

    // The product's director: the built-in server host and port, the log prefix "netlog".
    GBDirector();
    // Another server and log prefix (the game's --server and data folder, and tests). Resolves
    // the host and opens the day's log file; never connects.
    GBDirector(const std::string& host, uint16_t port, const char* logPrefix);
    // Stops the network thread if stop() was not called; frees what is still pending or queued.
    ~GBDirector();
    GBDirector(const GBDirector&) = delete;
    GBDirector& operator=(const GBDirector&) = delete;

    // The director most recently constructed and still alive; null when there is none.
    static GBDirector* getInstance();

    // First connect on the calling thread, the network thread started, dispatchEvents scheduled
    // with the engine's scheduler every 0.1 s (key "fff"), text.xml read through the engine's
    // search paths. Always true. Main thread, once.
    bool start();
    // Sets the module's stop flag and joins the network thread (when running). Returns within
    // about one network loop pass whatever the network is doing. Idempotent.
    void stop();

    // Takes ownership of body and context whatever the result. False when the packet could not
    // be queued or (seq, code) is already pending; nothing is reported to any listener then.
    bool sendRequest(int32_t code, CLDataBuffer* body, CLDataBuffer* context, bool reportFailure);
    // At most one listener per event name: false, and the new one discarded, when taken.
    bool addListener(const std::string& name, const Listener& listener);
    void removeListeners(const std::string& name);
    // Reads text.xml through the engine's search paths (start() does this); tests of the
    // scenes load it without starting the network.
    void loadTexts();
    // The text under `key` in text.xml; empty when missing or when no table was loaded.
    std::string getText(const std::string& key) const;

    // The network module's callback: network thread only.
    void onNetworkEvent(CLNetworkModule::CallBackType type, const uint8_t* data, uint32_t length);
    // The scheduled step, main thread: delivers every event that arrived, in order. A push
    // nobody listens for is held for the next step; a delivered match push drops the game pushes
    // held before it (they belong to a game the player left). dt advances the director's clock,
    // which times pending requests out.
    void dispatchEvents(float dt);

    // The message format's packet building and response parsing (director/Packet.h).
    static std::vector<uint8_t> buildPacket(uint32_t seq, int32_t code, const CLDataBuffer* body);
    static NetEvent parseResponse(const uint8_t* body, uint32_t length);

    // The sequence number the next request will carry (for tests and tools).
    uint32_t nextSequence() const { return nextSeq; }

    // The logged-in user's id; -1 until a login succeeds. Main thread.
    int32_t userId = -1;

private:
    using Key = std::pair<uint32_t, int32_t>; // (seq, code)

    // False when nobody listens for the push yet: it is held.
    bool deliverPush(const NetEvent& event);
    void deliverAnswer(const PendingRequest& request, CLNetworkModule::CallBackType status,
                       std::unique_ptr<CLDataBuffer> fields);
    void expireRequests();
    const Listener* listenerFor(int32_t code) const;

    CLNetworkModule netModule;
    std::thread netThread;
    std::mutex eventMutex;
    uint32_t nextSeq = 0;
    std::map<Key, PendingRequest> pending;
    std::list<NetEvent> events; // guarded by eventMutex
    std::map<int32_t, std::string> eventNames;
    std::map<std::string, Listener> listeners;
    cocos2d::__Dictionary* texts = nullptr; // retained
    double clock = 0;                       // summed dispatch steps, in seconds
};
