#include "SceneSupport.h"

#include "GBDirector.h"
#include "ResponseDataPack.h"

USING_NS_CC;

namespace scenes {

namespace {
const char* const kFont = "Arial";
constexpr int kFontSize = 26;
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
    auto* field = ui::TextField::create(placeholder, kFont, kFontSize);
    parent->addChild(field);
    field->setAnchorPoint(Vec2(0, 0.5f));
    field->setPosition(at);
    field->setPasswordEnabled(password);
    return field;
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
