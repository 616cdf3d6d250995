#pragma once
// The one object through which the game talks to the game server. It owns the network module
// and its thread, numbers and sends the scenes' requests, remembers each request until its
// answer comes, carries every network event from the network thread to the main thread, and
// there calls the listener a scene registered under the event's name. It also holds the text
// table (text.xml) and the logged-in user's id.
//
// It also keeps a player online across a lost connection: scenes hear of the loss (one event,
// "gb_event_connection"), and once the connection is back the director logs in again by itself
// with the name and digest of the player's last login in this run, before any other request.
// What a server sends is bounded here too: pushes nobody listens for are held for a few seconds
// and a few hundred at most, and a match push reaches only a player who asked to join.
//
// Threads: onNetworkEvent (and the parsing it does) runs on the network thread and only appends
// to `events` under eventMutex. Everything else, listener calls included, runs on the main
// (engine) thread: `pending`, `listeners`, `texts`, `nextSeq` and `userId` need no lock.
//
// The product has exactly one, built by main (app/) from its command line; scenes reach it
// through getInstance(). Tests build their own with another server address and log prefix.
// Scenes see nothing of the network layer: the module is held by pointer and the statuses are
// the director's own.

#include "CLDataBuffer.h"
#include "ResponseDataPack.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace cocos2d {
class __Dictionary;
}
class CLNetworkModule;

// The event name and code under which scenes hear of the connection; field 0 of the pack's
// `response` is a ConnectionChange. Not a code of the wire.
constexpr const char* kConnectionEvent = "gb_event_connection";
constexpr int32_t EVENT_CONNECTION = 2000;

enum class ConnectionChange : int32_t {
    LOST = 0,       // the connection ended; the director reconnects (and logs in again)
    TAKEN_OVER = 1, // the server ended it because the account logged in elsewhere: logged out
    RESUMED = 2,    // back, and logged in again as the same player
    REFUSED = 3,    // back, but the login again was refused: logged out
};

struct PendingRequest {
    uint32_t seq = 0;
    int32_t code = 0;
    bool reportFailure = false;
    std::unique_ptr<CLDataBuffer> request;
    std::unique_ptr<CLDataBuffer> context;
    double sentAt = 0; // the director's clock (summed dispatch steps) when it was queued
};

struct NetEvent {
    enum class Kind { Message, Lost, Connected };
    Kind kind = Kind::Message;
    PackStatus status = PACKET_RECEIVED;
    uint32_t seq = 0;
    int32_t code = 0;
    std::unique_ptr<CLDataBuffer> fields; // null without field bytes or for a failed request
    bool greeted = false;                 // Connected: the greeting went first on it
    double heldSince = -1;                // the director's clock when first held; -1 never
};

class GBDirector {
public:
    using Listener = std::function<void(const ResponseDataPack&)>;

    // A request whose answer has not come after this long is given up (see dispatchEvents).
    static constexpr double kRequestExpirySeconds = 15.0;
    // Pushes nobody listens for are held this long at most, and only this many of them.
    static constexpr double kHoldSeconds = 5.0;
    static constexpr size_t kMaxHeld = 256;
    // Events the main thread has not taken yet; messages beyond are dropped on arrival, so that
    // a flood cannot swell the process while the main thread is busy.
    static constexpr size_t kMaxWaiting = 8192;

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
    // A login or registration request: the name as typed and the MD5 digest of the password in
    // the body, the password as typed in the context (it never leaves the machine), failures
    // reported.
    bool sendCredentials(int32_t code, const std::string& name, const std::string& password);
    // At most one listener per event name: false, and the new one discarded, when taken. An
    // `owner` lets removeListenersOf take back all its registrations at once.
    bool addListener(const std::string& name, const Listener& listener,
                     const void* owner = nullptr);
    void removeListeners(const std::string& name);
    // Every registration made with this owner, and no other (a scene's destructor: whatever way
    // the scene left by, nothing keeps calling a layer that is gone).
    void removeListenersOf(const void* owner);
    // Reads text.xml through the engine's search paths (start() does this); tests of the
    // scenes load it without starting the network.
    void loadTexts();
    // The text under `key` in text.xml; empty when missing or when no table was loaded.
    std::string getText(const std::string& key) const;

    // The network module's callback, its CallBackType as a number: network thread only.
    void onNetworkEvent(int type, const uint8_t* data, uint32_t length);
    // The scheduled step, main thread: delivers every event that arrived, in order. A push
    // nobody listens for is held for later steps (kHoldSeconds, kMaxHeld); a delivered match
    // push drops the game pushes held before it (they belong to a game the player left). dt
    // advances the director's clock, which times pending requests out.
    void dispatchEvents(float dt);

    // The message format's packet building and response parsing (protocol/Packet.h).
    static std::vector<uint8_t> buildPacket(uint32_t seq, int32_t code, const CLDataBuffer* body);
    static NetEvent parseResponse(const uint8_t* body, uint32_t length);
    // The change a "gb_event_connection" pack tells of; nothing for any other pack.
    static std::optional<ConnectionChange> connectionChangeOf(const ResponseDataPack& pack);

    // The sequence number the next request will carry (for tests and tools).
    uint32_t nextSequence() const { return nextSeq; }
    // Pushes held for a listener to come, and whether a login again would follow a lost
    // connection (for tests and tools).
    size_t heldCount() const { return heldPushes; }
    bool logsInAgain() const { return greeting.has_value(); }

    // The logged-in user's id; -1 until a login succeeds, and again once the server has ended
    // the login (elsewhere, or refused when logging in again). Main thread.
    int32_t userId = -1;

private:
    using Key = std::pair<uint32_t, int32_t>; // (seq, code)
    struct Registration {
        Listener call;
        const void* owner = nullptr;
    };
    // The login sent first on every new connection: its packet and the number it carries.
    struct Greeting {
        uint32_t seq = 0;
        std::vector<uint8_t> packet;
    };

    void dispatch(NetEvent& event, std::list<NetEvent>& held);
    // False when nobody listens for the push yet: it is held.
    bool deliverPush(const NetEvent& event);
    void deliverAnswer(const PendingRequest& request, PackStatus status,
                       std::unique_ptr<CLDataBuffer> fields);
    void expireRequests();
    void failPending();
    void holdWithinBounds(std::list<NetEvent>& held) const;
    const Listener* listenerFor(int32_t code) const;

    // An idle game should not wake ten times a second: with nothing waiting, pending or held,
    // the dispatch step rests until the network thread hands over an event or a request goes
    // out, and then runs at once.
    void restIfIdle();
    void wake(bool dispatchNow);

    void rememberLogin(const PendingRequest& request, const CLDataBuffer* answer);
    void forgetLogin();
    void onConnectionLost();
    void onConnected(bool greeted);
    void onLoginAgain(const NetEvent& event);
    void tell(ConnectionChange change);

    std::unique_ptr<CLNetworkModule> netModule;
    std::thread netThread;
    std::mutex eventMutex;
    uint32_t nextSeq = 0;
    std::map<Key, PendingRequest> pending;
    std::list<NetEvent> events; // guarded by eventMutex
    size_t waitingMessages = 0; // messages in `events`; guarded by eventMutex
    std::map<int32_t, std::string> eventNames;
    std::map<std::string, Registration> listeners;
    cocos2d::__Dictionary* texts = nullptr; // retained
    double clock = 0;                       // summed dispatch steps, in seconds
    size_t heldPushes = 0;
    std::optional<Greeting> greeting; // set by a login in this run, until it ends
    bool joinAsked = false;           // a join was sent and no match has come since
    bool takenOver = false;           // the server said the account logged in elsewhere
    std::atomic<bool> resting{false}; // the dispatch step is paused until wake()
};
