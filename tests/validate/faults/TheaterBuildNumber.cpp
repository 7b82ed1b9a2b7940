// A function of the module's own that its export list names beside the four entry points.
__attribute__((visibility("default"))) int TheaterBuildNumber() { return 1; }
