#pragma once
// The keys a desktop player expects of a form and a screen: Tab and Shift+Tab along the fields,
// Enter for the main button, Escape for the back button. The listeners are added to `layer` and
// end with it. Main thread only.

#include "ui/CocosGUI.h"

#include <functional>
#include <vector>

namespace scenes {

// Tab and Shift+Tab move the focus along `fields` (top first), Enter does `submit` (the form's
// main button), Escape does `back` (the back button). On arrival the first empty field has the
// focus.
void addFormKeys(cocos2d::Node* layer, const std::vector<cocos2d::ui::TextField*>& fields,
                 const std::function<void()>& submit, const std::function<void()>& back);
// Escape does `back`, as the scene's back button does.
void addBackKey(cocos2d::Node* layer, const std::function<void()>& back);

} // namespace scenes
