// Generators for simple meshes built on the processor and handed to an existing mesh through
// its setters: a floor plane, a sky-box cube seen from inside, a geodesic sphere. The mesh's
// primitive type is its creator's business (the scene uses triangle lists); the generators
// set the primitive count. Colours are alpha, red, green, blue.
#pragma once

#include "rvvector.h"

class rvMesh;

struct rvColor4 {
    float a, r, g, b;
};

class rvTestPrimitive {
public:
    // 6 vertices, 2 triangles: a size × size square centred on the origin, in the y = 0 plane
    // (normal +y) when orientation is 0, else in the z = 0 plane (normal +z).
    static void createPlane(float size, rvColor4 colour, rvMesh* mesh, float orientation);
    // 36 vertices, 12 triangles. inside: wound and lit from the centre. crossLayout: the
    // texture is a 4 × 3 horizontal cross (u edges 0, .25, .5, .75, 1; v edges 0, .33, .66, 1).
    static void createCube(float size, rvColor4 colour, bool inside, bool crossLayout,
                           rvMesh* mesh);
    // An icosahedron subdivided s times onto the sphere: 10·4^s + 2 vertices, 20·4^s
    // triangles, indexed (32-bit), every triangle counter-clockwise from outside. faceNormals:
    // each vertex takes the normal of the last triangle using it; otherwise its position
    // vector (length radius). Precondition: 0 <= subdivisions <= 10.
    static void createGeoSphere(float radius, int subdivisions, bool faceNormals, rvColor4 colour,
                                rvMesh* mesh);
    // A line list (the mesh should be a line list) of unit spacing in the y = 0 plane, centred
    // on the origin: n = size rounded down (at least 1, at most 4096) cells per side, drawn as
    // n + 1 segments parallel to z by increasing x, each from z = −n/2 to n/2, then n + 1
    // parallel to x by increasing z, each from x = −n/2 to n/2. 4(n + 1) vertices, 2(n + 1)
    // lines; normals +y; uv = ((x + n/2) / n, (z + n/2) / n). Precondition: mesh not null.
    static void createUnitGrid(float size, rvColor4 colour, rvMesh* mesh);
    // Tangent (x, y, z) and handedness w (±1) of one triangle; texture coordinates are passed
    // as (u, v, 0).
    static void computeTangent(rvVector3 p0, rvVector3 t0, rvVector3 p1, rvVector3 t1, rvVector3 p2,
                               rvVector3 t2, rvVector3 n, float out[4]);
    // The cube's 36 texture coordinates (u, v pairs) in createCube's vertex order.
    static void fillCubeUVs(bool crossLayout, float uv[72]);
};
