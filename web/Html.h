#pragma once
// The pages, as complete HTML documents. Every text from the database goes through Escape.h on
// its way in, every name sits in a <bdi> (a right-to-left name cannot reorder the page around
// it), and nothing needs a script but the game page's stepping through the moves.

#include "WebStore.h"

#include <string>

// `board` is null when there is no database yet (a server that has not started): the page says
// that no games have been played.
std::string leaderboardPage(const Leaderboard* board);
std::string playerPage(const PlayerProfile& profile);
std::string gamePage(const GameDetail& detail);
// A short page for a failed request, with a link home.
std::string errorPage(int status, const std::string& message);
