#pragma once
// Short sounds, as cocos2d-x's experimental::AudioEngine plays them: play2d by file name (found
// through the search paths), decoded once and kept. The mixer opens at the first sound and closes
// a few seconds after the last (an open device wakes a thread many times a second); with no
// audio device (a machine without sound, CI, the headless harness) every call is silent and
// nothing is reported, since a game without sound is still the game.

#include <functional>
#include <string>

namespace cocos2d {
namespace experimental {

class AudioEngine {
public:
    static constexpr int INVALID_AUDIO_ID = -1;

    // A channel's id, or INVALID_AUDIO_ID when nothing plays (no device, no such file).
    static int play2d(const std::string& filePath, bool loop = false, float volume = 1.0f);
    static void stopAll();
    // Frees the sounds and closes the mixer; the next play2d opens it again.
    static void end();

    // Extension for tests and tools: told of every sound asked for, played or not.
    static void setPlayListener(std::function<void(const std::string&)> listener);
};

} // namespace experimental
} // namespace cocos2d
