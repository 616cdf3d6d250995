#pragma once
// Scenes and layers: full-screen nodes the size of the design resolution, positioned by their
// bottom-left corner. LayerColor fills itself with one colour.

#include "2d/Node.h"

namespace cocos2d {

class Scene : public Node {
public:
    static Scene* create();
    bool init() override;

protected:
    Scene() = default;
};

class Layer : public Node {
public:
    CREATE_FUNC(Layer)
    bool init() override;

protected:
    Layer() = default;
};

class LayerColor : public Layer {
public:
    static LayerColor* create(const Color4B& color);
    // The colour's alpha becomes the layer's opacity.
    virtual bool initWithColor(const Color4B& color);
    void draw(Renderer& renderer, const Affine& nodeToWorld) override;

protected:
    LayerColor() = default;
};

} // namespace cocos2d
