#pragma once
// Runs the actions of every node, once per frame, on the main thread. It keeps a reference on
// each action and on its node while the action runs, so neither disappears mid-step; actions
// of a node that is not in the running scene wait.

#include <cstddef>
#include <vector>

namespace cocos2d {

class Action;
class Node;

class ActionManager {
public:
    ActionManager() = default;
    ~ActionManager();
    ActionManager(const ActionManager&) = delete;
    ActionManager& operator=(const ActionManager&) = delete;

    void addAction(Action* action, Node* target);
    void removeAction(Action* action);
    void removeAllActionsFromTarget(Node* target);
    void removeAllActions();
    size_t getNumberOfRunningActionsInTarget(const Node* target) const;
    // Some action of a node in the running scene steps in the next update.
    bool isAnyRunning() const;
    void update(float dt);

private:
    struct Entry {
        Action* action;
        Node* target;
        bool dead;
    };
    void purgeDead();
    std::vector<Entry> _entries;
    bool _updating = false;
};

} // namespace cocos2d
