#pragma once
// Koralith's stand-in for the cocos2d-x 3.x engine: the part of its API that the scenes, the
// director and start-up use, with the same names and behaviour, drawn with SDL2. Everything
// here runs on the main thread. The director owns the running scene; the node tree owns every
// node in it (a parent holds one reference per child); objects made with create() are
// autoreleased and freed after the frame unless something retained them. Headless views draw
// into a memory surface with no display, for tests. engine/README.md lists what is provided and
// where it differs from cocos2d-x.

#include "2d/Action.h"
#include "2d/Node.h"
#include "2d/Scene.h"
#include "2d/Sprite.h"
#include "2d/Transition.h"
#include "base/Dictionary.h"
#include "base/Director.h"
#include "base/EventDispatcher.h"
#include "base/EventKeyboard.h"
#include "base/FileUtils.h"
#include "base/Macros.h"
#include "base/RandomHelper.h"
#include "base/Ref.h"
#include "base/Scheduler.h"
#include "base/StringUtils.h"
#include "base/Types.h"
#include "base/UserDefault.h"
#include "platform/Application.h"
#include "platform/GLView.h"
#include "renderer/Texture2D.h"
