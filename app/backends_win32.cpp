// What a back end needs beyond the build, on Windows: Direct3D needs D3DX's d3dx9_43.dll, part
// of the DirectX 9 runtime rather than of Windows. The program imports it lazily, so it is
// looked for here before Direct3D is chosen.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "backends.h"

const char* rvBackEndMissing(rvBackEndId id) {
    if (id != rvBackEndId::kDirect3D9) {
        return nullptr;
    }
    HMODULE d3dx = LoadLibraryA("d3dx9_43.dll");
    if (!d3dx) {
        return "Direct3D needs d3dx9_43.dll of the DirectX 9 runtime, which is not installed "
               "(Microsoft's \"DirectX End-User Runtime\" installs it)";
    }
    FreeLibrary(d3dx);
    return nullptr;
}
