#include "Shapes.h"

namespace {

int cellOf(int code, int offset) {
    return (code >> codeShift(offset)) & 3;
}

// Whether own stones run five or more through the point, which holds one itself.
bool five(int code) {
    int run = 1;
    for (int sign = -1; sign <= 1; sign += 2) {
        for (int k = 1; k <= 4 && cellOf(code, sign * k) == kCodeOwn; ++k) {
            ++run;
        }
    }
    return run >= 5;
}

// A shape one move weaker than the shape that move makes.
Shape before(uint8_t shape) {
    switch (shape) {
    case kShapeOpenFour:
        return kShapeOpenThree;
    case kShapeFour:
        return kShapeThree;
    case kShapeOpenThree:
        return kShapeOpenTwo;
    case kShapeThree:
        return kShapeTwo;
    default:
        return kShapeNone;
    }
}

struct ShapeTable {
    uint8_t shape[kLineCodes] = {};
    uint8_t owns[kLineCodes] = {};

    ShapeTable() {
        for (int code = 0; code < kLineCodes; ++code) {
            for (int k = -4; k <= 4; ++k) {
                owns[code] += k != 0 && cellOf(code, k) == kCodeOwn ? 1 : 0;
            }
        }
        // A code's shape follows from the codes with one more own stone, so those come first.
        for (int n = 8; n >= 0; --n) {
            for (int code = 0; code < kLineCodes; ++code) {
                if (owns[code] == n) {
                    shape[code] = classify(code);
                }
            }
        }
    }

    uint8_t classify(int code) const {
        if (five(code)) {
            return kShapeFive;
        }
        int fives = 0;
        uint8_t best = kShapeNone;
        for (int k = -4; k <= 4; ++k) {
            if (k == 0 || cellOf(code, k) != kCodeEmpty) {
                continue;
            }
            const int next = code | kCodeOwn << codeShift(k);
            fives += five(next) ? 1 : 0;
            const uint8_t grown = before(shape[next]);
            best = grown > best ? grown : best;
        }
        if (fives > 0) {
            return fives >= 2 ? kShapeOpenFour : kShapeFour;
        }
        return best;
    }
};

} // namespace

const uint8_t* shapeTable() {
    static const ShapeTable table;
    return table.shape;
}
