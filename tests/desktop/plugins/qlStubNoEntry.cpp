// A module that is not a plug-in: no entry points.
extern "C" __attribute__((visibility("default"))) int qlStubNothing() { return 0; }
