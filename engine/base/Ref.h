#pragma once
// Reference counting of engine objects. An object starts with one reference owned by its
// creator; autorelease() hands that reference to the pool, which drops it after the current
// frame, so an object nobody retained by then is destroyed.

namespace cocos2d {

class Ref {
public:
    virtual ~Ref();
    void retain();
    void release();
    Ref* autorelease();
    unsigned int getReferenceCount() const { return _referenceCount; }

protected:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;

private:
    unsigned int _referenceCount = 1;
};

// The one pool of autoreleased objects; the director clears it after every frame.
class AutoreleasePool {
public:
    static AutoreleasePool* getInstance();
    void addObject(Ref* object);
    // Releases every object added so far; objects autoreleased while clearing wait for the next.
    void clear();
    bool contains(const Ref* object) const;

private:
    AutoreleasePool() = default;
    struct Impl;
    Impl& impl() const;
};

} // namespace cocos2d
