#pragma once
// The UI widgets: Button, Text, TextField (namespace cocos2d::ui).

#include "ui/UIButton.h"
#include "ui/UIText.h"
#include "ui/UITextField.h"
#include "ui/UIWidget.h"
