#include "SceneSupport.h"

#include "GBDirector.h"
#include "ResponseDataPack.h"

USING_NS_CC;

namespace scenes {

namespace {
const char* const kFont = "Arial";
constexpr int kFontSize = 26;
// How far the field's box reaches left of its text.
constexpr float kBoxInset = 4;
} // namespace

Size designSize() {
    return Director::getInstance()->getOpenGLView()->getDesignResolutionSize();
}

void slideTo(Layer* layer, Slide direction) {
    if (!layer) {
        return;
    }
    auto* scene = Scene::create();
    scene->addChild(layer);
    Scene* transition = direction == Slide::FORWARD
                            ? static_cast<Scene*>(TransitionMoveInR::create(0.5f, scene))
                            : static_cast<Scene*>(TransitionMoveInL::create(0.5f, scene));
    Director::getInstance()->replaceScene(transition);
}

ui::Button* addButton(Node* parent, const char* image, const Vec2& at, Ref* target,
                      ui::SEL_TouchEvent handler) {
    auto* button = ui::Button::create(image, "", "", ui::Widget::TextureResType::LOCAL);
    parent->addChild(button);
    button->setPosition(at);
    button->setPressedActionEnabled(true); // a pressed look while held, nothing else
    button->addTouchEventListener(target, handler);
    return button;
}

ui::Text* addLabel(Node* parent, const std::string& text, const Vec2& at) {
    auto* label = ui::Text::create(text, kFont, kFontSize);
    parent->addChild(label);
    label->setPosition(at);
    return label;
}

ui::TextField* addField(Node* parent, const std::string& placeholder, const Vec2& at,
                        bool password) {
    // The box starts a little left of the text, which starts at `at`.
    Sprite* box = Sprite::create("images/field.png");
    Sprite* lit = Sprite::create("images/fieldfocus.png");
    for (Sprite* picture : {box, lit}) {
        if (picture) {
            parent->addChild(picture);
            picture->setAnchorPoint(Vec2(0, 0.5f));
            picture->setPosition(at - Vec2(kBoxInset, 0));
        }
    }
    auto* field = ui::TextField::create(placeholder, kFont, kFontSize);
    parent->addChild(field);
    field->setAnchorPoint(Vec2(0, 0.5f));
    field->setPosition(at);
    field->setPasswordEnabled(password);
    if (box && lit) {
        lit->setVisible(false);
        field->setTouchAreaEnabled(true);
        const Size boxSize = box->getContentSize();
        field->setTouchSize(Size(boxSize.width - kBoxInset, boxSize.height));
        field->addEventListener([lit](Ref*, ui::TextField::EventType type) {
            if (type == ui::TextField::EventType::ATTACH_WITH_IME ||
                type == ui::TextField::EventType::DETACH_WITH_IME) {
                lit->setVisible(type == ui::TextField::EventType::ATTACH_WITH_IME);
            }
        });
    }
    return field;
}

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

ui::Text* addStatusLine(Node* parent, const Vec2& at) {
    auto* line = ui::Text::create("", kFont, 22);
    line->setColor(Color3B(250, 236, 205));
    parent->addChild(line);
    line->setPosition(at);
    return line;
}

ui::Text* addMessageLine(Node* parent, const Vec2& at) {
    ui::Text* message = addLabel(parent, "", at);
    message->setColor(Color3B::RED);
    return message;
}

bool rememberCredentials(const ResponseDataPack& pack) {
    const auto name = pack.request ? pack.request->stringAt(0) : std::nullopt;
    const auto password = pack.context ? pack.context->stringAt(0) : std::nullopt;
    if (!name || !password) {
        return false;
    }
    UserDefault* store = UserDefault::getInstance();
    store->setStringForKey("username", *name);
    store->setStringForKey("password", *password);
    return true;
}

void forgetListeners(const void* layer) {
    if (GBDirector* director = GBDirector::getInstance()) {
        director->removeListenersOf(layer);
    }
}

} // namespace scenes
