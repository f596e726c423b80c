// The renderer back ends this build holds, in one table: the only place that names a back
// end's class. Which back ends are built is a build option, one per back end, registered with
// its library in cmake/backends.cmake (RV_BACKEND_GL, RV_BACKEND_D3D9).
#pragma once

#include "scene.h"

class rvRender;

// The back ends; each is the index of its entry in the table.
enum class rvBackEndId { kDirect3D9, kOpenGL, kCount };

struct rvBackEnd {
    rvBackEndId id;
    const char* name;  // "Direct3D", "OpenGL"
    const char* title; // the window title while this back end draws
    rvShading shading; // how the scene draws with it: an effect, or ARB programs over skinning
                       // on the processor
    // A new, uninitialised renderer (the caller owns it); null when the back end is not built.
    rvRender* (*create)();
};

// The entry for a back end, built or not.
const rvBackEnd& rvGetBackEnd(rvBackEndId id);

// Why a built back end cannot draw on this machine, as a sentence for the user, or null when it
// can (backends_win32.cpp, backends_sdl.cpp). On Windows Direct3D needs D3DX's d3dx9_43.dll,
// which Windows does not ship; the program loads it only when Direct3D is chosen.
const char* rvBackEndMissing(rvBackEndId id);
