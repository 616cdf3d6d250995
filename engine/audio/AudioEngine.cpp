#include "audio/AudioEngine.h"

#include "base/Director.h"
#include "base/FileUtils.h"
#include "base/Scheduler.h"
#include "platform/GLView.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <map>

namespace cocos2d {
namespace experimental {

namespace {

enum class Mixer { Closed, Open, Unavailable };
Mixer mixer = Mixer::Closed;
std::map<std::string, Mix_Chunk*> chunks;
std::function<void(const std::string&)> playListener;

// Opened once; a failure is final for this run and silent.
bool openMixer() {
    if (mixer == Mixer::Closed) {
        const GLView* view = Director::getInstance()->getOpenGLView();
        const bool headless = !view || view->isHeadless();
        const bool opened = !headless && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 &&
                            Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) == 0;
        mixer = opened ? Mixer::Open : Mixer::Unavailable;
    }
    return mixer == Mixer::Open;
}

Mix_Chunk* chunkFor(const std::string& filePath) {
    auto found = chunks.find(filePath);
    if (found != chunks.end()) {
        return found->second;
    }
    const std::string path = FileUtils::getInstance()->fullPathForFilename(filePath);
    Mix_Chunk* chunk = path.empty() ? nullptr : Mix_LoadWAV(path.c_str());
    chunks[filePath] = chunk; // a missing file is looked for once
    return chunk;
}

// An open device keeps the mixer's thread waking many times a second, playing silence: closed
// a few seconds after the last sound, so that a game at rest costs nothing, and opened again at
// the next (a short sound decodes in well under a millisecond).
constexpr float kCloseAfterSeconds = 4.0f;

void closeWhenSilent() {
    Director::getInstance()->getScheduler()->schedule(
        [](float) {
            if (mixer != Mixer::Open) {
                return;
            }
            if (Mix_Playing(-1) > 0) {
                closeWhenSilent();
                return;
            }
            AudioEngine::end();
        },
        &mixer, kCloseAfterSeconds, 0, 0.0f, false, "closeWhenSilent");
}

} // namespace

int AudioEngine::play2d(const std::string& filePath, bool loop, float volume) {
    if (playListener) {
        playListener(filePath);
    }
    if (!openMixer()) {
        return INVALID_AUDIO_ID;
    }
    Mix_Chunk* chunk = chunkFor(filePath);
    if (!chunk) {
        return INVALID_AUDIO_ID;
    }
    Mix_VolumeChunk(chunk, static_cast<int>(volume * MIX_MAX_VOLUME));
    const int channel = Mix_PlayChannel(-1, chunk, loop ? -1 : 0);
    if (!loop) {
        closeWhenSilent();
    }
    return channel < 0 ? INVALID_AUDIO_ID : channel;
}

void AudioEngine::stopAll() {
    if (mixer == Mixer::Open) {
        Mix_HaltChannel(-1);
    }
}

void AudioEngine::end() {
    stopAll();
    for (auto& entry : chunks) {
        if (entry.second) {
            Mix_FreeChunk(entry.second);
        }
    }
    chunks.clear();
    if (mixer == Mixer::Open) {
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    mixer = Mixer::Closed;
}

void AudioEngine::setPlayListener(std::function<void(const std::string&)> listener) {
    playListener = std::move(listener);
}

} // namespace experimental
} // namespace cocos2d
