#include "2d/Node.h"

#include "2d/Action.h"
#include "2d/ActionManager.h"
#include "base/Director.h"
#include "base/EventDispatcher.h"
#include "base/Log.h"

#include <algorithm>

namespace cocos2d {

Node::Node()
    : _scheduler(Director::getInstance()->getScheduler()),
      _actionManager(Director::getInstance()->getActionManager()),
      _eventDispatcher(Director::getInstance()->getEventDispatcher()) {}

Node::~Node() {
    for (Node* child : _children) {
        child->_parent = nullptr;
        child->release();
    }
    // The director this node was made under may be gone (tests purge it); only a live one can
    // still hold callbacks or listeners for this node.
    if (Director* director = Director::getInstanceIfExists()) {
        director->getScheduler()->unscheduleAllForTarget(this);
        director->getEventDispatcher()->removeEventListenersForTarget(this);
    }
}

Node* Node::create() {
    auto* node = new (std::nothrow) Node();
    if (node && node->init()) {
        node->autorelease();
        return node;
    }
    delete node;
    return nullptr;
}

bool Node::init() {
    return true;
}

void Node::insertChild(Node* child) {
    // Kept sorted by z-order, stable: among equal z-orders the latest added is drawn last.
    auto at = std::upper_bound(_children.begin(), _children.end(), child->_localZOrder,
                               [](int z, const Node* n) { return z < n->_localZOrder; });
    _children.insert(at, child);
}

void Node::addChild(Node* child) {
    addChild(child, child ? child->_localZOrder : 0);
}

void Node::addChild(Node* child, int localZOrder) {
    addChild(child, localZOrder, child ? child->_name : std::string());
}

void Node::addChild(Node* child, int localZOrder, const std::string& name) {
    if (!child) {
        engineLog("addChild: no child to add (a resource failed to load?)");
        return;
    }
    if (child->_parent || child == this) {
        engineLog("addChild: the node already has a parent");
        return;
    }
    child->retain();
    child->_localZOrder = localZOrder;
    child->_name = name;
    child->_parent = this;
    insertChild(child);
    if (_running) {
        child->onEnter();
    }
    Director::markDirty();
}

void Node::removeChild(Node* child, bool cleanup) {
    auto it = std::find(_children.begin(), _children.end(), child);
    if (it == _children.end()) {
        return;
    }
    _children.erase(it);
    if (child->_running) {
        child->onExit();
    }
    if (cleanup) {
        child->cleanup();
    }
    child->_parent = nullptr;
    Director::markDirty();
    child->release();
}

void Node::removeAllChildrenWithCleanup(bool cleanup) {
    while (!_children.empty()) {
        removeChild(_children.back(), cleanup);
    }
}

void Node::removeFromParent() {
    removeFromParentAndCleanup(true);
}

void Node::removeFromParentAndCleanup(bool cleanup) {
    if (_parent) {
        _parent->removeChild(this, cleanup);
    }
}

Node* Node::getChildByName(const std::string& name) const {
    for (Node* child : _children) {
        if (child->_name == name) {
            return child;
        }
    }
    return nullptr;
}

void Node::setLocalZOrder(int z) {
    if (z == _localZOrder) {
        return;
    }
    _localZOrder = z;
    if (_parent) {
        auto& siblings = _parent->_children;
        siblings.erase(std::find(siblings.begin(), siblings.end(), this));
        _parent->insertChild(this);
    }
    Director::markDirty();
}

void Node::setPosition(const Vec2& position) {
    if (position != _position) {
        _position = position;
        Director::markDirty();
    }
}

void Node::setAnchorPoint(const Vec2& anchor) {
    if (anchor != _anchorPoint) {
        _anchorPoint = anchor;
        Director::markDirty();
    }
}

void Node::setContentSize(const Size& size) {
    if (size != _contentSize) {
        _contentSize = size;
        Director::markDirty();
    }
}

void Node::setScale(float scale) {
    if (scale != _scaleX || scale != _scaleY) {
        _scaleX = _scaleY = scale;
        Director::markDirty();
    }
}

void Node::setVisible(bool visible) {
    if (visible != _visible) {
        _visible = visible;
        Director::markDirty();
    }
}

void Node::setOpacity(uint8_t opacity) {
    if (opacity != _opacity) {
        _opacity = opacity;
        Director::markDirty();
    }
}

void Node::setColor(const Color3B& color) {
    if (color != _color) {
        _color = color;
        Director::markDirty();
    }
}

Affine Node::getNodeToParentAffine() const {
    const float ax = _anchorPoint.x * _contentSize.width;
    const float ay = _anchorPoint.y * _contentSize.height;
    Affine a;
    a.sx = _scaleX;
    a.sy = _scaleY;
    a.tx = _position.x - ax * _scaleX + (_ignoreAnchorPointForPosition ? ax : 0);
    a.ty = _position.y - ay * _scaleY + (_ignoreAnchorPointForPosition ? ay : 0);
    return a;
}

Affine Node::getNodeToWorldAffine() const {
    Affine a = getNodeToParentAffine();
    for (const Node* p = _parent; p; p = p->_parent) {
        a = p->getNodeToParentAffine() * a;
    }
    return a;
}

Vec2 Node::convertToWorldSpace(const Vec2& nodePoint) const {
    return getNodeToWorldAffine().apply(nodePoint);
}

Vec2 Node::convertToNodeSpace(const Vec2& worldPoint) const {
    const Affine a = getNodeToWorldAffine();
    return {a.sx != 0 ? (worldPoint.x - a.tx) / a.sx : 0,
            a.sy != 0 ? (worldPoint.y - a.ty) / a.sy : 0};
}

Action* Node::runAction(Action* action) {
    _actionManager->addAction(action, this);
    Director::markDirty();
    return action;
}

void Node::stopAction(Action* action) {
    _actionManager->removeAction(action);
}

void Node::stopAllActions() {
    _actionManager->removeAllActionsFromTarget(this);
}

size_t Node::getNumberOfRunningActions() const {
    return _actionManager->getNumberOfRunningActionsInTarget(this);
}

void Node::schedule(const ccSchedulerFunc& callback, float interval, unsigned int repeat,
                    float delay, const std::string& key) {
    _scheduler->schedule(callback, this, interval, repeat, delay, !_running, key);
}

void Node::schedule(SEL_SCHEDULE selector, float interval, unsigned int repeat, float delay) {
    _scheduler->schedule(selector, this, interval, repeat, delay, !_running);
}

void Node::unschedule(const std::string& key) {
    _scheduler->unschedule(key, this);
}

void Node::unschedule(SEL_SCHEDULE selector) {
    _scheduler->unschedule(selector, this);
}

bool Node::isScheduled(const std::string& key) const {
    return _scheduler->isScheduled(key, this);
}

void Node::unscheduleAllCallbacks() {
    _scheduler->unscheduleAllForTarget(this);
}

void Node::onEnter() {
    _running = true;
    _scheduler->resumeTarget(this);
    // A copy: a child's onEnter may change the list.
    const std::vector<Node*> children = _children;
    for (Node* child : children) {
        if (!child->_running) {
            child->onEnter();
        }
    }
}

void Node::onExit() {
    const std::vector<Node*> children = _children;
    for (Node* child : children) {
        if (child->_running) {
            child->onExit();
        }
    }
    _running = false;
    _scheduler->pauseTarget(this);
}

void Node::cleanup() {
    stopAllActions();
    unscheduleAllCallbacks();
    const std::vector<Node*> children = _children;
    for (Node* child : children) {
        child->cleanup();
    }
}

void Node::visit(Renderer& renderer, const Affine& parentToWorld) {
    if (!_visible) {
        return;
    }
    const Affine toWorld = parentToWorld * getNodeToParentAffine();
    size_t i = 0;
    for (; i < _children.size() && _children[i]->_localZOrder < 0; ++i) {
        _children[i]->visit(renderer, toWorld);
    }
    draw(renderer, toWorld);
    for (; i < _children.size(); ++i) {
        _children[i]->visit(renderer, toWorld);
    }
}

void Node::draw(Renderer&, const Affine&) {}

} // namespace cocos2d
