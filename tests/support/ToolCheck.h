#pragma once

// A check that needs a tool this machine may lack (Wireshark's tshark and text2pcap,
// xmllint, the SCL schema) never passes unseen: every such check asks here first. Where the tool is missing the test is reported skipped
// with the reason, and whatever else it checks still runs; with CI=true in the
// environment it fails instead, so that CI never passes by leaving the check out.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/SclSchema.h"
#include "support/WireCheck.h"

namespace TestSupport {

// Whether the check can run: true when the tool is at hand; otherwise the test is marked
// skipped (or, under CI, failed) with the reason, and false.
inline bool CheckCanRun(bool toolAtHand, const std::string& whyNot) {
    if (toolAtHand) return true;
    if (RunningInCi()) {
        ADD_FAILURE() << whyNot << " (CI=true: a check that cannot run fails)";
    } else {
        // Marks the test skipped; the caller goes on with what needs no tool.
        [&] { GTEST_SKIP() << whyNot; }();
    }
    return false;
}

// The same for a check of what went on the wire, which tshark decodes.
inline bool WireCheckRuns() {
    return CheckCanRun(WiresharkAvailable(), "tshark or text2pcap missing from PATH: the wire check did not run");
}

// The same for a check of an XML file by xmllint.
inline bool XmllintCheckRuns() {
    static const bool available = std::system("command -v xmllint >/dev/null 2>&1") == 0;
    return CheckCanRun(available,
                       "xmllint missing from PATH (Debian package libxml2-utils): the XML check did not run");
}

}  // namespace TestSupport

// At the start of a test (or of its wire part) that checks nothing without Wireshark.
#define REQUIRE_WIRESHARK()                          \
    do {                                             \
        if (!::TestSupport::WireCheckRuns()) return; \
    } while (0)
