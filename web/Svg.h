#pragma once
// The pictures of the pages, drawn on the server as inline SVG so that they read with scripts
// off: the board of a game with every stone and its number, and a player's rating chart. They
// carry no style attributes (the Content-Security-Policy would block them): their look comes
// from classes in style.css and SVG presentation attributes.

#include "GameRecord.h"
#include "WebStore.h"

#include <string>
#include <vector>

// The final position: one group per stone, in move order (class "stone b" or "stone w",
// data-move, data-x and data-y in the records' coordinates), the winning line's rings in a group
// of class "win". replay.js steps through these.
std::string boardSvg(const std::vector<GameMove>& moves, const std::vector<GameMove>& winning);

// A line chart of the ratings, oldest first: a polyline with one point per game.
std::string ratingChartSvg(const std::vector<RatingPoint>& history);
