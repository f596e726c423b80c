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

// In the order of rvBackEndId.
const rvBackEnd kBackEnds[] = {
    {rvBackEndId::kDirect3D9, "Direct3D", "Tamsk - Brindler: DirectX", false, createDirect3D9},
    {rvBackEndId::kOpenGL, "OpenGL", "Tamsk - Brindler: OpenGL", true, createOpenGL},
};
static_assert(sizeof(kBackEnds) / sizeof(kBackEnds[0]) == 2, "one entry per back end");

} // namespace

const rvBackEnd& rvGetBackEnd(rvBackEndId id) {
    return kBackEnds[static_cast<int>(id)];
}
