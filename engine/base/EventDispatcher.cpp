#include "base/EventDispatcher.h"

#include "2d/Node.h"
#include "base/EventKeyboard.h"

#include <algorithm>
#include <new>
#include <unordered_map>

namespace cocos2d {

EventListenerTouchOneByOne* EventListenerTouchOneByOne::create() {
    auto* listener = new (std::nothrow) EventListenerTouchOneByOne();
    if (listener) {
        listener->autorelease();
    }
    return listener;
}

EventListenerKeyboard* EventListenerKeyboard::create() {
    auto* listener = new (std::nothrow) EventListenerKeyboard();
    if (listener) {
        listener->autorelease();
    }
    return listener;
}

EventDispatcher::EventDispatcher() : _touch(new Touch()), _event(new Event()) {}

EventDispatcher::~EventDispatcher() {
    removeAllEventListeners();
    _touch->release();
    _event->release();
}

void EventDispatcher::addEventListenerWithSceneGraphPriority(EventListener* listener, Node* node) {
    if (!listener || !node || listener->_node) {
        return;
    }
    listener->retain();
    listener->_node = node;
    _listeners.push_back(listener);
}

void EventDispatcher::removeEventListener(EventListener* listener) {
    auto it = std::find(_listeners.begin(), _listeners.end(), listener);
    if (it == _listeners.end()) {
        return;
    }
    _listeners.erase(it);
    listener->_node = nullptr; // a dispatch in progress holds its own reference and skips it
    listener->release();
}

void EventDispatcher::removeEventListenersForTarget(Node* node) {
    std::vector<EventListener*> gone;
    for (EventListener* l : _listeners) {
        if (l->_node == node) {
            gone.push_back(l);
        }
    }
    for (EventListener* l : gone) {
        removeEventListener(l);
    }
}

void EventDispatcher::removeAllEventListeners() {
    releaseClaimed();
    while (!_listeners.empty()) {
        removeEventListener(_listeners.back());
    }
}

void EventDispatcher::releaseClaimed() {
    std::vector<EventListenerTouchOneByOne*> claimed;
    claimed.swap(_claimed);
    for (auto* l : claimed) {
        l->release();
    }
}

namespace {
// Numbers nodes in drawing order: negative-z children, the node, the other children.
void numberInDrawOrder(Node* node, std::unordered_map<const Node*, int>& order, int& next) {
    const auto& children = node->getChildren();
    size_t i = 0;
    for (; i < children.size() && children[i]->getLocalZOrder() < 0; ++i) {
        numberInDrawOrder(children[i], order, next);
    }
    order[node] = next++;
    for (; i < children.size(); ++i) {
        numberInDrawOrder(children[i], order, next);
    }
}
} // namespace

template <typename Listener>
std::vector<Listener*> EventDispatcher::listenersFrontFirst(Node* root) const {
    std::vector<std::pair<int, Listener*>> ranked;
    if (!root) {
        return {};
    }
    std::unordered_map<const Node*, int> order;
    int next = 0;
    numberInDrawOrder(root, order, next);
    for (size_t i = 0; i < _listeners.size(); ++i) {
        auto* listener = dynamic_cast<Listener*>(_listeners[i]);
        auto it = listener ? order.find(listener->_node) : order.end();
        if (it != order.end()) {
            ranked.emplace_back(it->second, listener);
        }
    }
    // Front-most first; listeners of one node in the order they were registered.
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<Listener*> result;
    for (auto it = ranked.begin(); it != ranked.end(); ++it) {
        result.push_back(it->second);
    }
    return result;
}

void EventDispatcher::dispatchTouch(TouchPhase phase, const Vec2& location, Node* root) {
    if (!_enabled) {
        return;
    }
    _touch->setLocation(location);
    auto alive = [](EventListenerTouchOneByOne* l) {
        return l->isRegistered() && l->_node->isRunning();
    };
    if (phase == TouchPhase::BEGAN) {
        releaseClaimed();
        auto candidates = listenersFrontFirst<EventListenerTouchOneByOne>(root);
        for (auto* l : candidates) {
            l->retain();
        }
        for (auto* l : candidates) {
            if (!alive(l) || !l->onTouchBegan) {
                continue;
            }
            auto began = l->onTouchBegan; // the callback may remove its own listener
            if (began(_touch, _event)) {
                l->retain();
                _claimed.push_back(l);
                if (l->isSwallowTouches()) {
                    break;
                }
            }
        }
        for (auto* l : candidates) {
            l->release();
        }
        return;
    }
    std::vector<EventListenerTouchOneByOne*> claimed = _claimed;
    for (auto* l : claimed) {
        l->retain();
    }
    if (phase != TouchPhase::MOVED) {
        releaseClaimed();
    }
    for (auto* l : claimed) {
        if (!alive(l)) {
            continue;
        }
        auto handler = phase == TouchPhase::MOVED ? l->onTouchMoved : l->onTouchEnded;
        if (handler) {
            handler(_touch, _event);
        }
    }
    for (auto* l : claimed) {
        l->release();
    }
}

void EventDispatcher::dispatchKeyboard(EventKeyboard* event, Node* root) {
    if (!_enabled) {
        return;
    }
    auto listeners = listenersFrontFirst<EventListenerKeyboard>(root);
    for (auto* l : listeners) {
        l->retain();
    }
    for (auto* l : listeners) {
        if (event->isStopped() || !l->isRegistered() || !l->_node->isRunning()) {
            continue;
        }
        // A copy: the callback may remove its own listener.
        auto handler = event->isPressed() ? l->onKeyPressed : l->onKeyReleased;
        if (handler) {
            handler(event->getKeyCode(), event);
        }
    }
    for (auto* l : listeners) {
        l->release();
    }
}

} // namespace cocos2d
