#pragma once
// A picture button. Only the normal image is shown; the button's content size is that image's
// size (zero, with a logged error, when the image cannot be loaded). With the pressed action
// enabled, the image is drawn larger by the zoom scale around its middle, and darker, while the
// button is held (highlighted); its content size, position and touch area never change.

#include "ui/UIWidget.h"

#include <string>

namespace cocos2d {

class Texture2D;

namespace ui {

class Button : public Widget {
public:
    // The pressed and disabled images are accepted for the engine's signature but not shown.
    static Button* create(const std::string& normalImage, const std::string& selectedImage = "",
                          const std::string& disableImage = "",
                          TextureResType texType = TextureResType::LOCAL);
    ~Button() override;
    // The normal image's name as given to create (an extension for tests and tools).
    const std::string& getNormalFile() const { return _normalFile; }
    void setPressedActionEnabled(bool enabled);
    // The fraction the image grows by while held (0.1 by default, as in cocos2d-x).
    void setZoomScale(float scale);
    float getZoomScale() const { return _zoomScale; }

    void draw(Renderer& renderer, const Affine& nodeToWorld) override;

protected:
    Button() = default;
    bool initWithNormalImage(const std::string& normalImage);

private:
    Texture2D* _normal = nullptr;
    std::string _normalFile;
    bool _pressedActionEnabled = false;
    float _zoomScale = 0.1f;
};

} // namespace ui
} // namespace cocos2d
