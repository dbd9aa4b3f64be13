// Decoding of MMS read answers as they come from a device, over three kinds of answer:
// the generic coder's MmsDecodePdu (the value freed after each decode), the generic
// decode applied to the variables' containers, and the dedicated decoder applying the
// received octets to the same containers, which exist as after a first read; alone and
// with the received frame around it.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "mms/machine/MmsFrame.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/user/AccessResults.h"
#include "mms/user/MmsUserConnection.h"
#include "mms/user/Variable.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Tag, definite length (long form where needed), content.
Bytes Tlv(std::uint8_t tag, const Bytes& content) {
    Bytes out{tag};
    const std::size_t n = content.size();
    if (n < 128) {
        out.push_back(static_cast<std::uint8_t>(n));
    } else if (n < 256) {
        out.insert(out.end(), {0x81, static_cast<std::uint8_t>(n)});
    } else if (n < 65536) {
        out.insert(out.end(), {0x82, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
    } else {
        out.insert(out.end(), {0x83, static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 8),
                               static_cast<std::uint8_t>(n)});
    }
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

void Append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

Bytes Integer(std::uint32_t i) {
    return Tlv(0x85, {0x12, static_cast<std::uint8_t>(i >> 16), static_cast<std::uint8_t>(i >> 8),
                      static_cast<std::uint8_t>(i)});
}
Bytes Float(std::uint32_t i) { return Tlv(0x87, {0x08, 0x41, 0x20, static_cast<std::uint8_t>(i >> 8), 0x00}); }
Bytes Quality() { return Tlv(0x84, {0x03, 0x00, 0x00}); }
Bytes Boolean(bool on) { return Tlv(0x83, {static_cast<std::uint8_t>(on ? 0xFF : 0x00)}); }

// confirmed-ResponsePDU { invokeID 1, read { listOfAccessResult { results } } }.
Bytes ReadResponse(const Bytes& results) {
    Bytes confirmed = Tlv(0x02, {0x01});
    Append(confirmed, Tlv(0xA4, Tlv(0xA1, results)));
    return Tlv(0xA1, confirmed);
}

struct Answer {
    Bytes bytes;
    int leaves = 0;
};

Answer ThousandIntegers() {
    Bytes results;
    for (std::uint32_t i = 0; i < 1000; ++i) Append(results, Integer(i * 7919));
    return {ReadResponse(results), 1000};
}

Answer ThousandFloats() {
    Bytes results;
    for (std::uint32_t i = 0; i < 1000; ++i) Append(results, Float(i));
    return {ReadResponse(results), 1000};
}

// 100 structures of 30 leaves: ten {value, quality, flag} triples each, one level of
// nesting per triple as a device's data attributes have.
Answer HundredStructures() {
    Bytes results;
    for (std::uint32_t s = 0; s < 100; ++s) {
        Bytes members;
        for (std::uint32_t t = 0; t < 10; ++t) {
            Bytes triple = t % 2 == 0 ? Integer(s * 10 + t) : Float(s * 10 + t);
            Append(triple, Quality());
            Append(triple, Boolean(t % 3 == 0));
            Append(members, Tlv(0xA2, triple));
        }
        Append(results, Tlv(0xA2, members));
    }
    return {ReadResponse(results), 3000};
}

void Report(benchmark::State& state, const Answer& answer, const AllocationCounter::Snapshot& start) {
    const AllocationCounter::Snapshot end;
    const double leaves = static_cast<double>(state.iterations()) * answer.leaves;
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(answer.bytes.size()));
    state.counters["allocs/leaf"] = static_cast<double>(end.calls - start.calls) / leaves;
}

void Decode(benchmark::State& state, const Answer& answer) {
    const AllocationCounter::Snapshot start;
    for (auto _ : state) {
        Mms::MmsPdu* pdu = nullptr;
        if (Mms::MmsDecodePdu(answer.bytes.data(), answer.bytes.size(), pdu) != System::OkNoError) {
            state.SkipWithError("does not decode");
            break;
        }
        benchmark::DoNotOptimize(pdu);
        Mms::MmsFreePdu(pdu);
    }
    Report(state, answer, start);
}

// One variable per result, with the value a first read of the answer gives it.
class ReadTargets {
public:
    explicit ReadTargets(const Answer& answer) : frame_(nullptr, answer.bytes, true) {
        const std::size_t count = frame_.GetReadResultCount();
        for (std::size_t i = 0; i < count; ++i) variables_.push_back(std::make_unique<Mms::Variable>());
        Mms::AccessResults results = Results();
        for (auto& variable : variables_) results.ApplyNext(*variable);
    }

    bool IsReady() const { return frame_.KeepsReadResults() && !variables_.empty(); }
    // The received octets of the results (held by the frame of the first read).
    Mms::AccessResults Results() const { return {frame_.GetReadResults(), frame_.GetReadResultCount()}; }
    bool Apply(Mms::AccessResults& results) {
        bool applied = results.Count() == variables_.size();
        for (auto& variable : variables_) applied = results.ApplyNext(*variable) == System::OkNoError && applied;
        return applied;
    }

private:
    Mms::MmsFrame frame_;
    std::vector<std::unique_ptr<Mms::Variable>> variables_;
};

void DecodeAndApply(benchmark::State& state, const Answer& answer) {
    ReadTargets targets(answer);
    if (!targets.IsReady()) return state.SkipWithError("no first read");
    const AllocationCounter::Snapshot start;
    for (auto _ : state) {
        Mms::MmsPdu* pdu = nullptr;
        if (Mms::MmsDecodePdu(answer.bytes.data(), answer.bytes.size(), pdu) != System::OkNoError) {
            state.SkipWithError("does not decode");
            break;
        }
        Mms::AccessResults results(pdu->choice.confirmedResponse.service.choice.read.listOfAccessResult);
        const bool applied = targets.Apply(results);
        Mms::MmsFreePdu(pdu);
        if (!applied) {
            state.SkipWithError("not applied");
            break;
        }
    }
    Report(state, answer, start);
}

void ApplyOctets(benchmark::State& state, const Answer& answer) {
    ReadTargets targets(answer);
    if (!targets.IsReady()) return state.SkipWithError("no first read");
    const AllocationCounter::Snapshot start;
    for (auto _ : state) {
        Mms::AccessResults results = targets.Results();
        if (!targets.Apply(results)) {
            state.SkipWithError("not applied");
            break;
        }
    }
    Report(state, answer, start);
}

void ApplyReceivedFrame(benchmark::State& state, const Answer& answer) {
    ReadTargets targets(answer);
    if (!targets.IsReady()) return state.SkipWithError("no first read");
    const AllocationCounter::Snapshot start;
    for (auto _ : state) {
        const Mms::MmsFrame frame(nullptr, answer.bytes, true);
        Mms::AccessResults results(frame.GetReadResults(), frame.GetReadResultCount());
        if (!frame.KeepsReadResults() || !targets.Apply(results)) {
            state.SkipWithError("not applied");
            break;
        }
    }
    Report(state, answer, start);
}

// A page of a device's directory: a getNameList answer of 2,000 names of 17 to 24
// characters, more following. The received frame decoded and its names collected as the
// service user collects them.
Bytes NameListPage() {
    Bytes identifiers;
    for (int i = 0; i < 2000; ++i) {
        const std::string name = "GGIO" + std::to_string(i / 20 + 1) + "$ST$Ind" + std::to_string(i % 20 + 1) +
                                 (i % 2 == 0 ? "$stVal" : "$q");
        Append(identifiers, Tlv(0x1A, Bytes(name.begin(), name.end())));
    }
    Bytes page = Tlv(0xA0, identifiers);
    Append(page, Tlv(0x81, {0xFF}));
    Bytes confirmed = Tlv(0x02, {0x01});
    Append(confirmed, Tlv(0xA1, page));
    return Tlv(0xA1, confirmed);
}

void CollectNameListPage(benchmark::State& state) {
    const Bytes answer = NameListPage();
    const AllocationCounter::Snapshot start;
    std::size_t names = 0;
    for (auto _ : state) {
        const Mms::MmsFrame frame(nullptr, answer, true);
        const Mms::MmsPdu* pdu = frame.GetPdu();
        Mms::NameCollection collected;
        bool moreFollows = false;
        if (pdu == nullptr || Mms::MmsReadGetNameListResponse(pdu->choice.confirmedResponse.service.choice.getNameList,
                                                              collected, moreFollows) != System::OkNoError) {
            state.SkipWithError("does not decode");
            break;
        }
        names += collected.size();
        benchmark::DoNotOptimize(collected);
    }
    const AllocationCounter::Snapshot end;
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(answer.size()));
    state.SetItemsProcessed(static_cast<std::int64_t>(names));
    state.counters["allocs/name"] =
        static_cast<double>(end.calls - start.calls) / static_cast<double>(std::max<std::size_t>(names, 1));
}
BENCHMARK(CollectNameListPage);

// Each path over the same three answers, named path/answer.
#define READ_ANSWER_BENCHMARKS(path)                               \
    BENCHMARK_CAPTURE(path, ThousandIntegers, ThousandIntegers()); \
    BENCHMARK_CAPTURE(path, ThousandFloats, ThousandFloats());     \
    BENCHMARK_CAPTURE(path, HundredStructures, HundredStructures())

READ_ANSWER_BENCHMARKS(Decode);
READ_ANSWER_BENCHMARKS(DecodeAndApply);
READ_ANSWER_BENCHMARKS(ApplyOctets);
READ_ANSWER_BENCHMARKS(ApplyReceivedFrame);

}  // namespace
