// The sky-box texture: a sky painted on the 4 × 3 horizontal cross that the scene's cube maps
// onto its six faces (u edges 0, .25, .5, .75, 1; v edges 0, .33, .66, 1 with v = 0 at the top
// row of the picture).
//
// Every texel is mapped back to a point on the cube through the cube's own vertex data and
// painted with the colour of the direction from the cube's centre to that point, so the faces
// meet without seams. Texels outside every face rectangle (the unused cells of the cross, and
// the half texel beyond each face edge that linear filtering reads) take the plane of the
// nearest face extended past its edge, so sampling at a face edge reads sky, not black.
//
// The texture is sampled with repeat addressing, which joins the picture's top and bottom
// rows. The top face's far edge (v = 0, visible when looking up) and the bottom face's far
// edge (v = 1, under the floor) are different cube edges, so they cannot both match: the last
// picture row repeats the first, which keeps the visible one seamless.
#pragma once

#include <string>

#include "rvvector.h"
#include "texmath.h"

class CImage;

namespace texgen {

// 2048 columns put the u edges on texel edges (512 texels per column); 1600 lines put the v
// edges .33 and .66 on texel edges too (picture rows 528 and 1056).
constexpr int kSkyWidth = 2048;
constexpr int kSkyHeight = 1600;

struct CubeVertex {
    rvVector3 position;
    float u, v; // v = 0 at the top of the picture
};

// The 36 vertices of the scene's sky box: an axis-aligned cube of edge `size` seen from inside,
// with the cross layout, six vertices (two triangles) per face in the order +z, +x, +y, −x,
// −y, −z, exactly as the engine's cube generator hands them to the mesh.
void skyCubeVertices(float size, CubeVertex out[36]);

// One face: its rectangle in texture space and the affine map from (u, v) to the face's plane
// (point = origin + u·dPdu + v·dPdv, extended beyond the rectangle as well).
struct CubeFaceMap {
    double uMin, uMax, vMin, vMax;
    Vec3d origin, dPdu, dPdv;
};

// Derives the six face maps from a 36-vertex triangle list of six vertices per face; false if
// a face's first triangle has a degenerate texture mapping.
bool buildFaceMaps(const CubeVertex vertices[36], CubeFaceMap faces[6]);

// The face whose rectangle is nearest to (u, v), measured in texels of a width × height
// picture (0 inside a rectangle; ties go to the earlier face).
int nearestFace(const CubeFaceMap faces[6], double u, double v, int width, int height);

// Unit direction from the cube's centre (the origin) to the point (u, v) maps to on its
// nearest face.
Vec3d textureToDirection(const CubeFaceMap faces[6], double u, double v, int width, int height);

// The sun: 30° to the right of the camera's starting view (−z, so towards +x) and 22° above
// the horizon.
Vec3d sunDirection();

// The sky seen in unit direction d (y up; the camera starts looking along −z): a blue gradient
// from pale at the horizon to deep at the zenith, the sun's disk and glow, clouds, a band of
// distant hills standing on the horizon and dark ground below it. Continuous in d.
Rgb skyColour(const Vec3d& d);

// Paints the whole width × height picture (24-bit) for the cube of skyCubeVertices, the last
// row a copy of the first. False (with a reason) if the image cannot be created.
bool paintSkyBox(CImage* image, int width, int height, std::string* error);
// The same for any cube given as 36 vertices, six per face, centred on the origin; false also
// for a degenerate texture mapping.
bool paintSkyBox(CImage* image, int width, int height, const CubeVertex vertices[36],
                 std::string* error);

} // namespace texgen
