#include "backends.h"

#if RV_BACKEND_D3D9
#include "rvd3drender.h"
#endif
#if RV_BACKEND_GL
#include "rvglrender.h"
#endif

namespace {

#if RV_BACKEND_GL
rvRender* createOpenGL() {
    return new rvGLRender;
}
#else
constexpr rvRender* (*createOpenGL)() = nullptr;
#endif

#if RV_BACKEND_D3D9
rvRender* createDirect3D9() {
    return new rvD3DRender;
}
#else
constexpr rvRender* (*createDirect3D9)() = nullptr;
#endif

// In the order of rvBackEndId: each entry's id is its index.
constexpr rvBackEnd kBackEnds[] = {
    {rvBackEndId::kDirect3D9, "Direct3D", "Tamsk - Brindler: DirectX", rvShading::kEffect,
     createDirect3D9},
    {rvBackEndId::kOpenGL, "OpenGL", "Tamsk - Brindler: OpenGL", rvShading::kProcessorSkinning,
     createOpenGL},
};
constexpr int kBackEndCount = static_cast<int>(rvBackEndId::kCount);
static_assert(sizeof(kBackEnds) / sizeof(kBackEnds[0]) == kBackEndCount, "one entry per back end");

constexpr bool idsMatchPositions() {
    for (int i = 0; i < kBackEndCount; ++i) {
        if (static_cast<int>(kBackEnds[i].id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(idsMatchPositions(), "each entry's id is its index in the table");

} // namespace

const rvBackEnd& rvGetBackEnd(rvBackEndId id) {
    return kBackEnds[static_cast<int>(id)];
}
