#pragma once
// A picture node; its content size is its texture's size. Sprites made from the same file share
// one texture through the texture cache.

#include "2d/Node.h"

#include <string>

namespace cocos2d {

class Texture2D;

class Sprite : public Node {
public:
    // Null (logged) when the file is not found or is not an image.
    static Sprite* create(const std::string& filename);
    // Null when the texture is null.
    static Sprite* createWithTexture(Texture2D* texture);
    ~Sprite() override;

    Texture2D* getTexture() const { return _texture; }
    void draw(Renderer& renderer, const Affine& nodeToWorld) override;

protected:
    Sprite();
    bool initWithTexture(Texture2D* texture);

private:
    Texture2D* _texture = nullptr;
};

} // namespace cocos2d
