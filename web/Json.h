#pragma once
// The pages' data as JSON documents for /api/. Texts go through jsonString; a rating a game
// recorded before version 4 does not have is null.

#include "WebStore.h"

#include <string>

// `board` null: no database yet, so no players and a server not reporting.
std::string leaderboardJson(const Leaderboard* board);
std::string playerJson(const PlayerProfile& profile);
std::string gameJson(const GameDetail& detail);
std::string errorJson(const std::string& message);
