// The program behind the platform's entry point.
#pragma once

// Runs the demo: instance is the module handle on Windows (any non-null pointer elsewhere),
// commandLine the first argument or null. Returns 1 when the window cannot be made, else 0.
int rvAppMain(void* instance, const char* commandLine);
