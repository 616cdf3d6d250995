#pragma once
// The engine's own macros, with the meaning scene code expects of them.

#include <climits>
#include <functional>
#include <new>

#define USING_NS_CC using namespace cocos2d

// Two-step construction: allocate, init, autorelease; null (and nothing leaked) if init fails.
#define CREATE_FUNC(__TYPE__)                                                                      \
    static __TYPE__* create() {                                                                    \
        __TYPE__* pRet = new (std::nothrow) __TYPE__();                                            \
        if (pRet && pRet->init()) {                                                                \
            pRet->autorelease();                                                                   \
            return pRet;                                                                           \
        }                                                                                          \
        delete pRet;                                                                               \
        return nullptr;                                                                            \
    }

#define CC_CALLBACK_0(__selector__, __target__, ...)                                               \
    std::bind(&__selector__, __target__, ##__VA_ARGS__)
#define CC_CALLBACK_1(__selector__, __target__, ...)                                               \
    std::bind(&__selector__, __target__, std::placeholders::_1, ##__VA_ARGS__)
#define CC_CALLBACK_2(__selector__, __target__, ...)                                               \
    std::bind(&__selector__, __target__, std::placeholders::_1, std::placeholders::_2,             \
              ##__VA_ARGS__)
#define CC_CALLBACK_3(__selector__, __target__, ...)                                               \
    std::bind(&__selector__, __target__, std::placeholders::_1, std::placeholders::_2,             \
              std::placeholders::_3, ##__VA_ARGS__)

#define CC_SCHEDULE_SELECTOR(_SELECTOR) static_cast<cocos2d::SEL_SCHEDULE>(&_SELECTOR)

// A repeat count meaning "until unscheduled".
#define CC_REPEAT_FOREVER (UINT_MAX - 1)
