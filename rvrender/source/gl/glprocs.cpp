#include "glprocs.h"

#include <cassert>
#include <cstdio>
#include <type_traits>

#include "zrglcontext.h"

namespace {

void* defaultLoader(const char* name) {
    return zrGLContext::getProcAddress(name);
}

rvGLProcLoader gLoader = defaultLoader;

#define RV_GL_PROC_NAME(type, name) constexpr char kName_##name[] = #name;
RV_GL_PROC_LIST(RV_GL_PROC_NAME)
#undef RV_GL_PROC_NAME

// One "already reported" flag per slot, cleared by rvResetGLProcs.
enum : int {
#define RV_GL_PROC_INDEX(type, name) kIndex_##name,
    RV_GL_PROC_LIST(RV_GL_PROC_INDEX)
#undef RV_GL_PROC_INDEX
        kProcCount
};
bool gReported[kProcCount] = {};

void reportMissing(const char* name, int index) {
    if (!gReported[index]) {
        gReported[index] = true;
        std::fprintf(stderr, "OpenGL entry point not found: %s\n", name);
    }
    assert(0 && "OpenGL entry point not found");
}

template <typename Fn> struct Resolver;

// The resolver of one slot has exactly the entry point's signature, so it can sit in the slot
// until the driver's function replaces it.
template <typename R, typename... Args> struct Resolver<R(APIENTRY*)(Args...)> {
    using Fn = R(APIENTRY*)(Args...);

    template <Fn rvGLProcTable::*Slot, const char* Name, int Index>
    static R APIENTRY resolve(Args... args) {
        Fn driver = reinterpret_cast<Fn>(gLoader(Name));
        if (!driver) {
            reportMissing(Name, Index);
            if constexpr (std::is_void_v<R>) {
                return;
            } else {
                return R{};
            }
        }
        rvGetGLProcs()->*Slot = driver;
        return driver(args...);
    }
};

constexpr rvGLProcTable unresolvedTable() {
    return rvGLProcTable{
#define RV_GL_PROC_RESOLVER(type, name)                                                            \
    &Resolver<type>::resolve<&rvGLProcTable::name, kName_##name, kIndex_##name>,
        RV_GL_PROC_LIST(RV_GL_PROC_RESOLVER)
#undef RV_GL_PROC_RESOLVER
            zrGLContext::setSwapInterval,
    };
}

rvGLProcTable gTable = unresolvedTable();

} // namespace

rvGLProcTable* rvGetGLProcs() {
    return &gTable;
}

void rvResetGLProcs() {
    gTable = unresolvedTable();
    for (bool& reported : gReported) {
        reported = false;
    }
}

rvGLProcLoader rvSetGLProcLoader(rvGLProcLoader loader) {
    rvGLProcLoader previous = gLoader;
    gLoader = loader ? loader : defaultLoader;
    return previous;
}

bool rvHasGLProc(const char* name) {
    return name && gLoader(name) != nullptr;
}
