// Painting of a figure's texture atlas: every texel of a part's cell is mapped back onto the
// part's surface (the inverse of the mesh's texture coordinates) and coloured by what lies
// there on the body: clothing by height, face features around the front of the head, seams,
// folds and laces, and a fixed-seed grain over everything.
#pragma once

#include <cstdint>
#include <vector>

#include "tube.h"

class CImage;

namespace chargen {

struct Rgb {
    double r = 0.0, g = 0.0, b = 0.0; // 0 … 1
};

// What a figure wears and how its face looks. Heights are bind-pose model y; limb positions
// are fractions along the part's axis (0 at the shoulder, hip or heel).
struct Look {
    Rgb skin, shirt, trousers, belt, buckle, boots, soles, hair, iris, lips, accent;
    double trouserTopY = 0.0; // torso below: trousers
    double beltY0 = 0.0, beltY1 = 0.0;
    double collarY = 0.0;   // torso above: collar band, then skin
    double bootTopY = 0.0;  // legs below: boots
    double sleeveEnd = 0.5; // arm fraction where the sleeve ends in a cuff
    bool overalls = false;  // straps and a bib pocket over the shirt, patched knees
    bool buttons = false;   // a button placket down the front of the shirt
    double capY = 1e9;      // head above: a ribbed knit cap
    double hairlineY = 1e9; // head above (back and sides lower): hair
    double eyeY = 0.0, eyeSpread = 0.4, eyeRadius = 1.0; // eye spread in radians
    double browY = 0.0;
    double mouthY = 0.0, mouthWidth = 0.4; // mouth width in radians
    unsigned seed = 1;
};

// A picture in memory, rows from the top, 3 bytes (red, green, blue) per pixel.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;

    const std::uint8_t* pixel(int x, int row) const { return &rgb[3 * (row * width + x)]; }
};

Picture paintAtlas(const std::vector<Tube>& parts, const Look& look, int size);

// Copies the picture into an image of 3 or 4 channels (alpha 255), bottom-up as CImage
// stores it. False when the image cannot be created.
bool toImage(const Picture& picture, int channels, CImage& image);

// Deterministic value noise in [0, 1] at a model-space point; `scale` is the feature size.
double valueNoise(const V3& p, double scale, unsigned seed);

} // namespace chargen
