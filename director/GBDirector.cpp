#include "GBDirector.h"

#include "CLMD5.h"
#include "CLNetworkModule.h"
#include "EventCodes.h"
#include "Packet.h"
#include "cocos2d.h"

#include <algorithm>
#include <new>

namespace {

constexpr const char* kDispatchKey = "fff";
constexpr float kDispatchInterval = 0.1f;

// Live directors, oldest first. A function-local static, so that it exists before the product's
// global director is built during static initialisation and outlives it.
std::vector<GBDirector*>& liveDirectors() {
    static std::vector<GBDirector*> directors;
    return directors;
}

bool isGamePush(int32_t code) {
    return code >= EVENT_OPPCHESS && code <= EVENT_OVERTIME;
}

// A match push the match room starts a game of: a success naming both players, `user` one of
// them.
bool isMatchOf(const CLDataBuffer* fields, int32_t user) {
    const auto first = fields ? fields->intAt(1) : std::nullopt;
    const auto second = fields ? fields->intAt(2) : std::nullopt;
    return fields && fields->intAt(0) == 1 && first && second &&
           (*first == user || *second == user);
}

} // namespace

GBDirector::GBDirector() : GBDirector(KORALITH_SERVER_HOST, KORALITH_SERVER_PORT, "netlog") {}

GBDirector::GBDirector(const std::string& host, uint16_t port, const char* logPrefix)
    : netModule(std::make_unique<CLNetworkModule>(
          [this](CLNetworkModule::CallBackType type, const uint8_t* data, uint32_t length) {
              onNetworkEvent(type, data, length);
          },
          logPrefix, host, port, true)),
      eventNames(eventNameTable()) {
    eventNames[EVENT_CONNECTION] = kConnectionEvent;
    liveDirectors().push_back(this);
}

GBDirector::~GBDirector() {
    auto& live = liveDirectors();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    stop();
    // The engine's scheduler must never call into a director that is gone.
    if (cocos2d::Director* engine = cocos2d::Director::getInstanceIfExists()) {
        engine->getScheduler()->unschedule(kDispatchKey, this);
    }
    if (texts) {
        texts->release();
    }
}

namespace {
bool isLive(const GBDirector* director) {
    const auto& live = liveDirectors();
    return std::find(live.begin(), live.end(), director) != live.end();
}
} // namespace

GBDirector* GBDirector::getInstance() {
    const auto& live = liveDirectors();
    return live.empty() ? nullptr : live.back();
}

bool GBDirector::start() {
    if (netThread.joinable()) {
        return true;
    }
    netModule->connectServer();
    netThread = std::thread([this] { netModule->run(); });
    cocos2d::Director::getInstance()->getScheduler()->schedule(
        [this](float dt) { dispatchEvents(dt); }, this, kDispatchInterval, CC_REPEAT_FOREVER,
        kDispatchInterval, false, kDispatchKey);
    loadTexts();
    return true;
}

void GBDirector::loadTexts() {
    // A missing or broken text.xml gives an empty table: every text is then empty.
    cocos2d::__Dictionary* table = cocos2d::__Dictionary::createWithContentsOfFile("text.xml");
    table->retain();
    if (texts) {
        texts->release();
    }
    texts = table;
}

void GBDirector::stop() {
    netModule->requestStop();
    if (netThread.joinable()) {
        netThread.join();
    }
}

bool GBDirector::sendRequest(int32_t code, CLDataBuffer* body, CLDataBuffer* context,
                             bool reportFailure) {
    std::unique_ptr<CLDataBuffer> request(body);
    std::unique_ptr<CLDataBuffer> kept(context);
    const uint32_t seq = nextSeq++;
    const Key key(seq, code);
    // Checked before queuing: a packet whose answer could never be matched is not sent at all.
    if (pending.count(key) != 0) {
        return false;
    }
    if (code == EVENT_LOGOUT) {
        forgetLogin(); // the player left on purpose: a lost connection is not to log them in
        joinAsked = false;
    }
    wake(false); // its answer, or its time-out, is to be dispatched
    try {
        const std::vector<uint8_t> packet = buildPacket(seq, code, request.get());
        if (!netModule->sendData(packet.data(), static_cast<uint32_t>(packet.size()))) {
            return false;
        }
        pending.emplace(key, PendingRequest{seq, code, reportFailure, std::move(request),
                                            std::move(kept), clock});
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (code == EVENT_JOINMATCH) {
        joinAsked = true;
    }
    return true;
}

bool GBDirector::sendCredentials(int32_t code, const std::string& name,
                                 const std::string& password) {
    auto* body = new CLDataBuffer();
    body->addString(name.c_str());
    body->addString(md5Hex(password.c_str()).c_str());
    auto* context = new CLDataBuffer();
    context->addString(password.c_str());
    return sendRequest(code, body, context, true);
}

bool GBDirector::addListener(const std::string& name, const Listener& listener, const void* owner) {
    return listeners.emplace(name, Registration{listener, owner}).second;
}

void GBDirector::removeListeners(const std::string& name) {
    listeners.erase(name);
}

void GBDirector::removeListenersOf(const void* owner) {
    for (auto it = listeners.begin(); it != listeners.end();) {
        it = owner != nullptr && it->second.owner == owner ? listeners.erase(it) : std::next(it);
    }
}

std::string GBDirector::getText(const std::string& key) const {
    if (!texts) {
        return std::string();
    }
    const auto* text = dynamic_cast<const cocos2d::__String*>(texts->objectForKey(key));
    return text ? text->getCString() : std::string();
}

void GBDirector::onNetworkEvent(int type, const uint8_t* data, uint32_t length) {
    NetEvent event;
    switch (type) {
    case CLNetworkModule::PACKET_RECEIVED:
        event = parseResponse(data, length);
        break;
    case CLNetworkModule::CONNECTION_LOST:
        event.kind = NetEvent::Kind::Lost;
        break;
    case CLNetworkModule::CONNECTED:
        event.kind = NetEvent::Kind::Connected;
        event.greeted = data != nullptr && length > 0;
        break;
    default:
        // A packet that could not go out comes back whole: length, seq, the word 20, code.
        event.status =
            type == CLNetworkModule::SEND_NOT_CONNECTED ? SEND_NOT_CONNECTED : SEND_FAILED;
        RequestHeader header;
        if (data != nullptr && length >= kLengthFieldSize &&
            decodeRequestHeader(data + kLengthFieldSize, length - kLengthFieldSize, header) ==
                nullptr) {
            event.seq = header.seq;
            event.code = header.code;
        }
        break;
    }
    {
        std::lock_guard<std::mutex> lock(eventMutex);
        if (event.kind == NetEvent::Kind::Message) {
            if (waitingMessages >= kMaxWaiting) {
                return; // a flood: what the main thread cannot take in time is not kept
            }
            ++waitingMessages;
        }
        events.push_back(std::move(event));
    }
    // After the append: a step that went to rest before it is woken, one that rests after it
    // sees the event (restIfIdle looks again once resting is set).
    if (resting.exchange(false)) {
        if (cocos2d::Director* engine = cocos2d::Director::getInstanceIfExists()) {
            engine->getScheduler()->performFunctionInCocosThread([this] {
                if (isLive(this)) {
                    wake(true);
                }
            });
        }
    }
}

void GBDirector::dispatchEvents(float dt) {
    clock += std::max(0.0f, dt);
    std::list<NetEvent> arrived;
    {
        std::lock_guard<std::mutex> lock(eventMutex);
        arrived.swap(events);
        waitingMessages = 0;
    }
    std::list<NetEvent> held;
    for (NetEvent& event : arrived) {
        dispatch(event, held);
    }
    expireRequests();
    holdWithinBounds(held);
    heldPushes = held.size();
    if (!held.empty()) {
        // In front of what arrived meanwhile, so that pushes keep the order they came in.
        std::lock_guard<std::mutex> lock(eventMutex);
        waitingMessages += held.size();
        events.splice(events.begin(), held);
    }
    restIfIdle();
}

void GBDirector::restIfIdle() {
    cocos2d::Director* engine = cocos2d::Director::getInstanceIfExists();
    if (!engine || !pending.empty() || heldPushes > 0 || resting) {
        return;
    }
    resting = true;
    engine->getScheduler()->pauseTarget(this);
    bool arrived;
    {
        std::lock_guard<std::mutex> lock(eventMutex);
        arrived = !events.empty();
    }
    if (arrived && resting.exchange(false)) {
        engine->getScheduler()->resumeTarget(this);
    }
}

// Main thread. The step runs every 0.1 s again; for an event, at once too (from the engine's
// queue of work, never inside a scene's own call).
void GBDirector::wake(bool dispatchNow) {
    resting = false;
    cocos2d::Director* engine = cocos2d::Director::getInstanceIfExists();
    if (engine && engine->getScheduler()->isTargetPaused(this)) {
        engine->getScheduler()->resumeTarget(this);
        if (dispatchNow) {
            dispatchEvents(0);
        }
    }
}

void GBDirector::dispatch(NetEvent& event, std::list<NetEvent>& held) {
    switch (event.kind) {
    case NetEvent::Kind::Lost:
        onConnectionLost();
        return;
    case NetEvent::Kind::Connected:
        onConnected(event.greeted);
        return;
    case NetEvent::Kind::Message:
        break;
    }
    if (event.code == EVENT_ELSEWHERE) {
        takenOver = true; // the close follows: no login again after it
        forgetLogin();
        return;
    }
    if (greeting && event.code == EVENT_LOGIN && event.seq == greeting->seq) {
        onLoginAgain(event);
        return;
    }
    if (isPushCode(event.code)) {
        if (!deliverPush(event)) {
            held.push_back(std::move(event));
        } else if (event.code == EVENT_MATCHRES) {
            // What is still held of the game pushes belongs to a game the player has left.
            held.remove_if([](const NetEvent& e) { return isGamePush(e.code); });
        }
        return;
    }
    auto found = pending.find(Key(event.seq, event.code));
    if (found == pending.end()) {
        return; // unasked, mismatched or duplicate: dropped with its fields
    }
    PendingRequest request = std::move(found->second);
    pending.erase(found);
    if (request.code == EVENT_LOGIN && event.status == PACKET_RECEIVED) {
        rememberLogin(request, event.fields.get());
    }
    deliverAnswer(request, event.status, std::move(event.fields));
}

// Held pushes are for a scene about to listen (a game whose first push came during the slide
// into it); one that has waited for seconds, or beyond a few hundred, is for nobody.
void GBDirector::holdWithinBounds(std::list<NetEvent>& held) const {
    held.remove_if([this](NetEvent& e) {
        if (e.heldSince < 0) {
            e.heldSince = clock;
        }
        return clock - e.heldSince > kHoldSeconds;
    });
    while (held.size() > kMaxHeld) {
        held.pop_front();
    }
}

bool GBDirector::deliverPush(const NetEvent& event) {
    if (event.code == EVENT_MATCHRES && !joinAsked) {
        return true; // a match nobody asked for, or a second one: dropped
    }
    const Listener* listener = listenerFor(event.code);
    if (!listener) {
        return false;
    }
    if (event.status != PACKET_RECEIVED) {
        return true;
    }
    if (event.code == EVENT_MATCHRES && isMatchOf(event.fields.get(), userId)) {
        joinAsked = false; // matched: a later match push is not this player's
    }
    ResponseDataPack pack;
    pack.response = event.fields.get();
    pack.code = event.code;
    pack.status = event.status;
    const Listener call = *listener; // the listener may remove itself
    call(pack);
    return true;
}

void GBDirector::deliverAnswer(const PendingRequest& request, PackStatus status,
                               std::unique_ptr<CLDataBuffer> fields) {
    if (status != PACKET_RECEIVED && !request.reportFailure) {
        return;
    }
    const Listener* listener = listenerFor(request.code);
    if (!listener) {
        return;
    }
    ResponseDataPack pack;
    pack.request = request.request.get();
    pack.context = request.context.get();
    pack.response = fields.get();
    pack.code = request.code;
    pack.status = status;
    const Listener call = *listener; // the listener may remove itself
    call(pack);
}

// An answer that never comes must not keep a scene waiting for ever: past the limit the request
// is given up, as if the network had dropped it.
void GBDirector::expireRequests() {
    std::vector<Key> expired;
    for (const auto& [key, request] : pending) {
        if (clock - request.sentAt >= kRequestExpirySeconds) {
            expired.push_back(key);
        }
    }
    for (const Key& key : expired) {
        auto found = pending.find(key);
        if (found == pending.end()) {
            continue;
        }
        PendingRequest request = std::move(found->second);
        pending.erase(found);
        deliverAnswer(request, SEND_FAILED, nullptr);
    }
}

// The answers to what was sent on a connection that is gone will not come: each requester hears
// so now, not when the request expires.
void GBDirector::failPending() {
    std::map<Key, PendingRequest> lost;
    lost.swap(pending);
    for (auto& [key, request] : lost) {
        deliverAnswer(request, SEND_FAILED, nullptr);
    }
}

const GBDirector::Listener* GBDirector::listenerFor(int32_t code) const {
    const auto name = eventNames.find(code);
    if (name == eventNames.end()) {
        return nullptr;
    }
    const auto found = listeners.find(name->second);
    return found == listeners.end() ? nullptr : &found->second.call;
}

// A login the server accepted is what a lost connection logs in with again: the same name and
// digest, under a number of its own that no request will carry.
void GBDirector::rememberLogin(const PendingRequest& request, const CLDataBuffer* answer) {
    const auto name = request.request ? request.request->stringAt(0) : std::nullopt;
    const auto digest = request.request ? request.request->stringAt(1) : std::nullopt;
    if (!answer || answer->intAt(0) != 1 || !answer->intAt(1) || !name || !digest) {
        return;
    }
    CLDataBuffer body;
    body.addString(name->c_str());
    body.addString(digest->c_str());
    Greeting next;
    next.seq = nextSeq++;
    next.packet = buildPacket(next.seq, EVENT_LOGIN, &body);
    netModule->setGreeting(next.packet.data(), static_cast<uint32_t>(next.packet.size()));
    greeting = std::move(next);
}

void GBDirector::forgetLogin() {
    greeting.reset();
    netModule->setGreeting(nullptr, 0);
}

void GBDirector::onConnectionLost() {
    joinAsked = false; // the server forgets the queue with the connection
    failPending();
    if (takenOver) {
        takenOver = false;
        userId = -1;
        tell(ConnectionChange::TAKEN_OVER);
    } else {
        tell(ConnectionChange::LOST);
    }
}

// The greeting is set when the login's answer is dispatched; a connection made between the
// server's answer and that step went up without it, so the login again goes now.
void GBDirector::onConnected(bool greeted) {
    if (greeting && !greeted) {
        netModule->sendData(greeting->packet.data(),
                            static_cast<uint32_t>(greeting->packet.size()));
    }
}

void GBDirector::onLoginAgain(const NetEvent& event) {
    if (event.status != PACKET_RECEIVED) {
        return; // lost with its connection: the next connection greets again
    }
    const auto id = event.fields ? event.fields->intAt(1) : std::nullopt;
    if (event.fields && event.fields->intAt(0) == 1 && id) {
        userId = *id;
        tell(ConnectionChange::RESUMED);
        return;
    }
    forgetLogin();
    userId = -1;
    tell(ConnectionChange::REFUSED);
}

void GBDirector::tell(ConnectionChange change) {
    const Listener* listener = listenerFor(EVENT_CONNECTION);
    if (!listener) {
        return;
    }
    CLDataBuffer fields;
    fields.addInt(static_cast<int32_t>(change));
    ResponseDataPack pack;
    pack.response = &fields;
    pack.code = EVENT_CONNECTION;
    const Listener call = *listener; // the listener may remove itself
    call(pack);
}

std::optional<ConnectionChange> GBDirector::connectionChangeOf(const ResponseDataPack& pack) {
    const auto value =
        pack.code == EVENT_CONNECTION && pack.response ? pack.response->intAt(0) : std::nullopt;
    if (!value || *value < 0 || *value > static_cast<int32_t>(ConnectionChange::REFUSED)) {
        return std::nullopt;
    }
    return static_cast<ConnectionChange>(*value);
}

std::vector<uint8_t> GBDirector::buildPacket(uint32_t seq, int32_t code, const CLDataBuffer* body) {
    return buildRequestPacket(seq, code, body);
}

NetEvent GBDirector::parseResponse(const uint8_t* body, uint32_t length) {
    ParsedResponse parsed = parseResponseBody(body, length);
    NetEvent event;
    event.seq = parsed.seq;
    event.code = parsed.code;
    event.fields = std::move(parsed.fields);
    return event;
}
