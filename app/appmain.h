// The program behind the platform's entry point.
#pragma once

// Runs the demo: instance is the module handle on Windows (any non-null pointer elsewhere),
// commandLine the first argument or null. Returns 1 when the window cannot be made, else 0.
int rvAppMain(void* instance, const char* commandLine);

struct rvCaptureOptions;
// Draws the options' frames without a desktop and writes the last as a PNG (brindle
// --capture). Returns 0, or 1 with the reason on standard error.
int rvCaptureMain(const rvCaptureOptions& options);
