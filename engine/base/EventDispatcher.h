#pragma once
// Touch and key delivery. A listener is bound to a node ("scene-graph priority"): for a new
// touch the listeners are asked front-most node first (the reverse of drawing order), and the
// touch's later events go to those whose onTouchBegan returned true. A swallowing listener that
// claims the touch hides it from the listeners behind it. A key goes to every keyboard listener,
// front-most first, until one stops its propagation. Only nodes of the running scene hear
// events; while the dispatcher is disabled (during a scene transition) they are dropped.
//
// The mouse is the one touch: a press begins it, a drag moves it, a release ends it.

#include "base/Ref.h"
#include "base/Types.h"

#include <functional>
#include <vector>

namespace cocos2d {

class EventKeyboard;
class Node;

class Touch : public Ref {
public:
    // In design coordinates, the world space of the running scene.
    Vec2 getLocation() const { return _location; }
    int getID() const { return 0; }
    void setLocation(const Vec2& location) { _location = location; }

private:
    Vec2 _location;
};

class Event : public Ref {
public:
    // The listeners behind the current one do not hear this event.
    void stopPropagation() { _stopped = true; }
    bool isStopped() const { return _stopped; }

private:
    bool _stopped = false;
};

class EventListener : public Ref {
public:
    bool isRegistered() const { return _node != nullptr; }

protected:
    friend class EventDispatcher;
    Node* _node = nullptr;
};

class EventListenerTouchOneByOne : public EventListener {
public:
    static EventListenerTouchOneByOne* create();
    void setSwallowTouches(bool swallow) { _swallow = swallow; }
    bool isSwallowTouches() const { return _swallow; }

    std::function<bool(Touch*, Event*)> onTouchBegan;
    std::function<void(Touch*, Event*)> onTouchMoved;
    std::function<void(Touch*, Event*)> onTouchEnded;

private:
    EventListenerTouchOneByOne() = default;
    bool _swallow = false;
};

class EventDispatcher {
public:
    EventDispatcher();
    ~EventDispatcher();
    EventDispatcher(const EventDispatcher&) = delete;
    EventDispatcher& operator=(const EventDispatcher&) = delete;

    void addEventListenerWithSceneGraphPriority(EventListener* listener, Node* node);
    void removeEventListener(EventListener* listener);
    void removeEventListenersForTarget(Node* node);
    void removeAllEventListeners();
    void setEnabled(bool enabled) { _enabled = enabled; }
    bool isEnabled() const { return _enabled; }

    enum class TouchPhase { BEGAN, MOVED, ENDED };
    // Delivers one mouse event to the running scene, `root`.
    void dispatchTouch(TouchPhase phase, const Vec2& location, Node* root);
    void dispatchKeyboard(EventKeyboard* event, Node* root);

private:
    template <typename Listener>
    std::vector<Listener*> listenersFrontFirst(Node* root) const;
    void releaseClaimed();

    std::vector<EventListener*> _listeners;            // each retained
    std::vector<EventListenerTouchOneByOne*> _claimed; // listeners of the current touch, retained
    Touch* _touch;
    Event* _event;
    bool _enabled = true;
};

} // namespace cocos2d
