// The service user's own requests under threads that come and go: each request filed by
// another thread (as the receive thread files answers) while its maker waits, spins or lets
// it go; nothing is left behind by a thread that has gone, and every request is deleted once.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "mms/machine/MmsConnection.h"
#include "mms/machine/MmsLayer.h"
#include "mms/machine/RequestHandle.h"
#include "mms/user/OwnRequests.h"

namespace {

std::atomic<int> deletedRequests{0};

class CountedRequest : public Mms::RequestHandle {
public:
    explicit CountedRequest(Mms::MmsConnection& connection) : RequestHandle(connection, Collector::OwnWait) {}
    ~CountedRequest() override { deletedRequests.fetch_add(1); }
};

// Files whatever it is handed, in order, on a thread of its own.
class Filer {
public:
    explicit Filer(Mms::OwnRequests& own) : own_(own), thread_([this] { Run(); }) {}
    ~Filer() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    void Hand(Mms::RequestHandle* request) {
        {
            std::lock_guard lock(mutex_);
            handed_.push_back(request);
        }
        changed_.notify_all();
    }
    int NotFound() const { return notFound_.load(); }

private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return stopping_ || !handed_.empty(); });
            if (handed_.empty()) return;
            Mms::RequestHandle* request = handed_.front();
            handed_.pop_front();
            lock.unlock();
            if (!own_.File(request)) notFound_.fetch_add(1);
            lock.lock();
        }
    }

    Mms::OwnRequests& own_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Mms::RequestHandle*> handed_;
    bool stopping_ = false;
    std::atomic<int> notFound_{0};
    std::thread thread_;
};

TEST(OwnRequests, ThreadsThatComeAndGoLeaveNoSlotBehindAndEachRequestIsDeletedOnce) {
    constexpr int Rounds = 20;
    constexpr std::size_t Threads = 8;
    constexpr int RequestsPerThread = 60;
    Mms::MmsLayer layer;
    Mms::MmsConnection connection{&layer};
    deletedRequests.store(0);
    std::atomic<int> wrongOutcomes{0};
    std::atomic<std::size_t> mostSlots{0};
    {
        Mms::OwnRequests own;
        Filer filer(own);
        for (int round = 0; round < Rounds; ++round) {
            std::vector<std::thread> threads;
            for (std::size_t t = 0; t < Threads; ++t) {
                threads.emplace_back([&] {
                    for (int i = 0; i < RequestsPerThread; ++i) {
                        auto* request = new CountedRequest(connection);
                        own.Enter(request);
                        std::size_t slots = own.GetThreadCount();
                        std::size_t most = mostSlots.load();
                        while (slots > most && !mostSlots.compare_exchange_weak(most, slots)) {}
                        filer.Hand(request);
                        // Waited for with and without a spin, or let go to be deleted when filed
                        // (by the thread's next request, or as the thread's last); the map
                        // changes under each wait as the other threads enter theirs.
                        switch (i % 3) {
                            case 0:
                            case 1: {
                                const auto spin = std::chrono::microseconds(i % 3 == 0 ? 0 : 50);
                                if (own.Collect(request, 0, spin) != Mms::OwnRequests::Collected::Taken ||
                                    own.Current() != nullptr) {
                                    wrongOutcomes.fetch_add(1);
                                }
                                delete request;
                                break;
                            }
                            default:
                                if (i + 1 == RequestsPerThread) own.LetGoCurrent();
                                break;
                        }
                    }
                });
            }
            for (std::thread& thread : threads) thread.join();
            // Every thread has gone holding nothing: none keeps a slot.
            EXPECT_EQ(own.GetThreadCount(), 0u) << "round " << round;
        }
        EXPECT_LE(mostSlots.load(), Threads);
    }
    EXPECT_EQ(wrongOutcomes.load(), 0);
    EXPECT_EQ(deletedRequests.load(), Rounds * static_cast<int>(Threads) * RequestsPerThread);
}

}  // namespace
