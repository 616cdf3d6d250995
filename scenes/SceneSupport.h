#pragma once
// What every scene layer of the game builds the same way: the design size, the slide to the
// next scene, the widgets of the menus and forms, the credentials a login or registration
// remembers, and the listeners a layer leaves behind.

#include "cocos2d.h"
#include "ui/CocosGUI.h"

#include <functional>
#include <string>
#include <vector>

struct ResponseDataPack;

namespace scenes {

// The background of every scene layer.
const cocos2d::Color4B kBackground(139, 115, 85, 255);

// The design resolution set at start-up, which every layout is computed from.
cocos2d::Size designSize();

enum class Slide { FORWARD, BACK };
// Replaces the running scene with a new one holding `layer`, sliding in from the right going
// forward and from the left going back, in 0.5 s. Does nothing for a null layer (a scene whose
// pictures are missing): the player stays where they are.
void slideTo(cocos2d::Layer* layer, Slide direction);

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

// After a successful login or registration: the name as sent and the password as typed go to
// the settings ("username", "password"). False, writing nothing, when the pack lacks them.
bool rememberCredentials(const ResponseDataPack& pack);

// The forms' keys: Tab and Shift+Tab move the focus along `fields` (top first), Enter does
// `submit` (the form's main button), Escape does `back` (the back button). On arrival the first
// empty field has the focus.
void addFormKeys(cocos2d::Node* layer, const std::vector<cocos2d::ui::TextField*>& fields,
                 const std::function<void()>& submit, const std::function<void()>& back);
// Escape does `back`, as the scene's back button does.
void addBackKey(cocos2d::Node* layer, const std::function<void()>& back);

// Takes back every director listener `layer` registered as their owner: the destructors' safety
// net behind the removals each way out makes, so that no listener outlives its layer.
void forgetListeners(const void* layer);

} // namespace scenes
