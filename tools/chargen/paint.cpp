#include "paint.h"

#include <algorithm>
#include <cmath>

#include "cimage.h"

namespace chargen {

namespace {

Rgb mix(const Rgb& a, const Rgb& b, double t) {
    t = clamp01(t);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb shade(const Rgb& a, double k) {
    return {a.r * k, a.g * k, a.b * k};
}

// Signed angle from the front (θ = π/2) in [-π, π].
double fromFront(double theta) {
    return std::fmod(theta - 0.5 * kPi + 3.0 * kPi, 2.0 * kPi) - kPi;
}

unsigned hash3(int x, int y, int z, unsigned seed) {
    unsigned h = seed * 0x9E3779B1u;
    h ^= static_cast<unsigned>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<unsigned>(y) * 0xC2B2AE3Du;
    h = (h << 11) | (h >> 21);
    h ^= static_cast<unsigned>(z) * 0x27D4EB2Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

double hashUnit(int x, int y, int z, unsigned seed) {
    return (hash3(x, y, z, seed) & 0xFFFFFF) / double(0xFFFFFF);
}

// Everything a material needs to know about one texel.
struct Spot {
    const Tube* tube;
    double theta, t, f; // surface parameters and axial fraction
    V3 p;               // bind-pose point
    double side;        // distance of the point from the part's axis
};

class Painter {
public:
    explicit Painter(const Look& look) : k(look) {}

    Rgb colour(const Spot& s) const {
        Rgb c;
        switch (s.tube->desc().kind) {
        case PartKind::Torso:
            c = torso(s);
            break;
        case PartKind::Head:
            c = head(s);
            break;
        case PartKind::Arm:
            c = arm(s);
            break;
        case PartKind::Hand:
            c = hand(s);
            break;
        case PartKind::Leg:
            c = leg(s);
            break;
        case PartKind::Foot:
            c = foot(s);
            break;
        case PartKind::Nose:
            c = mix(k.skin, k.lips, 0.18);
            break;
        case PartKind::Ear:
            c = ear(s);
            break;
        case PartKind::Hair:
            c = hairTuft(s);
            break;
        }
        // Grain: a coarse mottle and a fine speckle, both fixed by the seed.
        double mottle = valueNoise(s.p, 1.2, k.seed);
        double speckle = valueNoise(s.p, 0.15, k.seed + 1);
        return shade(c, 0.9 + 0.12 * mottle + 0.06 * speckle);
    }

private:
    const Look& k;

    static double line(double d, double width) {
        return 1.0 - smoothstep(0.5 * width, width, std::fabs(d));
    }

    // Dashed stitching along a line at distance d, dashes along `along`.
    static double stitch(double d, double along, double width) {
        return line(d, width) * (std::fmod(std::fabs(along) * 4.0, 1.0) < 0.55 ? 1.0 : 0.0);
    }

    Rgb torso(const Spot& s) const {
        const double y = s.p.y, df = fromFront(s.theta), arc = df * s.side;
        const double backArc = (std::fabs(df) - kPi) * s.side; // 0 at the middle of the back
        Rgb c = y < k.trouserTopY ? k.trousers : k.shirt;
        if (y >= k.trouserTopY) {
            // Folds gathered above the belt and a soft crease under the arms.
            double folds = std::pow(std::max(0.0, std::sin(s.theta * 9.0 + 1.3 * y)), 3.0);
            c = shade(c, 1.0 - 0.14 * folds * (1.0 - smoothstep(k.beltY1, k.beltY1 + 3.0, y)));
            if (k.buttons) {
                c = mix(c, shade(k.shirt, 0.7), line(std::fabs(arc) - 0.32, 0.08));
                double row = std::fmod(y - k.beltY1, 1.6) - 0.8;
                if (std::sqrt(arc * arc + row * row) < 0.17 && y < k.collarY)
                    c = shade(k.accent, 0.95 - 0.3 * std::sqrt(arc * arc + row * row));
                // A breast pocket on the left.
                double px = arc - 1.2, py = y - (k.collarY - 2.3);
                if (px > -0.6 && px < 0.6 && py > -0.8 && py < 0.5)
                    c = mix(c, shade(k.shirt, 0.75),
                            line(std::min({px + 0.6, 0.6 - px, py + 0.8, 0.5 - py}), 0.1) +
                                line(py - 0.3, 0.08));
            }
            if (k.overalls) {
                // Bib on the front, two straps over the shoulders and down the back.
                double bibTop = k.collarY - 2.2;
                bool bib = std::fabs(df) < 0.62 && y < bibTop;
                double frontStrap = std::fabs(std::fabs(df) - 0.5);
                double backStrap = std::fabs(kPi - std::fabs(df) - 0.5);
                double strap = std::min(frontStrap, backStrap);
                bool onStrap =
                    (frontStrap < 0.13 && y >= bibTop - 0.1) || (backStrap < 0.13 && y >= k.beltY1);
                if (bib || onStrap) {
                    c = k.trousers;
                    if (bib) {
                        double edge = std::min(0.62 - std::fabs(df), (bibTop - y) / s.side);
                        c = mix(c, shade(k.trousers, 1.45),
                                stitch(edge * s.side - 0.3, y + arc, 0.09));
                        // Pocket on the bib.
                        double py = y - (bibTop - 2.6);
                        if (std::fabs(arc) < 1.7 && py > -1.4 && py < 1.4)
                            c = mix(shade(c, 0.9), shade(k.trousers, 1.5),
                                    stitch(std::min(1.7 - std::fabs(arc),
                                                    std::min(py + 1.4, 1.4 - py)) -
                                               0.2,
                                           arc + y, 0.08));
                    }
                    if (onStrap)
                        c = mix(c, shade(k.trousers, 1.45), stitch(strap - 0.09, y, 0.025));
                    // Brass buttons where the straps meet the bib.
                    double bx = (std::fabs(df) - 0.5) * s.side, by = y - (bibTop - 0.5);
                    if (std::sqrt(bx * bx + by * by) < 0.38)
                        c = shade(k.buckle, 1.1 - 0.6 * std::sqrt(bx * bx + by * by));
                }
            }
            // Collar, then the neck's skin.
            if (y > k.collarY)
                c = y > k.collarY + 0.55 ? k.skin : shade(k.shirt, 0.8);
        } else {
            // Fly seam and back pockets.
            c = mix(c, shade(k.trousers, 0.7),
                    line(arc, 0.08) * smoothstep(k.trouserTopY - 3.5, k.trouserTopY - 3.0, y));
            double py = y - (k.trouserTopY - 1.6);
            if (std::fabs(std::fabs(backArc) - 1.6) < 1.0 && std::fabs(py) < 0.9)
                c = mix(
                    c, shade(k.trousers, 0.65),
                    line(std::min(1.0 - std::fabs(std::fabs(backArc) - 1.6), 0.9 - std::fabs(py)),
                         0.1));
        }
        // Side seams.
        double seam = std::min(std::fabs(std::sin(s.theta)), 1.0) * s.side;
        c = shade(c, 1.0 - 0.25 * line(seam, 0.07));
        if (y > k.beltY0 && y < k.beltY1) {
            c = shade(k.belt, 0.9 + 0.1 * line(y - 0.5 * (k.beltY0 + k.beltY1),
                                               0.5 * (k.beltY1 - k.beltY0)));
            double h = 0.5 * (k.beltY1 - k.beltY0);
            if (std::fabs(arc) < 1.5 * h + 0.1) {
                c = k.buckle;
                if (std::fabs(arc) < 1.5 * h - 0.25 && std::fabs(y - (k.beltY0 + h)) < h - 0.25)
                    c = shade(k.belt, 0.8);
            }
        }
        return c;
    }

    Rgb head(const Spot& s) const {
        const double y = s.p.y, df = fromFront(s.theta), r = s.side;
        Rgb c = k.skin;
        // Cheeks.
        for (double side : {-1.0, 1.0}) {
            double dx = (df - side * (k.eyeSpread + 0.22)) * r,
                   dy = y - (k.mouthY + 0.9 * k.eyeRadius);
            double d = std::sqrt(dx * dx + dy * dy) / (1.3 * k.eyeRadius);
            c = mix(c, k.lips, 0.25 * (1.0 - smoothstep(0.3, 1.0, d)));
            if (k.capY < 1e8 && d < 1.0 &&
                hashUnit(int(std::floor(dx * 4)), int(std::floor(dy * 4)), 3, k.seed) > 0.82)
                c = mix(c, shade(k.skin, 0.7), 0.5); // freckles
        }
        // Eyes, each with white, iris, pupil and a highlight, under a brow.
        for (double side : {-1.0, 1.0}) {
            double dx = (df - side * k.eyeSpread) * r, dy = y - k.eyeY;
            double e = std::sqrt(dx * dx + (dy / 1.25) * (dy / 1.25)) / k.eyeRadius;
            if (e < 1.12) {
                c = e < 1.0 ? Rgb{0.96, 0.95, 0.92} : Rgb{0.15, 0.1, 0.08};
                double ix = dx + side * 0.12 * k.eyeRadius, iy = dy + 0.05 * k.eyeRadius;
                double i = std::sqrt(ix * ix + iy * iy) / k.eyeRadius;
                if (e < 1.0 && i < 0.55)
                    c = i < 0.26 ? Rgb{0.04, 0.04, 0.05} : shade(k.iris, 1.15 - 0.6 * i);
                double hx = ix + 0.18 * k.eyeRadius, hy = iy - 0.2 * k.eyeRadius;
                if (e < 1.0 && std::sqrt(hx * hx + hy * hy) < 0.11 * k.eyeRadius)
                    c = {1, 1, 1};
            }
            double bx = dx / (1.2 * k.eyeRadius),
                   by = y - (k.browY + 0.25 * k.eyeRadius * (1 - bx * bx));
            if (std::fabs(bx) < 1.0 && std::fabs(by) < 0.16 * k.eyeRadius + 0.06)
                c = shade(k.hair, 0.6);
        }
        // A smiling mouth.
        double mx = df * r / (0.5 * k.mouthWidth * r);
        if (std::fabs(mx) < 1.0) {
            double curve = k.mouthY + 0.35 * k.eyeRadius * mx * mx;
            double thick = 0.16 * k.eyeRadius * (1.0 - 0.5 * mx * mx);
            if (std::fabs(y - curve) < thick)
                c = shade(k.lips, 0.75);
            else if (std::fabs(y - curve + 2.2 * thick) < 0.8 * thick && std::fabs(mx) < 0.6)
                c = mix(c, k.lips, 0.35);
        }
        // Hair: lower at the back than at the front, in strands.
        double hairline = k.hairlineY - 2.2 * smoothstep(0.9, 2.4, std::fabs(df));
        if (y > hairline) {
            double strands = std::sin(s.theta * 28.0 + 3.0 * valueNoise(s.p, 0.8, k.seed + 5));
            c = shade(k.hair, 0.85 + 0.15 * strands);
        }
        // Knit cap: a folded ribbed brim, then the crown with ribs and a stripe.
        if (y > k.capY) {
            double rib = 0.85 + 0.15 * std::sin(s.theta * 48.0);
            c = shade(k.accent, rib * (y < k.capY + 1.3 ? 0.8 : 1.0));
            if (std::fabs(y - (k.capY + 2.6)) < 0.45)
                c = shade(Rgb{0.95, 0.92, 0.85}, rib);
        }
        return c;
    }

    Rgb arm(const Spot& s) const {
        const double df = fromFront(s.theta);
        const double elbow = 0.52;
        Rgb c = k.skin;
        if (s.f < k.sleeveEnd) {
            c = k.shirt;
            double crease = std::pow(std::max(0.0, std::sin((s.f - elbow) * 70.0 + df * 2.0)), 2.0);
            c = shade(c, 1.0 - 0.18 * crease *
                                   (1.0 - smoothstep(0.02, 0.08, std::fabs(s.f - elbow))) *
                                   (1.0 - smoothstep(0.6, 1.2, std::fabs(df))));
            if (s.f > k.sleeveEnd - 0.05)
                c = shade(c, 0.8);                                                 // cuff
            c = shade(c, 1.0 - 0.3 * line(s.f - 0.07, 0.012));                     // shoulder seam
            c = shade(c, 1.0 - 0.25 * line((std::fabs(df) - kPi) * s.side, 0.07)); // under seam
        }
        return c;
    }

    Rgb hand(const Spot& s) const {
        Rgb c = k.skin;
        // Finger gaps across the flat of the hand, and knuckle creases.
        double across = std::sin(s.theta);
        if (s.f > 0.5) {
            for (double gap : {-0.45, 0.0, 0.45})
                c = shade(c, 1.0 - 0.35 * line(across - gap, 0.06) * smoothstep(0.5, 0.6, s.f));
        }
        c = shade(c, 1.0 - 0.2 * line(s.f - 0.48, 0.02));
        return c;
    }

    Rgb leg(const Spot& s) const {
        const double y = s.p.y, df = fromFront(s.theta), arc = df * s.side;
        Rgb c = shade(k.trousers, 1.0 + 0.05 * std::sin((s.theta * s.side + y) * 9.0)); // twill
        c = shade(c, 1.0 - 0.25 * line(std::fabs(std::cos(s.theta)) * s.side, 0.07)); // side seams
        const double kneeY = s.tube->desc().start.y - s.tube->axisLength() * 0.48;
        if (k.overalls && std::fabs(arc) < 1.4 && std::fabs(y - kneeY) < 1.3) {
            double edge = std::min(1.4 - std::fabs(arc), 1.3 - std::fabs(y - kneeY));
            c = mix(shade(k.trousers, 1.25), shade(k.trousers, 0.6),
                    stitch(edge - 0.15, arc + y, 0.07));
        } else {
            double crease = std::pow(std::max(0.0, std::sin(y * 5.0 + df * 1.5)), 3.0);
            c = shade(c, 1.0 - 0.15 * crease * (1.0 - smoothstep(0.3, 1.0, std::fabs(y - kneeY))));
        }
        if (y < k.bootTopY) {
            c = k.boots;
            if (y > k.bootTopY - 0.5)
                c = shade(k.boots, 0.7); // rim
            double hook = std::fmod(k.bootTopY - y, 0.8);
            if (std::fabs(arc) > 0.25 && std::fabs(arc) < 0.45 && hook > 0.3 && hook < 0.5)
                c = shade(k.buckle, 0.8);
            c = mix(c, Rgb{0.9, 0.88, 0.8},
                    line(std::fabs(arc) - 0.35 + 0.25 * std::sin(y * 7.8), 0.06) *
                        (std::fabs(arc) < 0.4 ? 1.0 : 0.0));
        } else if (y < k.bootTopY + 1.2) {
            c = shade(c, 0.85 + 0.15 * std::sin(y * 14.0)); // bunched hem
        }
        return c;
    }

    Rgb foot(const Spot& s) const {
        Rgb c = k.boots;
        const double up = std::sin(s.theta), across = std::cos(s.theta);
        if (s.f > 0.78)
            c = shade(c, 1.12); // polished toe cap
        if (s.f < 0.14)
            c = shade(c, 0.85); // heel counter
        c = shade(c, 1.0 - 0.3 * line(s.f - 0.78, 0.012));
        // Laces criss-crossing over the instep between two rows of eyelets.
        if (up > 0.3 && s.f > 0.3 && s.f < 0.64) {
            double g = (s.f - 0.3) / 0.34 * 4.0, x = 2.0 * (g - std::floor(g)) - 1.0;
            double lace = std::max(line(across - 0.5 * x, 0.09), line(across + 0.5 * x, 0.09));
            if (std::fabs(across) < 0.55)
                c = mix(c, Rgb{0.92, 0.9, 0.82}, lace);
            double ey = (g - std::round(g)) * 0.34 / 4.0;
            if (std::fabs(std::fabs(across) - 0.55) < 0.07 && std::fabs(ey) < 0.012)
                c = {0.75, 0.72, 0.6};
        }
        if (up < -0.5)
            c = k.soles;
        c = shade(c, 1.0 - 0.4 * line(up + 0.5, 0.06)); // welt
        return c;
    }

    Rgb ear(const Spot& s) const {
        double df = fromFront(s.theta);
        double inner = (1.0 - smoothstep(0.5, 1.0, std::fabs(df))) * smoothstep(0.15, 0.3, s.f) *
                       (1.0 - smoothstep(0.8, 0.95, s.f));
        return mix(k.skin, shade(k.lips, 0.9), 0.45 * inner);
    }

    Rgb hairTuft(const Spot& s) const {
        double strands =
            std::sin(s.theta * 9.0 + s.f * 6.0 + 2.0 * valueNoise(s.p, 0.5, k.seed + 9));
        return shade(k.hair, (0.85 + 0.15 * strands) * (1.0 - 0.2 * s.f));
    }
};

} // namespace

double valueNoise(const V3& p, double scale, unsigned seed) {
    V3 q = p * (1.0 / scale);
    int x0 = int(std::floor(q.x)), y0 = int(std::floor(q.y)), z0 = int(std::floor(q.z));
    double fx = smoothstep(0, 1, q.x - x0), fy = smoothstep(0, 1, q.y - y0),
           fz = smoothstep(0, 1, q.z - z0);
    double v = 0.0;
    for (int dz = 0; dz < 2; ++dz)
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx)
                v += hashUnit(x0 + dx, y0 + dy, z0 + dz, seed) * (dx ? fx : 1 - fx) *
                     (dy ? fy : 1 - fy) * (dz ? fz : 1 - fz);
    return v;
}

Picture paintAtlas(const std::vector<Tube>& parts, const Look& look, int size) {
    Picture pic;
    pic.width = pic.height = size;
    pic.rgb.assign(3 * size * size, 0);
    // Unused texels get a neutral grey rather than black, so that mipmaps stay clean.
    for (std::uint8_t& b : pic.rgb)
        b = 128;
    const Painter painter(look);
    for (const Tube& tube : parts) {
        const UVRect cell = tube.desc().uv, in = uvInside(cell);
        const int x0 = std::max(0, int(std::floor(cell.u0 * size)));
        const int x1 = std::min(size, int(std::ceil(cell.u1 * size)));
        const int r0 = std::max(0, int(std::floor(cell.v0 * size)));
        const int r1 = std::min(size, int(std::ceil(cell.v1 * size)));
        for (int row = r0; row < r1; ++row) {
            const double t = clamp01(((row + 0.5) / size - in.v0) / (in.v1 - in.v0));
            const V3 centre = tube.center(t);
            for (int x = x0; x < x1; ++x) {
                const double u = clamp01(((x + 0.5) / size - in.u0) / (in.u1 - in.u0));
                Spot s;
                s.tube = &tube;
                s.theta = 2.0 * kPi * u;
                s.t = t;
                s.f = tube.axial(t);
                s.p = tube.point(s.theta, t);
                V3 radial = s.p - centre;
                s.side = std::max(0.05, length(radial - tube.axisT() * dot(radial, tube.axisT())));
                Rgb c = painter.colour(s);
                std::uint8_t* px = &pic.rgb[3 * (row * size + x)];
                px[0] = static_cast<std::uint8_t>(std::lround(255.0 * clamp01(c.r)));
                px[1] = static_cast<std::uint8_t>(std::lround(255.0 * clamp01(c.g)));
                px[2] = static_cast<std::uint8_t>(std::lround(255.0 * clamp01(c.b)));
            }
        }
    }
    return pic;
}

bool toImage(const Picture& picture, int channels, CImage& image) {
    if (!image.create(picture.width, picture.height, channels))
        return false;
    for (int row = 0; row < picture.height; ++row) {
        // Picture rows run from the top, image lines from the bottom.
        std::uint8_t* line = image.getLinePtr(picture.height - 1 - row);
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* px = picture.pixel(x, row);
            std::uint8_t* out = line + x * channels;
            out[0] = px[2];
            out[1] = px[1];
            out[2] = px[0];
            if (channels == 4)
                out[3] = 255;
        }
    }
    return true;
}

} // namespace chargen
