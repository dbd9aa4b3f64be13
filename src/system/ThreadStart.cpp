#include "system/ThreadStart.h"

#include <atomic>
#include <memory>
#include <system_error>
#include <utility>

namespace System {

namespace {

std::atomic<int> refusals{0};

}  // namespace

bool TryStartThread(std::function<void()>& work, std::thread& started) {
    if (refusals.load() > 0) return false;
    // Shared with the thread, so that a refused start hands the work back untouched: a copy
    // given to std::thread would be destroyed with the refusal.
    const auto box = std::make_shared<std::function<void()>>(std::move(work));
    try {
        started = std::thread([box] {
            (*box)();
            // What the work held goes on this thread, whichever lets go of the box last.
            *box = nullptr;
        });
        return true;
    } catch (const std::system_error&) {
        work = std::move(*box);
        return false;
    }
}

RefusedThreadStarts::RefusedThreadStarts() { refusals.fetch_add(1); }

RefusedThreadStarts::~RefusedThreadStarts() { refusals.fetch_sub(1); }

}  // namespace System
