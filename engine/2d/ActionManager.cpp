#include "2d/ActionManager.h"

#include "2d/Action.h"
#include "2d/Node.h"

#include <algorithm>

namespace cocos2d {

ActionManager::~ActionManager() {
    removeAllActions();
}

void ActionManager::addAction(Action* action, Node* target) {
    if (!action || !target) {
        return;
    }
    // Running an action that already runs restarts it rather than stepping it twice per frame.
    removeAction(action);
    action->retain();
    target->retain();
    _entries.push_back({action, target, false});
    action->startWithTarget(target);
}

void ActionManager::removeAction(Action* action) {
    for (auto& e : _entries) {
        if (e.action == action && !e.dead) {
            e.dead = true;
            action->stop();
        }
    }
    purgeDead();
}

void ActionManager::removeAllActionsFromTarget(Node* target) {
    for (auto& e : _entries) {
        if (e.target == target && !e.dead) {
            e.dead = true;
            e.action->stop();
        }
    }
    purgeDead();
}

void ActionManager::removeAllActions() {
    for (auto& e : _entries) {
        if (!e.dead) {
            e.dead = true;
            e.action->stop();
        }
    }
    purgeDead();
}

size_t ActionManager::getNumberOfRunningActionsInTarget(const Node* target) const {
    return static_cast<size_t>(std::count_if(_entries.begin(), _entries.end(), [&](const Entry& e) {
        return e.target == target && !e.dead;
    }));
}

bool ActionManager::isAnyRunning() const {
    return std::any_of(_entries.begin(), _entries.end(),
                       [](const Entry& e) { return !e.dead && e.target->isRunning(); });
}

void ActionManager::purgeDead() {
    if (_updating) {
        return;
    }
    std::vector<Entry> dead;
    auto keep = std::stable_partition(_entries.begin(), _entries.end(),
                                      [](const Entry& e) { return !e.dead; });
    dead.assign(keep, _entries.end());
    _entries.erase(keep, _entries.end());
    // Releasing may destroy nodes, and their destructors may come back here: the list is
    // consistent before the first release.
    for (auto& e : dead) {
        e.action->release();
        e.target->release();
    }
}

void ActionManager::update(float dt) {
    _updating = true;
    const size_t count = _entries.size(); // actions added while stepping start next frame
    for (size_t i = 0; i < count; ++i) {
        Entry e = _entries[i];
        if (e.dead || !e.target->isRunning()) {
            continue;
        }
        e.action->step(dt);
        if (e.action->isDone() && !_entries[i].dead) {
            _entries[i].dead = true;
            e.action->stop();
        }
    }
    _updating = false;
    purgeDead();
}

} // namespace cocos2d
