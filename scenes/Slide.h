#pragma once
// The way every scene goes to the next: a slide, from the right going forward and from the left
// going back. Main thread only; the engine's director owns the new scene.

namespace cocos2d {
class Layer;
}

namespace scenes {

enum class Slide { FORWARD, BACK };

// Replaces the running scene with a new one holding `layer`, in 0.5 s. Does nothing for a null
// layer (a scene whose pictures are missing): the player stays where they are.
void slideTo(cocos2d::Layer* layer, Slide direction);

} // namespace scenes
