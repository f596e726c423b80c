// The entry point on Linux.
#include "appmain.h"

int main(int argc, char** argv) {
    // There is no module handle on this platform; the window only asks for a non-null one.
    static char moduleHandle;
    return rvAppMain(&moduleHandle, argc > 1 ? argv[1] : nullptr);
}
