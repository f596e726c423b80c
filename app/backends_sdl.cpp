// What a back end needs beyond the build, on Linux: nothing (the Direct3D layer is linked in).
#include "backends.h"

const char* rvBackEndMissing(rvBackEndId) {
    return nullptr;
}
