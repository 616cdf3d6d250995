#include "GBDirector.h"

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

} // namespace

GBDirector::GBDirector() : GBDirector(KORALITH_SERVER_HOST, KORALITH_SERVER_PORT, "netlog") {}

GBDirector::GBDirector(const std::string& host, uint16_t port, const char* logPrefix)
    : netModule([this](CLNetworkModule::CallBackType type, const uint8_t* data,
                       uint32_t length) { onNetworkEvent(type, data, length); },
                logPrefix, host, port, true),
      eventNames(eventNameTable()) {
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

GBDirector* GBDirector::getInstance() {
    const auto& live = liveDirectors();
    return live.empty() ? nullptr : live.back();
}

bool GBDirector::start() {
    if (netThread.joinable()) {
        return true;
    }
    netModule.connectServer();
    netThread = std::thread([this] { netModule.run(); });
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
    netModule.requestStop();
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
    try {
        const std::vector<uint8_t> packet = buildPacket(seq, code, request.get());
        if (!netModule.sendData(packet.data(), static_cast<uint32_t>(packet.size()))) {
            return false;
        }
        pending.emplace(key, PendingRequest{seq, code, reportFailure, std::move(request),
                                            std::move(kept), clock});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool GBDirector::addListener(const std::string& name, const Listener& listener) {
    return listeners.emplace(name, listener).second;
}

void GBDirector::removeListeners(const std::string& name) {
    listeners.erase(name);
}

std::string GBDirector::getText(const std::string& key) const {
    if (!texts) {
        return std::string();
    }
    const auto* text = dynamic_cast<const cocos2d::__String*>(texts->objectForKey(key));
    return text ? text->getCString() : std::string();
}

void GBDirector::onNetworkEvent(CLNetworkModule::CallBackType type, const uint8_t* data,
                                uint32_t length) {
    NetEvent event;
    if (type == CLNetworkModule::PACKET_RECEIVED) {
        event = parseResponse(data, length);
    } else {
        // A packet that could not go out comes back whole: length, seq, the word 20, code.
        event.status = type;
        if (data != nullptr && length >= kLengthFieldSize + kRequestHeaderSize) {
            event.seq = readWord(data + 4);
            event.code = static_cast<int32_t>(readWord(data + 12));
        }
    }
    std::lock_guard<std::mutex> lock(eventMutex);
    events.push_back(std::move(event));
}

void GBDirector::dispatchEvents(float dt) {
    clock += std::max(0.0f, dt);
    std::list<NetEvent> arrived;
    {
        std::lock_guard<std::mutex> lock(eventMutex);
        arrived.swap(events);
    }
    std::list<NetEvent> held;
    for (NetEvent& event : arrived) {
        if (isPushCode(event.code)) {
            if (!deliverPush(event)) {
                held.push_back(std::move(event));
            } else if (event.code == EVENT_MATCHRES) {
                // What is still held of the game pushes belongs to a game the player has left.
                held.remove_if([](const NetEvent& e) {
                    return e.code >= EVENT_OPPCHESS && e.code <= EVENT_OVERTIME;
                });
            }
            continue;
        }
        auto found = pending.find(Key(event.seq, event.code));
        if (found == pending.end()) {
            continue; // unasked, mismatched or duplicate: dropped with its fields
        }
        PendingRequest request = std::move(found->second);
        pending.erase(found);
        deliverAnswer(request, event.status, std::move(event.fields));
    }
    expireRequests();
    if (!held.empty()) {
        // In front of what arrived meanwhile, so that pushes keep the order they came in.
        std::lock_guard<std::mutex> lock(eventMutex);
        events.splice(events.begin(), held);
    }
}

bool GBDirector::deliverPush(const NetEvent& event) {
    const Listener* listener = listenerFor(event.code);
    if (!listener) {
        return false;
    }
    if (event.status == CLNetworkModule::PACKET_RECEIVED) {
        ResponseDataPack pack;
        pack.response = event.fields.get();
        pack.code = event.code;
        pack.status = event.status;
        const Listener call = *listener; // the listener may remove itself
        call(pack);
    }
    return true;
}

void GBDirector::deliverAnswer(const PendingRequest& request, CLNetworkModule::CallBackType status,
                               std::unique_ptr<CLDataBuffer> fields) {
    if (status != CLNetworkModule::PACKET_RECEIVED && !request.reportFailure) {
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
        deliverAnswer(request, CLNetworkModule::SEND_FAILED, nullptr);
    }
}

const GBDirector::Listener* GBDirector::listenerFor(int32_t code) const {
    const auto name = eventNames.find(code);
    if (name == eventNames.end()) {
        return nullptr;
    }
    const auto found = listeners.find(name->second);
    return found == listeners.end() ? nullptr : &found->second;
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
