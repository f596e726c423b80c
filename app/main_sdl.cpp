// The entry point on Linux.
#include <cstdio>
#include <string>

#include "appmain.h"
#include "options.h"
#include "zrplatform.h"

int main(int argc, char** argv) {
    rvCaptureOptions options;
    std::string error;
    switch (rvParseCommandLine(argc, argv, &options, &error)) {
    case rvCommand::kHelp:
        std::fputs(kUsage, stdout);
        return 0;
    case rvCommand::kError:
        std::fprintf(stderr, "brindle: %s\n%s", error.c_str(), kUsage);
        return 1;
    case rvCommand::kCapture:
        return rvCaptureMain(options);
    default:
        return rvAppMain(zrModuleHandle(), argc > 1 ? argv[1] : nullptr);
    }
}
