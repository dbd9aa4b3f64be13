// Arbitrary octets as captured frames through both GOOSE decoders and the per-frame step:
// nothing may crash or read outside the frame. The input also goes to the values
// decoder on its own, so that its paths are reached without a valid header in front.

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/goose/GooseCapture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    GooseHeader header;
    std::size_t position = 0;
    std::string text;
    if (CGooseCapture::ParseGooseHeader(data, size, header, position))
        CGooseCapture::FormatValues(data + position, header.end - position, text);
    CGooseCapture::FormatValues(data, size, text);

    static CGooseCapture capture("/nonexistent", nullptr);
    static const bool filtered = [] {
        capture.SetFilter(GooseFilterSettings{{}, 0, 1, 1, 0});
        return true;
    }();
    (void)filtered;
    capture.ProcessFrame(data, size);
    return 0;
}
