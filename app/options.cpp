#include "options.h"

#include <cstdlib>
#include <cstring>

const char kUsage[] =
    "Usage: brindle [model.MSH]\n"
    "       brindle --capture FILE.png [--renderer opengl|direct3d] [--frames N]\n"
    "               [--model FILE.MSH]\n"
    "       brindle --help\n"
    "\n"
    "Without options the demo asks which renderer to use and shows the model named, or the\n"
    "demo's characters, in a window.\n"
    "  --capture FILE.png  draw without a window or a question, at 800 x 600, and write the\n"
    "                      last frame as a PNG; needs no desktop (Mesa's EGL without a display)\n"
    "  --renderer NAME     opengl or direct3d (the default) for --capture\n"
    "  --frames N          frames to draw at 1/60 s each before the picture (30; 1 to 100000)\n"
    "  --model FILE.MSH    a mesh file in place of the first character\n"
    "  --help              this text\n";

rvCommand rvParseCommandLine(int argc, const char* const* argv, rvCaptureOptions* options,
                             std::string* error) {
    if (argc < 2 || std::strncmp(argv[1], "--", 2) != 0) {
        return rvCommand::kRun;
    }
    auto fail = [error](const std::string& why) {
        *error = why;
        return rvCommand::kError;
    };
    bool capture = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help") {
            return rvCommand::kHelp;
        }
        if (option != "--capture" && option != "--renderer" && option != "--frames" &&
            option != "--model") {
            return fail("unknown option " + option);
        }
        if (i + 1 >= argc) {
            return fail(option + " needs a value");
        }
        const std::string value = argv[++i];
        if (option == "--capture") {
            capture = true;
            options->output = value;
        } else if (option == "--renderer") {
            if (value != "opengl" && value != "direct3d") {
                return fail("--renderer is opengl or direct3d, not " + value);
            }
            options->renderer = value;
        } else if (option == "--frames") {
            char* end = nullptr;
            const long frames = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || frames < 1 || frames > 100000) {
                return fail("--frames takes a count from 1 to 100000, not " + value);
            }
            options->frames = static_cast<int>(frames);
        } else {
            options->model = value;
        }
    }
    if (!capture || options->output.empty()) {
        return fail("--renderer, --frames and --model go with --capture FILE.png");
    }
    return rvCommand::kCapture;
}
