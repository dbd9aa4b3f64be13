#include "iec61850/icd/ServerModelSource.h"
#include "support/ui/UiHarness.h"

int main(int argc, char** argv) {
    // As the program does at start-up, before any server is made.
    Iec61850::Acsi::Scl::RegisterIcdExporter();
    return UiTest::RunAllTests(argc, argv);
}
