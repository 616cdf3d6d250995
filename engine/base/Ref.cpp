#include "base/Ref.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace cocos2d {

Ref::~Ref() = default;

void Ref::retain() {
    assert(_referenceCount > 0);
    ++_referenceCount;
}

void Ref::release() {
    assert(_referenceCount > 0);
    if (--_referenceCount == 0) {
        delete this;
    }
}

Ref* Ref::autorelease() {
    AutoreleasePool::getInstance()->addObject(this);
    return this;
}

struct AutoreleasePool::Impl {
    std::vector<Ref*> objects;
};

AutoreleasePool::Impl& AutoreleasePool::impl() const {
    static Impl instance;
    return instance;
}

AutoreleasePool* AutoreleasePool::getInstance() {
    static AutoreleasePool pool;
    return &pool;
}

void AutoreleasePool::addObject(Ref* object) {
    impl().objects.push_back(object);
}

void AutoreleasePool::clear() {
    std::vector<Ref*> drained;
    drained.swap(impl().objects);
    for (Ref* object : drained) {
        object->release();
    }
}

bool AutoreleasePool::contains(const Ref* object) const {
    const auto& objects = impl().objects;
    return std::find(objects.begin(), objects.end(), object) != objects.end();
}

} // namespace cocos2d
