#include "rvmesh.h"

rvMesh::rvMesh() : mVertexCount(0) {}

rvMesh::~rvMesh() = default;

void rvMesh::setBoundsFromPositions(const float* xyz, int count) {
    mVertexCount = count;
    if (count <= 0) {
        return;
    }
    mMin = rvVector3(xyz[0], xyz[1], xyz[2]);
    mMax = mMin;
    for (int i = 1; i < count; ++i) {
        const float* p = xyz + 3 * i;
        float* lo = &mMin.x;
        float* hi = &mMax.x;
        for (int axis = 0; axis < 3; ++axis) {
            if (p[axis] < lo[axis]) {
                lo[axis] = p[axis];
            } else if (p[axis] > hi[axis]) {
                hi[axis] = p[axis];
            }
        }
    }
}

void rvMesh::boundingBoxLines(float out[72]) const {
    const float x[2] = {mMin.x, mMax.x};
    const float y[2] = {mMin.y, mMax.y};
    const float z[2] = {mMin.z, mMax.z};
    // Corner i has x from bit 0, y from bit 1, z from bit 2; an edge joins corners that differ
    // in one bit.
    int n = 0;
    for (int corner = 0; corner < 8; ++corner) {
        for (int bit = 1; bit < 8; bit <<= 1) {
            if (corner & bit) {
                continue;
            }
            const int ends[2] = {corner, corner | bit};
            for (int e : ends) {
                out[n++] = x[e & 1];
                out[n++] = y[(e >> 1) & 1];
                out[n++] = z[(e >> 2) & 1];
            }
        }
    }
}
