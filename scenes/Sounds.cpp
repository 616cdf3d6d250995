#include "Sounds.h"

#include "audio/AudioEngine.h"
#include "cocos2d.h"

namespace scenes {

namespace {
const char* const kMuteKey = "mute";

const char* fileOf(Sound sound) {
    switch (sound) {
    case Sound::Stone:
        return "sounds/stone.wav";
    case Sound::OpponentStone:
        return "sounds/opponent.wav";
    case Sound::Won:
        return "sounds/win.wav";
    case Sound::Lost:
        return "sounds/lose.wav";
    case Sound::Draw:
        return "sounds/draw.wav";
    }
    return "";
}
} // namespace

bool isMuted() {
    return cocos2d::UserDefault::getInstance()->getIntegerForKey(kMuteKey, 0) != 0;
}

void play(Sound sound) {
    if (!isMuted()) {
        cocos2d::experimental::AudioEngine::play2d(fileOf(sound));
    }
}

bool toggleMute() {
    const bool muted = !isMuted();
    cocos2d::UserDefault::getInstance()->setIntegerForKey(kMuteKey, muted ? 1 : 0);
    if (muted) {
        cocos2d::experimental::AudioEngine::stopAll();
    }
    return muted;
}

} // namespace scenes
