#pragma once
// The scene graph. A node owns its children (one reference each) and draws them in z-order;
// children with a negative local z-order are drawn before the node itself. Positions are in the
// parent's coordinates, whose origin is the parent's bottom-left corner; the anchor point is the
// fraction of the content size that the position refers to.
//
// A node is "running" while it is part of the running scene (between onEnter and onExit); only
// then do its actions and its scheduled callbacks advance and its touch listeners hear touches.

#include "base/Macros.h"
#include "base/Ref.h"
#include "base/Scheduler.h"
#include "base/Types.h"

#include <string>
#include <vector>

namespace cocos2d {

class Action;
class ActionManager;
class EventDispatcher;
class Renderer;

class Node : public Ref {
public:
    static Node* create();
    ~Node() override;

    virtual bool init();

    // Tree. addChild retains the child; removing releases it, and with cleanup also stops its
    // actions and scheduled callbacks (and those of its descendants).
    virtual void addChild(Node* child);
    virtual void addChild(Node* child, int localZOrder);
    virtual void addChild(Node* child, int localZOrder, const std::string& name);
    virtual void removeChild(Node* child, bool cleanup = true);
    virtual void removeAllChildrenWithCleanup(bool cleanup);
    void removeFromParent();
    void removeFromParentAndCleanup(bool cleanup);
    Node* getParent() const { return _parent; }
    const std::vector<Node*>& getChildren() const { return _children; }
    Node* getChildByName(const std::string& name) const;

    void setName(const std::string& name) { _name = name; }
    const std::string& getName() const { return _name; }
    void setLocalZOrder(int z);
    int getLocalZOrder() const { return _localZOrder; }

    // Geometry and appearance.
    virtual void setPosition(const Vec2& position);
    void setPosition(float x, float y) { setPosition(Vec2(x, y)); }
    const Vec2& getPosition() const { return _position; }
    void setAnchorPoint(const Vec2& anchor);
    const Vec2& getAnchorPoint() const { return _anchorPoint; }
    virtual void setContentSize(const Size& size);
    const Size& getContentSize() const { return _contentSize; }
    void setScale(float scale);
    float getScale() const { return _scaleX; }
    virtual void setVisible(bool visible);
    bool isVisible() const { return _visible; }
    virtual void setOpacity(uint8_t opacity);
    uint8_t getOpacity() const { return _opacity; }
    virtual void setColor(const Color3B& color);
    const Color3B& getColor() const { return _color; }

    Vec2 convertToWorldSpace(const Vec2& nodePoint) const;
    Vec2 convertToNodeSpace(const Vec2& worldPoint) const;
    Affine getNodeToParentAffine() const;
    Affine getNodeToWorldAffine() const;

    // Actions.
    Action* runAction(Action* action);
    void stopAction(Action* action);
    void stopAllActions();
    size_t getNumberOfRunningActions() const;

    // Scheduled callbacks, with this node as the target.
    void schedule(const ccSchedulerFunc& callback, float interval, unsigned int repeat, float delay,
                  const std::string& key);
    void schedule(SEL_SCHEDULE selector, float interval, unsigned int repeat, float delay);
    void unschedule(const std::string& key);
    void unschedule(SEL_SCHEDULE selector);
    bool isScheduled(const std::string& key) const;
    void unscheduleAllCallbacks();

    // Life cycle.
    virtual void onEnter();
    virtual void onExit();
    virtual void cleanup();
    bool isRunning() const { return _running; }

    EventDispatcher* getEventDispatcher() const { return _eventDispatcher; }
    Scheduler* getScheduler() const { return _scheduler; }

    // Drawing, called by the director for the running scene.
    virtual void visit(Renderer& renderer, const Affine& parentToWorld);
    virtual void draw(Renderer& renderer, const Affine& nodeToWorld);

protected:
    Node();
    void insertChild(Node* child);
    // Layers and scenes position their bottom-left corner, whatever their anchor.
    bool _ignoreAnchorPointForPosition = false;

    Scheduler* _scheduler;
    ActionManager* _actionManager;
    EventDispatcher* _eventDispatcher;

    Vec2 _position;
    Vec2 _anchorPoint;
    Size _contentSize;
    float _scaleX = 1;
    float _scaleY = 1;
    bool _visible = true;
    uint8_t _opacity = 255;
    Color3B _color;

private:
    Node* _parent = nullptr;
    std::vector<Node*> _children;
    std::string _name;
    int _localZOrder = 0;
    bool _running = false;
};

} // namespace cocos2d
