// The process-wide table of OpenGL entry points beyond OpenGL 1.1 that the back end calls.
//
// Every slot starts out pointing at a small resolver for its one entry point. The first call
// through a slot looks the driver's function up by name (through the installed loader, by
// default the platform's zrGLContext::getProcAddress), stores it in the slot and forwards the
// call; later calls go straight to the driver. A lookup needs a current context, so no slot may be
// called before the renderer's init has made one current.
//
// An entry point the driver lacks is reported once on standard error (and asserted in debug
// builds); the call is skipped (a result, if any, is zero) and the slot stays unresolved, so
// the next call looks it up again.
//
// The slots are named after their entry points rather than numbered. The swap-interval slot
// is not looked up: it is the platform's swap-interval control (zrGLContext::setSwapInterval),
// which stands in for wglSwapIntervalEXT.
//
// Single-threaded, like every GL call of the program.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

// X(type, name) for every looked-up slot, in table order.
#define RV_GL_PROC_LIST(X)                                                                         \
    X(PFNGLACTIVETEXTUREARBPROC, glActiveTextureARB)                                               \
    X(PFNGLCLIENTACTIVETEXTUREARBPROC, glClientActiveTextureARB)                                   \
    X(PFNGLPOINTPARAMETERFARBPROC, glPointParameterfARB)                                           \
    X(PFNGLPOINTPARAMETERFVARBPROC, glPointParameterfvARB)                                         \
    X(PFNGLPROGRAMSTRINGARBPROC, glProgramStringARB)                                               \
    X(PFNGLBINDPROGRAMARBPROC, glBindProgramARB)                                                   \
    X(PFNGLDELETEPROGRAMSARBPROC, glDeleteProgramsARB)                                             \
    X(PFNGLGENPROGRAMSARBPROC, glGenProgramsARB)                                                   \
    X(PFNGLPROGRAMLOCALPARAMETER4FARBPROC, glProgramLocalParameter4fARB)                           \
    X(PFNGLGETPROGRAMLOCALPARAMETERFVARBPROC, glGetProgramLocalParameterfvARB)                     \
    X(PFNGLGETPROGRAMIVARBPROC, glGetProgramivARB)                                                 \
    X(PFNGLISPROGRAMARBPROC, glIsProgramARB)

using rvSwapIntervalProc = bool (*)(int interval);

struct rvGLProcTable {
#define RV_GL_PROC_MEMBER(type, name) type name;
    RV_GL_PROC_LIST(RV_GL_PROC_MEMBER)
#undef RV_GL_PROC_MEMBER
    // 0 switches vertical synchronisation off; false when the driver has no swap control.
    rvSwapIntervalProc swapInterval;
};

// The table (never null).
rvGLProcTable* rvGetGLProcs();

// Puts every looked-up slot back to its resolver (and forgets which missing entry points were
// already reported). Needed when the context the slots were resolved against is replaced by
// one from another driver; within one driver the addresses stay valid.
void rvResetGLProcs();

// The function that resolvers use to look names up. Returns the previous one; null installs
// the default (the platform's lookup). Lets tests resolve against functions of their own.
using rvGLProcLoader = void* (*)(const char* name);
rvGLProcLoader rvSetGLProcLoader(rvGLProcLoader loader);

// Whether the installed loader finds the entry point (a current context is needed).
bool rvHasGLProc(const char* name);

// Shorthand for calls through the table: RV_GL(glActiveTextureARB)(GL_TEXTURE0_ARB).
#define RV_GL(name) (rvGetGLProcs()->name)
