#include "Widgets.h"

#include "cocos2d.h"

USING_NS_CC;

namespace scenes {

namespace {
const char* const kFont = "Arial";
constexpr int kFontSize = 26;
// How far the field's box reaches left of its text.
constexpr float kBoxInset = 4;
} // namespace

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

} // namespace scenes
