#pragma once
// The games' sounds: a stone of the player's, a stone of the opponent's (the computer or the
// other player), and the three ends of a game. M toggles them, remembered in the settings
// ("mute"); without an audio device they are silent.

namespace scenes {

enum class Sound { Stone, OpponentStone, Won, Lost, Draw };

void play(Sound sound);
// Flips the setting; true when sounds are now off.
bool toggleMute();
bool isMuted();

} // namespace scenes
