#pragma once

#include <cstdint>

namespace Mms {

// Whether a request of an association may still go, as far as its release decides: one
// state per association, named by the association's invoke generation. A state belongs to
// its generation only, so it never reaches the next association (whose generation is
// another) and an association that ends has nothing to lift.
//
//   Standing --a release is posted--> Releasing --its conclude asks to go--> Concluding
//   Releasing, Concluding --that release is over (ReleaseOver)--> Standing
//
// A release is over however it ends: answered (its association ended with it), refused by
// the device (a conclude-Error, a reject), withdrawn with its request group before it went
// out, refused at its post, never sent, timed out, overtaken by an abort. Its owner says so
// once, in the step that completes it; the release is named by its invoke id, so another one
// (a second release, refused at its post) moves nothing.
//
// No lock of its own: PendingRequests reads and moves it under the table's lock, in one
// step with what it decides (a request entered, a conclude marked).
class ReleaseState {
public:
    enum class Step { Standing, Releasing, Concluding };

    Step Of(std::uint32_t generation) const { return generation == generation_ ? step_ : Step::Standing; }
    // Nothing is posted behind a release.
    bool MayPost(std::uint32_t generation) const { return Of(generation) == Step::Standing; }
    // What was posted before the release still goes ahead of its conclude; nothing enters
    // the pending table (and so nothing is sent) once the conclude has asked to go.
    bool MayEnter(std::uint32_t generation) const { return Of(generation) != Step::Concluding; }

    bool PostRelease(std::uint32_t generation, std::uint32_t release) {
        if (!MayPost(generation)) return false;
        Mark(generation, release, Step::Releasing);
        return true;
    }
    // The conclude of the release posted (or, for a user of the service user alone, of none).
    bool Conclude(std::uint32_t generation, std::uint32_t release) {
        const Step step = Of(generation);
        if (step == Step::Concluding || (step == Step::Releasing && release != release_)) return false;
        Mark(generation, release, Step::Concluding);
        return true;
    }
    // False when that release held no mark.
    bool ReleaseOver(std::uint32_t generation, std::uint32_t release) {
        if (generation != generation_ || release != release_ || step_ == Step::Standing) return false;
        step_ = Step::Standing;
        return true;
    }

private:
    void Mark(std::uint32_t generation, std::uint32_t release, Step step) {
        generation_ = generation;
        release_ = release;
        step_ = step;
    }

    std::uint32_t generation_ = 0;
    std::uint32_t release_ = 0;
    Step step_ = Step::Standing;
};

}  // namespace Mms
