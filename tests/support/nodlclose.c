/* Preloaded into the demo for its leak check: dlclose does nothing, so that the libraries the
 * graphics stack opens at run time (Mesa's driver above all) stay mapped until LeakSanitizer
 * runs at exit. Their process-lifetime allocations are then reachable from their data, and
 * anything reported comes with the names of loaded modules instead of "<unknown module>". */
int dlclose(void* handle) {
    (void)handle;
    return 0;
}
