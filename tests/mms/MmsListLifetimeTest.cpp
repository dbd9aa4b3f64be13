// A named variable list that a deleteNamedVariableList answer deletes while other
// requests for it are still pending, and the maps it leaves, seen from another thread.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "mms/MmsLoopback.h"
#include "mms/MmsObjectTestSupport.h"
#include "mms/machine/RequestHandle.h"
#include "mms/user/NamedVariableList.h"

namespace {

// A peer that holds every deleteNamedVariableList while its gate is closed (so that the
// requests after it are all pending when its answer comes) and answers every list
// service with success, whether it knows the list or not.
class ObligingVmd : public Mms::VMD {
public:
    void Close() {
        std::lock_guard lock(mutex_);
        open_ = false;
    }
    void Open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }

    System::ResultCode DeleteNamedVariableList(const Mms::MmsDeleteNamedVariableListRequest&,
                                               Mms::MmsDeleteNamedVariableListResponse& response,
                                               std::int32_t&) override {
        {
            std::unique_lock lock(mutex_);
            opened_.wait(lock, [this] { return open_; });
        }
        response.numberMatched = 1;
        response.numberDeleted = 1;
        return System::OkNoError;
    }

    System::ResultCode GetNamedVariableListAttributes(const Mms::MmsObjectName&,
                                                      Mms::MmsGetNamedVariableListAttributesResponse& response,
                                                      std::int32_t&) override {
        response.mmsDeletable = 1;
        return System::OkNoError;
    }

    System::ResultCode Read(const Mms::MmsReadRequest& request, Mms::MmsReadResponse& response,
                            std::int32_t& rejectCode) override {
        if (request.variableAccessSpecification.present == Mms::MmsVariableAccessVariableListName) {
            return System::OkNoError;  // the members of an empty list
        }
        return VMD::Read(request, response, rejectCode);
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = true;
};

enum class Scope { Association, Vmd, Domain };

const char* ScopeName(Scope scope) {
    switch (scope) {
        case Scope::Association: return "aa-specific";
        case Scope::Vmd: return "vmd-specific";
        case Scope::Domain: return "domain-specific";
    }
    return "";
}

class MmsListLifetimeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(client.Associate(server.Port()), System::OkNoError); }
    // A peer still held would keep its receive thread from ever stopping.
    void TearDown() override { peer.Open(); }

    Mms::MmsUserConnection& User() { return client.User(); }

    Mms::NamedVariableList* MakeList(Scope scope) {
        switch (scope) {
            case Scope::Association: return new Mms::NamedVariableList(&User(), "Temp");
            case Scope::Vmd: return new Mms::NamedVariableList("Temp", &client.vmd);
            case Scope::Domain: {
                Mms::Domain* domain = nullptr;
                if (client.vmd.FindDomain("LD0", domain) != System::OkNoError) {
                    domain = new Mms::Domain(&User(), "LD0", &client.vmd);
                    client.vmd.AddObject(domain);
                }
                return new Mms::NamedVariableList("Temp", domain);
            }
        }
        return nullptr;
    }

    // Whether the list's owner (or the association) still files it, looked up the way
    // any other thread must: the association's map under its own lock, the VMD's and
    // the domains' under the model lock.
    bool StillFiled(Scope scope) {
        if (scope == Scope::Association) return User().FindNamedVariableList("Temp") != nullptr;
        Mms::VMD::ModelHold hold(&client.vmd);
        Mms::NamedVariableList* list = nullptr;
        client.vmd.FindNamedVariableList(*MmsObjectTest::Name(scope == Scope::Domain ? "LD0" : "", "Temp"), list);
        return list != nullptr;
    }

    ObligingVmd peer;
    MmsLoopback::Server server{peer};
    MmsLoopback::Client client;
};

}  // namespace

TEST_F(MmsListLifetimeTest, RequestsStillPendingForADeletedListFindNoListInsteadOfAFreedOne) {
    using Operation = std::function<System::ResultCode(Mms::MmsUserConnection&, Mms::NamedVariableList*)>;
    const struct {
        const char* name;
        Operation second;
    } operations[] = {
        {"second delete", [](Mms::MmsUserConnection& user,
                             Mms::NamedVariableList* list) { return user.DeleteNamedVariableListObject(list); }},
        {"attributes", [](Mms::MmsUserConnection& user,
                          Mms::NamedVariableList* list) { return user.RequestNamedVariableListAttributes(list); }},
        {"read", [](Mms::MmsUserConnection& user,
                    Mms::NamedVariableList* list) { return user.ReadNamedVariableListValues(list); }},
    };
    for (const Scope scope : {Scope::Association, Scope::Vmd, Scope::Domain}) {
        for (const auto& operation : operations) {
            SCOPED_TRACE(std::string(ScopeName(scope)) + ", " + operation.name);
            peer.Close();
            Mms::NamedVariableList* list = MakeList(scope);
            ASSERT_EQ(list->ErrStatus, System::OkNoError);
            ASSERT_EQ(User().DeleteNamedVariableListObject(list), System::OkNoError);
            Mms::RequestHandle* deletion = User().GetCurrentRequest();
            ASSERT_EQ(operation.second(User(), list), System::OkNoError);
            // Both are pending now; the peer answers them in order, the deletion first.
            peer.Open();
            EXPECT_EQ(User().WaitForRequest(deletion), System::OkNoError);
            // The later answer meets no list: 17, as any list answer without one.
            EXPECT_EQ(User().WaitForCurrentRequest(), System::InvalidContext);
            EXPECT_FALSE(StillFiled(scope));
        }
    }
}

// The deletion answer changes the maps on the receive thread while this thread looks
// lists up (under the lock each map asks for) until the list is gone.
TEST_F(MmsListLifetimeTest, MapsChangedByADeletionAnswerAreGuardedAgainstOtherThreads) {
    for (const Scope scope : {Scope::Association, Scope::Vmd, Scope::Domain}) {
        SCOPED_TRACE(ScopeName(scope));
        peer.Close();
        Mms::NamedVariableList* list = MakeList(scope);
        ASSERT_EQ(User().DeleteNamedVariableListObject(list), System::OkNoError);
        peer.Open();
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        bool filed = true;
        while (filed && std::chrono::steady_clock::now() < limit) {
            filed = StillFiled(scope);
            std::this_thread::yield();
        }
        EXPECT_FALSE(filed);
        EXPECT_EQ(User().WaitForCurrentRequest(), System::OkNoError);
    }
}
