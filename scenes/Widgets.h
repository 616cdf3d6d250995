#pragma once
// The widgets the menus and forms build the same way: picture buttons, labels, input fields with
// a box of their own, the red message line and the status line. Each is added to `parent`, whose
// node tree owns it; the pointer returned is for the caller's use while the parent lives. Main
// thread only.

#include "ui/CocosGUI.h"

#include <string>

namespace scenes {

// A picture button with only its normal image, whose ended touches go to `handler`.
cocos2d::ui::Button* addButton(cocos2d::Node* parent, const char* image, const cocos2d::Vec2& at,
                               cocos2d::Ref* target, cocos2d::ui::SEL_TouchEvent handler);

// The forms' widgets, all in "Arial" 26: a label, an input field growing to the right of `at`
// with the placeholder text, and the red message line. The field has a box of our own behind
// it, all of which takes a click and which lights up while the field has the focus.
cocos2d::ui::Text* addLabel(cocos2d::Node* parent, const std::string& text,
                            const cocos2d::Vec2& at);
cocos2d::ui::TextField* addField(cocos2d::Node* parent, const std::string& placeholder,
                                 const cocos2d::Vec2& at, bool password);
cocos2d::ui::Text* addMessageLine(cocos2d::Node* parent, const cocos2d::Vec2& at);
// A line of our own for how things stand (the connection): smaller than the forms' texts and
// light, so that it does not read as the red message line.
cocos2d::ui::Text* addStatusLine(cocos2d::Node* parent, const cocos2d::Vec2& at);

} // namespace scenes
