#include "patterns.h"

#include <cmath>
#include <cstdlib>

#include "cimage.h"
#include "texmath.h"

namespace texgen {

namespace {

bool createImage(CImage* image, int size, std::string* error) {
    if (!image->create(size, size, 3)) {
        *error = "cannot create a " + std::to_string(size) + "x" + std::to_string(size) + " image";
        return false;
    }
    return true;
}

// Picture coordinates (y downwards from the top row).
void setPixel(CImage* image, int x, int y, const Rgb& c) {
    std::uint8_t* p = image->getLinePtr(image->getHeight() - 1 - y) + x * 3;
    p[0] = toByte(c.b);
    p[1] = toByte(c.g);
    p[2] = toByte(c.r);
}

} // namespace

bool paintFloorTiles(CImage* image, int size, int tiles, std::string* error) {
    if (tiles < 1 || size % tiles != 0 || size / tiles < 8) {
        *error = "floor size " + std::to_string(size) + " does not hold " + std::to_string(tiles) +
                 " tiles of at least 8 texels";
        return false;
    }
    if (!createImage(image, size, error)) {
        return false;
    }
    const int cell = size / tiles;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int tx = x / cell, ty = y / cell;
            const int cx = x % cell, cy = y % cell;
            // Grout is the first and last texel of each cell, so two tiles meet in a line two
            // texels wide and the picture wraps.
            const bool grout = cx == 0 || cy == 0 || cx == cell - 1 || cy == cell - 1;
            const double grain = latticeValue(x, y, 0, 11u) - 0.5;
            double grey;
            if (grout) {
                grey = 0.25 + 0.04 * grain;
            } else {
                const double tone = latticeValue(tx, ty, 0, 12u);
                const double mottle = fbm(x / 13.0, y / 13.0, 0.5, 3, 13u) - 0.5;
                grey = 0.47 + 0.18 * tone + 0.10 * mottle + 0.05 * grain;
                // A soft bevel lit from the top left: brighter on the upper and left rims,
                // darker on the lower and right ones.
                if (cx == 1 || cy == 1) {
                    grey += 0.06;
                } else if (cx == cell - 2 || cy == cell - 2) {
                    grey -= 0.07;
                }
            }
            // A faint warm/cool tilt per tile keeps the greys from looking flat.
            const double tint = 0.015 * (latticeValue(tx, ty, 1, 14u) - 0.5);
            setPixel(image, x, y, {grey + tint, grey, grey - tint});
        }
    }
    return true;
}

bool paintWhiteGrid(CImage* image, int size, int spacing, std::string* error) {
    if (spacing < 4 || size % spacing != 0) {
        *error = "grid size " + std::to_string(size) + " is not a multiple of spacing " +
                 std::to_string(spacing);
        return false;
    }
    if (!createImage(image, size, error)) {
        return false;
    }
    const Rgb background = {0.45, 0.45, 0.47};
    const Rgb line = {1.0, 1.0, 1.0};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const bool onLine = x % spacing < 2 || y % spacing < 2;
            setPixel(image, x, y, onLine ? line : background);
        }
    }
    return true;
}

bool paintDefaultPattern(CImage* image, int size, int squares, std::string* error) {
    if (size < 16 || squares < 1 || size % squares != 0) {
        *error = "default pattern size " + std::to_string(size) + " does not hold " +
                 std::to_string(squares) + " squares";
        return false;
    }
    if (!createImage(image, size, error)) {
        return false;
    }
    const int cell = size / squares;
    const int half = size / 32 + 1; // half the width of the cross's bars
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const bool magenta = ((x / cell) + (y / cell)) % 2 == 0;
            const bool cross = std::abs(x - y) <= half || std::abs(x + y - (size - 1)) <= half;
            Rgb c = magenta ? Rgb{1.0, 0.0, 1.0} : Rgb{0.0, 0.0, 0.0};
            if (cross) {
                c = {1.0, 1.0, 1.0};
            }
            setPixel(image, x, y, c);
        }
    }
    return true;
}

} // namespace texgen
