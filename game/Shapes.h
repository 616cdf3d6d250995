#pragma once
// What a stone at a point makes along one line, told exactly: a five, a four (one point left
// that makes five), an open four (two such points), an open three (one move from an open four),
// and so on down. The threat search and the strong level's forced moves read these; the line
// scores stay the measure of a position. Read from the same LineCode as the line scores, by a
// table built once.

#include "LineScore.h"

#include <cstdint>

enum Shape : uint8_t {
    kShapeNone,
    kShapeTwo,       // one move from a three
    kShapeOpenTwo,   // one move from an open three
    kShapeThree,     // one move from a four
    kShapeOpenThree, // one move from an open four
    kShapeFour,      // one point makes five
    kShapeOpenFour,  // two or more points make five: no single stone stops it
    kShapeFive,
};

// The shape of every code, for the colour the code is relative to. Built on first use.
const uint8_t* shapeTable();
