// The program's command line. Without options it is the designed one, "brindle [model.MSH]";
// options start with "--":
//   --capture FILE.png [--renderer opengl|direct3d] [--frames N] [--model FILE.MSH]
//       draws N frames (30) at 1/60 s each at 800 × 600 without showing a window or asking a
//       question (Direct3D unless told otherwise), writes the last one as a PNG and ends;
//   --help  prints the usage.
#pragma once

#include <string>

struct rvCaptureOptions {
    std::string output;                // the PNG file
    std::string renderer = "direct3d"; // or "opengl"
    int frames = 30;
    std::string model; // a mesh file in place of the first character, or empty
};

enum class rvCommand { kRun, kHelp, kCapture, kError };

// kRun when the first argument is not an option (the model, if any, is argv[1]); else the
// options, or kError with the reason in *error.
rvCommand rvParseCommandLine(int argc, const char* const* argv, rvCaptureOptions* options,
                             std::string* error);

// The usage that --help prints.
extern const char kUsage[];
