#include "support/ui/UiHarness.h"

int main(int argc, char** argv) { return UiTest::RunAllTests(argc, argv); }
