#pragma once
// Where the game keeps the files it writes (its network diary): $XDG_DATA_HOME/koralith, by
// default ~/.local/share/koralith, so that a game started from a desktop menu leaves nothing in
// the folder it was started from.

#include <string>

// The folder, created (for the user alone) if missing; "" when it cannot be made, and the
// caller then writes to the working folder. A relative XDG_DATA_HOME is ignored, as the XDG
// base directory rules ask.
std::string gameDataFolder();
