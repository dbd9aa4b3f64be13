// Encoding and decoding throughput of the BER coder: a SEQUENCE OF 1,000 INTEGERs and
// a value nested 20 levels deep, in bytes per second.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "protocol/Asn1TestModule.h"

using namespace Asn1;
using namespace Asn1TestModule;

namespace {

template <typename T>
T* NewOf() {
    return static_cast<T*>(std::calloc(1, sizeof(T)));
}

TestPdu* MakeIntegers(int count) {
    auto* pdu = NewOf<TestPdu>();
    pdu->present = TestPduIntegers;
    for (int i = 0; i < count; ++i) {
        auto* number = NewOf<Asn1NativeInteger>();
        *number = i * 7919 - 3000000;  // one to four content octets
        Asn1SequenceOfAppend(&pdu->choice.integers, number);
    }
    return pdu;
}

// values: { list { list { ... { integer, text } ... } } }, `depth` lists deep, each
// level also holding an integer and a text beside the deeper list.
TestValue* MakeNested(int depth) {
    auto* value = NewOf<TestValue>();
    if (depth == 0) {
        value->present = TestValueInteger;
        value->choice.integer = 42;
        return value;
    }
    value->present = TestValueListed;
    value->choice.list = NewOf<TestValueList>();
    auto* number = NewOf<TestValue>();
    number->present = TestValueInteger;
    number->choice.integer = depth * 1000;
    auto* text = NewOf<TestValue>();
    text->present = TestValueText;
    Asn1OctetStringSetText(&text->choice.text, "level");
    Asn1SequenceOfAppend(value->choice.list, number);
    Asn1SequenceOfAppend(value->choice.list, text);
    Asn1SequenceOfAppend(value->choice.list, MakeNested(depth - 1));
    return value;
}

TestPdu* MakeNestedPdu(int depth) {
    auto* pdu = NewOf<TestPdu>();
    pdu->present = TestPduValues;
    Asn1SequenceOfAppend(&pdu->choice.values, MakeNested(depth));
    return pdu;
}

std::vector<std::uint8_t> EncodeOnce(const TestPdu* pdu) {
    std::vector<std::uint8_t> storage(1 << 16);
    Asn1OutputBuffer buffer{storage.data(), storage.size()};
    const std::ptrdiff_t length = Asn1Encode(&TestPduType, pdu, nullptr, &buffer);
    if (length < 0) std::abort();
    return {storage.begin() + static_cast<std::ptrdiff_t>(buffer.position), storage.end()};
}

void RunEncode(benchmark::State& state, TestPdu* pdu) {
    std::vector<std::uint8_t> storage(1 << 16);
    std::ptrdiff_t length = 0;
    for (auto _ : state) {
        Asn1OutputBuffer buffer{storage.data(), storage.size()};
        length = Asn1Encode(&TestPduType, pdu, nullptr, &buffer);
        benchmark::DoNotOptimize(length);
    }
    if (length < 0) state.SkipWithError("encoding failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * length);
    Asn1FreeValue(&TestPduType, pdu);
}

void RunDecode(benchmark::State& state, TestPdu* pdu) {
    const std::vector<std::uint8_t> octets = EncodeOnce(pdu);
    Asn1FreeValue(&TestPduType, pdu);
    for (auto _ : state) {
        void* value = nullptr;
        const Asn1DecodeResult result = Asn1Decode(nullptr, &TestPduType, &value, octets.data(), octets.size());
        if (result.code != Asn1DecodeDone) state.SkipWithError("decoding failed");
        Asn1FreeValue(&TestPduType, value);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * octets.size()));
}

void EncodeSequenceOf1000Integers(benchmark::State& state) { RunEncode(state, MakeIntegers(1000)); }
void DecodeSequenceOf1000Integers(benchmark::State& state) { RunDecode(state, MakeIntegers(1000)); }
void EncodeNested20Levels(benchmark::State& state) { RunEncode(state, MakeNestedPdu(20)); }
void DecodeNested20Levels(benchmark::State& state) { RunDecode(state, MakeNestedPdu(20)); }

BENCHMARK(EncodeSequenceOf1000Integers);
BENCHMARK(DecodeSequenceOf1000Integers);
BENCHMARK(EncodeNested20Levels);
BENCHMARK(DecodeNested20Levels);

}  // namespace
