// The pending table of the service user: takes never wait, puts wait for room only up
// to their time-out.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "mms/machine/MmsConnection.h"
#include "mms/machine/MmsLayer.h"
#include "mms/machine/PendingRequests.h"
#include "mms/machine/RequestHandle.h"
#include "system/Polling.h"

namespace {

class PendingRequestsTest : public ::testing::Test {
protected:
    Mms::MmsLayer layer;
    Mms::MmsConnection connection{&layer};
    Mms::RequestHandle first{connection};
    Mms::RequestHandle second{connection};
    Mms::RequestHandle third{connection};
};

TEST_F(PendingRequestsTest, TakesFindRequestsByInvokeIdPointerAgeOrConclude) {
    Mms::PendingRequests pending(10);
    ASSERT_EQ(pending.Put(&first, 4, 0), System::OkNoError);
    ASSERT_EQ(pending.Put(&third, 5, 0), System::OkNoError);

    Mms::PendingRequests::Entry entry;
    EXPECT_TRUE(pending.TakeById(third.GetInvokeId(), entry));
    EXPECT_EQ(entry.request, &third);
    EXPECT_EQ(entry.service, 5);
    EXPECT_FALSE(pending.TakeById(third.GetInvokeId(), entry));
    EXPECT_TRUE(pending.Take(&first));
    EXPECT_FALSE(pending.Take(&first));
    EXPECT_FALSE(pending.TakeOldest(entry));

    // A conclude is entered only into an empty table.
    ASSERT_EQ(pending.Put(&second, Mms::PendingRequests::ConcludeService, 0), System::OkNoError);
    // The conclude request carries no invoke id on the wire: an id never finds it.
    EXPECT_FALSE(pending.TakeById(second.GetInvokeId(), entry));
    EXPECT_TRUE(pending.TakeConclude(entry));
    EXPECT_EQ(entry.request, &second);
    EXPECT_FALSE(pending.TakeConclude(entry));
}

// A conclude goes only once nothing of its association is out or still being sent, and from
// its ask on the association takes nothing more (Aborted, not entered) until its release is
// over; the next association's requests are not touched, and a send of an association that
// has ended keeps no conclude of the next one waiting.
TEST_F(PendingRequestsTest, AConcludeWaitsForEverySendBeforeItAndTakesNothingAfterIt) {
    Mms::PendingRequests pending(10);
    Mms::PendingRequests::SendTicket sending;
    ASSERT_EQ(pending.Put(&first, 4, 0, &sending), System::OkNoError);
    Mms::PendingRequests::Entry entry;
    // Answered (or filed) while its sender still sends it.
    ASSERT_TRUE(pending.TakeOldest(entry));
    std::thread conclude(
        [&] { EXPECT_EQ(pending.Put(&second, Mms::PendingRequests::ConcludeService, 10000), System::OkNoError); });
    ASSERT_TRUE(TestSupport::Eventually([&] { return pending.GetWaitingPuts() == 1; }));
    EXPECT_FALSE(pending.MayPost(third));
    EXPECT_EQ(pending.Put(&third, 4, 0), System::Aborted);
    // A second conclude neither goes nor lifts the first one's mark, nor does its end.
    EXPECT_EQ(pending.Put(&third, Mms::PendingRequests::ConcludeService, 0), System::Aborted);
    pending.ReleaseOver(third);
    sending.Return();
    conclude.join();
    EXPECT_EQ(pending.Put(&third, 4, 0), System::Aborted);
    EXPECT_EQ(pending.GetCount(), 1u);

    connection.Reset();
    Mms::RequestHandle next(connection);
    Mms::PendingRequests::SendTicket held;
    EXPECT_TRUE(pending.MayPost(next));
    EXPECT_EQ(pending.Put(&next, 4, 0, &held), System::OkNoError);
    ASSERT_TRUE(pending.Take(&next));

    ASSERT_TRUE(pending.TakeConclude(entry));
    pending.ReleaseOver(second);
    EXPECT_TRUE(pending.MayPost(third));
    EXPECT_EQ(pending.Put(&third, 4, 0), System::OkNoError);
    ASSERT_TRUE(pending.Take(&third));

    // The held send is the ended association's: the next one's release posts and concludes
    // at once beside it.
    connection.Reset();
    Mms::RequestHandle release(connection);
    ASSERT_TRUE(pending.PostRelease(release));
    EXPECT_FALSE(pending.PostRelease(release));
    EXPECT_EQ(pending.Put(&release, Mms::PendingRequests::ConcludeService, 0), System::OkNoError);
}

// A peer that serves its requests in turn starts on one only once it has answered those
// before it: an answer begins the wait of every request entered after it, and leaves that
// of one entered before it as it was.
TEST_F(PendingRequestsTest, AnAnswerBeginsTheWaitOfTheRequestsEnteredAfterIt) {
    using Clock = std::chrono::steady_clock;
    Mms::PendingRequests pending(10);
    ASSERT_EQ(pending.Put(&first, 4, 0), System::OkNoError);
    Clock::time_point firstSince;
    ASSERT_TRUE(pending.OldestEntered(firstSince));
    ASSERT_EQ(pending.Put(&second, 4, 0), System::OkNoError);
    ASSERT_EQ(pending.Put(&third, 4, 0), System::OkNoError);
    // Every answer below comes strictly after every request was entered.
    const Clock::time_point entered = Clock::now();
    while (Clock::now() <= entered) {}
    Mms::PendingRequests::Entry entry;
    ASSERT_TRUE(pending.TakeById(second.GetInvokeId(), entry));
    Clock::time_point since;
    ASSERT_TRUE(pending.OldestEntered(since));
    EXPECT_EQ(since, firstSince);
    // Overdue by then: the request entered before the answer, not the one after it.
    const auto overdue = pending.TakeEnteredBefore(entered + std::chrono::nanoseconds(1));
    ASSERT_EQ(overdue.size(), 1u);
    EXPECT_EQ(overdue.front().request, &first);
    ASSERT_TRUE(pending.OldestEntered(since));
    EXPECT_GT(since, entered);

    // An answer that names no request (a reject without an invoke id) answers the oldest.
    ASSERT_EQ(pending.Put(&first, 4, 0), System::OkNoError);
    const Clock::time_point reentered = Clock::now();
    while (Clock::now() <= reentered) {}
    ASSERT_TRUE(pending.TakeOldest(entry));
    EXPECT_EQ(entry.request, &third);
    ASSERT_TRUE(pending.OldestEntered(since));
    EXPECT_GT(since, reentered);
}

TEST_F(PendingRequestsTest, TakeAllEmptiesOldestFirst) {
    Mms::PendingRequests pending(10);
    for (Mms::RequestHandle* request : {&second, &first, &third})
        ASSERT_EQ(pending.Put(request, 1, 0), System::OkNoError);
    const auto all = pending.TakeAll();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].request, &second);
    EXPECT_EQ(all[2].request, &third);
    EXPECT_EQ(pending.GetCount(), 0u);
}

TEST_F(PendingRequestsTest, PutWaitsForRoomOnlyUpToItsTimeout) {
    Mms::PendingRequests pending(0);
    EXPECT_EQ(pending.GetCapacity(), 1u);
    ASSERT_EQ(pending.Put(&first, 1, 0), System::OkNoError);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(pending.Put(&second, 1, 50), System::Timeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));

    // An answer taken on another thread, once Put waits, makes room for the waiting request.
    std::thread answer([&] {
        EXPECT_TRUE(TestSupport::Eventually([&] { return pending.GetWaitingPuts() == 1; }));
        Mms::PendingRequests::Entry entry;
        pending.TakeOldest(entry);
    });
    EXPECT_EQ(pending.Put(&second, 1, 10000), System::OkNoError);
    answer.join();
    Mms::PendingRequests::Entry entry;
    ASSERT_TRUE(pending.TakeOldest(entry));
    EXPECT_EQ(entry.request, &second);

    pending.SetCapacity(2);
    EXPECT_EQ(pending.Put(&first, 1, 0), System::OkNoError);
    EXPECT_EQ(pending.Put(&third, 1, 0), System::OkNoError);
}

// The next association's initiate may raise the capacity while a request of the old
// one waits for room: the waiter sees the new capacity, not the one it began with.
TEST_F(PendingRequestsTest, AWaitingPutSeesACapacityRaisedMeanwhile) {
    Mms::PendingRequests pending(1);
    ASSERT_EQ(pending.Put(&first, 1, 0), System::OkNoError);
    std::thread initiate([&] {
        EXPECT_TRUE(TestSupport::Eventually([&] { return pending.GetWaitingPuts() == 1; }));
        pending.SetCapacity(2);
    });
    EXPECT_EQ(pending.Put(&second, 1, 10000), System::OkNoError);
    initiate.join();
    EXPECT_EQ(pending.GetCount(), 2u);
}

}  // namespace
