#include "FormKeys.h"

#include "cocos2d.h"

USING_NS_CC;

namespace scenes {

void addFormKeys(Node* layer, const std::vector<ui::TextField*>& fields,
                 const std::function<void()>& submit, const std::function<void()>& back) {
    auto* keys = EventListenerKeyboard::create();
    keys->onKeyPressed = [fields, submit, back](EventKeyboard::KeyCode key, Event* event) {
        switch (key) {
        case EventKeyboard::KeyCode::KEY_TAB: {
            const int n = static_cast<int>(fields.size());
            int at = -1;
            for (int i = 0; i < n; ++i) {
                at = fields[i]->isFocused() ? i : at;
            }
            const bool backwards = static_cast<EventKeyboard*>(event)->isShiftDown();
            const int next = at < 0 ? (backwards ? n - 1 : 0) : (at + (backwards ? n - 1 : 1)) % n;
            fields[next]->attachWithIME();
            break;
        }
        case EventKeyboard::KeyCode::KEY_ENTER:
        case EventKeyboard::KeyCode::KEY_KP_ENTER:
            submit();
            break;
        case EventKeyboard::KeyCode::KEY_ESCAPE:
            back();
            break;
        default:
            break;
        }
    };
    layer->getEventDispatcher()->addEventListenerWithSceneGraphPriority(keys, layer);
    for (ui::TextField* field : fields) {
        if (field->getString().empty()) {
            field->attachWithIME();
            break;
        }
    }
}

void addBackKey(Node* layer, const std::function<void()>& back) {
    auto* keys = EventListenerKeyboard::create();
    keys->onKeyPressed = [back](EventKeyboard::KeyCode key, Event*) {
        if (key == EventKeyboard::KeyCode::KEY_ESCAPE) {
            back();
        }
    };
    layer->getEventDispatcher()->addEventListenerWithSceneGraphPriority(keys, layer);
}

} // namespace scenes
