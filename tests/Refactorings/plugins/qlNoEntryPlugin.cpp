// A shared module that is no plug-in: it exports none of the entry points.
extern "C" __attribute__((visibility("default"))) int qlSomethingElse() { return 1; }
