#include "support/ui/UiHarness.h"

// Qt's own worker threads (drawing, image conversion) are not instrumented, so their
// hand-overs look like races: ThreadSanitizer leaves alone what happens inside Qt and
// still sees every hand-over of ours. Options given in TSAN_OPTIONS come on top.
extern "C" const char* __tsan_default_options() { return "ignore_noninstrumented_modules=1"; }

int main(int argc, char** argv) { return UiTest::RunAllTests(argc, argv); }
