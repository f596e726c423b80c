#include "rvrender.h"

#include <cmath>
#include <cstring>

int getPrimitiveCount(int type) {
    switch (type) {
    case kPointList:
    case kLineList:
        return 2;
    case kLineStrip:
    case kTriangleList:
    case kTriangleStrip:
        return 3;
    default:
        return 1;
    }
}

void rvExtractFrustum(const rvMatrix44& wvp, rvFrustum* out) {
    // Plane p takes column 3 plus sign[p] times column axis[p]; row r of that combination is
    // the plane's r-th coefficient (a, b, c, d).
    static const int axis[6] = {0, 0, 1, 1, 2, 2};
    static const float sign[6] = {-1.0f, 1.0f, 1.0f, -1.0f, -1.0f, 1.0f};
    for (int p = 0; p < 6; ++p) {
        float* plane = out->planes[p];
        for (int r = 0; r < 4; ++r) {
            plane[r] = wvp(r, 3) + sign[p] * wvp(r, axis[p]);
        }
        const float length =
            std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
        // A degenerate matrix can give a plane without a normal; dividing would fill it with
        // infinities or NaN, so such a plane is kept as it came out of the matrix.
        if (length > 0.0f) {
            for (int r = 0; r < 4; ++r) {
                plane[r] /= length;
            }
        }
    }
}

rvRender::rvRender() : mWindow(nullptr) {
    std::memset(&mFrustum, 0, sizeof(mFrustum));
    for (bool& flag : mStates.flags) {
        flag = false;
    }
    mStates.fillMode = 0;
}

rvRender::~rvRender() = default;

void rvRender::resetStateFlags() {
    mStates.flags[kStateDepthTest] = true;
    mStates.flags[kStateBlend] = false;
    mStates.flags[kStateCull] = true;
    mStates.flags[kStateLighting] = false;
}

void rvRender::pushStateRecord() {
    mSavedStates.push_back(mStates);
}

bool rvRender::popStateRecord() {
    if (mSavedStates.empty()) {
        return false;
    }
    mStates = mSavedStates.back();
    mSavedStates.pop_back();
    return true;
}
