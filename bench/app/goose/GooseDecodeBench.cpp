// GOOSE frames decoded per second: the header alone (what a repetition costs the capture
// worker) and header + values text (what a change costs), for a typical data set of
// sixteen elements.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "app/goose/GooseCapture.h"
#include "app/goose/GooseFrameBuilder.h"

namespace {

using namespace GooseTest;

Bytes TypicalFrame() {
    GooseFrameSpec spec;
    spec.tagged = true;
    for (int i = 0; i < 4; ++i) {
        spec.values.push_back(BooleanValue(i % 2 == 0));
        spec.values.push_back(BitStringValue(6, {0x40, 0x00}));
        spec.values.push_back(FloatValue(230.5f + static_cast<float>(i)));
        spec.values.push_back(UtcTimeValue(1700000000 + i, 0x80000000));
    }
    return BuildGooseFrame(spec);
}

void BM_GooseHeader(benchmark::State& state) {
    const Bytes frame = TypicalFrame();
    GooseHeader header;
    std::size_t position;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CGooseCapture::ParseGooseHeader(frame.data(), frame.size(), header, position));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GooseHeader);

void BM_GooseHeaderAndValues(benchmark::State& state) {
    setenv("TZ", "UTC", 1);
    tzset();
    const Bytes frame = TypicalFrame();
    GooseHeader header;
    std::size_t position;
    std::string text;
    for (auto _ : state) {
        if (CGooseCapture::ParseGooseHeader(frame.data(), frame.size(), header, position))
            CGooseCapture::FormatValues(frame.data() + position, header.end - position, text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GooseHeaderAndValues);

}  // namespace
