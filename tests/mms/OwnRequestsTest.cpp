// The service user's own requests under threads that come and go: each request filed by
// another thread (as the receive thread files answers) while its maker waits, spins or lets
// it go; nothing is left behind by a thread that has gone, and every request is deleted once.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <thread>
#include <vector>

#include "mms/machine/MmsConnection.h"
#include "mms/machine/MmsLayer.h"
#include "mms/machine/RequestHandle.h"
#include "mms/user/OwnRequests.h"
#include "system/MessageQueue.h"

namespace {

std::atomic<int> deletedRequests{0};

class CountedRequest : public Mms::RequestHandle {
public:
    explicit CountedRequest(Mms::MmsConnection& connection) : RequestHandle(connection, Collector::OwnWait) {}
    ~CountedRequest() override { deletedRequests.fetch_add(1); }
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
        // Files in order what the makers hand it, until a null comes.
        System::MessageQueue answers(Rounds * Threads * RequestsPerThread + 1);
        std::thread filer([&] {
            while (System::Message* answered = answers.Get(0)) own.File(static_cast<Mms::RequestHandle*>(answered));
        });
        for (int round = 0; round < Rounds; ++round) {
            std::vector<std::thread> threads;
            for (std::size_t t = 0; t < Threads; ++t) {
                threads.emplace_back([&] {
                    for (int i = 0; i < RequestsPerThread; ++i) {
                        auto* request = new CountedRequest(connection);
                        own.Enter(request);
                        const std::size_t slots = own.GetThreadCount();
                        std::size_t most = mostSlots.load();
                        while (slots > most && !mostSlots.compare_exchange_weak(most, slots)) {}
                        answers.Put(request);
                        // Waited for with and without a spin, or let go to be deleted when filed
                        // (by the thread's next request, or as the thread's last); the map
                        // changes under each wait as the other threads enter theirs.
                        if (i % 3 == 2) {
                            if (i + 1 == RequestsPerThread) own.LetGoCurrent();
                            continue;
                        }
                        const auto spin = std::chrono::microseconds(i % 3 == 0 ? 0 : 50);
                        if (own.Collect(request, 0, spin) != Mms::OwnRequests::Collected::Taken ||
                            own.Current() != nullptr) {
                            wrongOutcomes.fetch_add(1);
                        }
                        delete request;
                    }
                });
            }
            for (std::thread& thread : threads) thread.join();
            // Every thread has gone holding nothing: none keeps a slot.
            EXPECT_EQ(own.GetThreadCount(), 0u) << "round " << round;
        }
        answers.Put(nullptr);
        filer.join();
        EXPECT_LE(mostSlots.load(), Threads);
        EXPECT_EQ(own.GetCount(), 0u);
    }
    EXPECT_EQ(wrongOutcomes.load(), 0);
    EXPECT_EQ(deletedRequests.load(), Rounds * static_cast<int>(Threads) * RequestsPerThread);
}

}  // namespace
