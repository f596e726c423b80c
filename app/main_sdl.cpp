// The entry point on Linux.
#include "appmain.h"
#include "zrplatform.h"

int main(int argc, char** argv) {
    return rvAppMain(zrModuleHandle(), argc > 1 ? argv[1] : nullptr);
}
